// Values shared by the whole application for the length of a run: the client
// file paths from the settings, the radar colours of the map preview, the
// current patch project file, and what the modal dialogs hand back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "patch/Patch.h"

struct AppValues {
    Patch WorkingPatch;
    std::string VerdataPath;
    std::string TiledataPath;
    std::string RadarcolPath;
    std::vector<std::int32_t> RadarColors = std::vector<std::int32_t>(65536, 0);
    std::string CurrentPatchFile;
    std::int32_t DialogResult = 0;
    std::int32_t EditFlagA = 0;
    std::int32_t EditFlagB = 0;
    // What the compare dialog hands back; CompareMul1 "" means cancelled.
    std::string CompareMul1, CompareIdx1, CompareMul2, CompareIdx2;
};

// The one instance of the running program.
AppValues& App();
