#include "app/settings.h"

#include "gamefiles/radarcol.h"
#include "patch/app_values.h"
#include "patch/binary_io.h"

std::unique_ptr<QSettings> OpenSettingsStore() {
    auto store = std::make_unique<QSettings>(QStringLiteral("Quarrow"), QStringLiteral("Quarrow"));
    store->beginGroup(QStringLiteral("Palindra"));
    return store;
}

void LoadSettings() {
    const auto store = OpenSettingsStore();
    AppValues& app = App();
    app.VerdataPath = store->value(QStringLiteral("VerdataPath")).toString().toStdString();
    app.TiledataPath = store->value(QStringLiteral("TiledataPath")).toString().toStdString();
    app.RadarcolPath = store->value(QStringLiteral("RadarcolPath")).toString().toStdString();
    // A path that names no readable file keeps the colours loaded before.
    if (IsExistingFile(app.RadarcolPath)) ReadRadarColors(app.RadarcolPath, app.RadarColors);
}
