// The per-user settings: the paths of the client's verdata.mul, tiledata.mul
// and radarcol.mul, under application "Quarrow", section "Palindra", and the
// radar colours the map preview draws with.
#pragma once

#include <QSettings>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The settings store, opened at the "Palindra" section.
std::unique_ptr<QSettings> OpenSettingsStore();

// Its keys.
inline constexpr char kVerdataPathKey[] = "VerdataPath";
inline constexpr char kTiledataPathKey[] = "TiledataPath";
inline constexpr char kRadarcolPathKey[] = "RadarcolPath";
// The folder of the client's own files that a bake copies and patches are
// compared with, and whether its verdata.mul counts as what the client has.
inline constexpr char kClientFolderKey[] = "ClientFolder";
inline constexpr char kClientVerdataKey[] = "ClientVerdataApplied";
inline constexpr char kWindowGeometryKey[] = "WindowGeometry";
inline constexpr char kSplitterStateKey[] = "SplitterState";
inline constexpr char kRecentFilesKey[] = "RecentFiles";
inline constexpr char kZoomKey[] = "Zoom";
// The folder last used for patches, game files, pictures and raw blocks.
inline constexpr char kPatchesFolderKey[] = "LastFolderPatches";
inline constexpr char kGameFilesFolderKey[] = "LastFolderGameFiles";
inline constexpr char kPicturesFolderKey[] = "LastFolderPictures";
inline constexpr char kRawBlocksFolderKey[] = "LastFolderRawBlocks";

struct Settings {
    std::string VerdataPath;
    std::string TiledataPath;
    std::string RadarcolPath;
    // The setting, else the folder of the verdata path.
    std::string ClientFolder;
    bool ClientVerdata = true;
    std::vector<std::int32_t> RadarColors = std::vector<std::int32_t>(65536, 0);

    // Reads the paths and, when the radarcol path names a file, the
    // radar colours; otherwise the colours loaded before stay.
    void Load();
};
