#include "app/settings.h"

#include "gamefiles/radarcol.h"
#include "io/binary_io.h"

std::unique_ptr<QSettings> OpenSettingsStore() {
    auto store = std::make_unique<QSettings>(QStringLiteral("Quarrow"), QStringLiteral("Quarrow"));
    store->beginGroup(QStringLiteral("Palindra"));
    return store;
}

void Settings::Load() {
    const auto store = OpenSettingsStore();
    VerdataPath = store->value(QStringLiteral("VerdataPath")).toString().toStdString();
    TiledataPath = store->value(QStringLiteral("TiledataPath")).toString().toStdString();
    RadarcolPath = store->value(QStringLiteral("RadarcolPath")).toString().toStdString();
    if (IsExistingFile(RadarcolPath)) ReadRadarColors(RadarcolPath, RadarColors);
}
