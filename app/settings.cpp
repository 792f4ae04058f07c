#include "app/settings.h"

#include <filesystem>

#include "gamefiles/radarcol.h"
#include "io/binary_io.h"

std::unique_ptr<QSettings> OpenSettingsStore() {
    auto store = std::make_unique<QSettings>(QStringLiteral("Quarrow"), QStringLiteral("Quarrow"));
    store->beginGroup(QStringLiteral("Palindra"));
    return store;
}

void Settings::Load() {
    const auto store = OpenSettingsStore();
    VerdataPath = store->value(kVerdataPathKey).toString().toStdString();
    TiledataPath = store->value(kTiledataPathKey).toString().toStdString();
    RadarcolPath = store->value(kRadarcolPathKey).toString().toStdString();
    ClientFolder = store->value(kClientFolderKey).toString().toStdString();
    if (ClientFolder.empty() && !VerdataPath.empty()) ClientFolder = std::filesystem::path(VerdataPath).parent_path().string();
    ClientVerdata = store->value(kClientVerdataKey, true).toBool();
    if (!IsExistingFile(RadarcolPath)) return;
    if (Result<std::vector<std::int32_t>> colors = ReadRadarColors(RadarcolPath)) RadarColors = std::move(*colors);
}
