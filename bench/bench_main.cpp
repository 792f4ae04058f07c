// Runs the benchmarks of the core and prints each one's ratio to the physical
// baseline (cp, cat, a plain read) measured in the same run.
#include "bench_support.h"

#include <string>

void RegisterPatchFileMemory();
void RegisterGameDataMemory();
void RegisterLargeBlockMemory();
void ReportPatchFileMemory();
void ReportGameDataMemory();
void ReportLargeBlockMemory();
void RegisterEditMemory();
void ReportEditMemory();

int main(int argc, char** argv) {
    RegisterPatchFileMemory();
    RegisterGameDataMemory();
    RegisterLargeBlockMemory();
    RegisterEditMemory();
    if (argc < 2 || std::string(argv[1]) != "--peak-of") {
        ReportPatchFileMemory();
        ReportGameDataMemory();
        ReportLargeBlockMemory();
        ReportEditMemory();
    }
    return RunWithRatios(argc, argv,
                         {{"BM_SavePatchFile/real_time", "BM_CopyWithCp/real_time", 2.0},
                          {"BM_OpenPatchFile/real_time", "BM_ReadWithCat/real_time", 2.0},
                          {"BM_ReadIntoFreshMemory/real_time", "BM_ReadWithCat/real_time", 2.0},
                          {"BM_OpenPatchFile/real_time", "BM_ReadIntoFreshMemory/real_time", 2.0},
                          {"BM_ExportMapOverBase/real_time", "BM_CopyExportSizedFileWithCp/real_time", 3.0},
                          {"BM_ImportWholeMap/real_time", "BM_CatMapFile/real_time", 3.0},
                          {"BM_ImportWholeMap/real_time", "BM_ReadIntoFreshMemory/real_time", 3.0},
                          {"BM_ImportAllArt/real_time", "BM_CatArtFile/real_time", 3.0},
                          {"BM_CompareMaps/real_time", "BM_CatBothMaps/real_time", 3.0},
                          {"BM_CompareArts/real_time", "BM_CatBothArts/real_time", 3.0},
                          {"BM_ImportMapPackage/real_time", "BM_CatMapPackage/real_time", 3.0},
                          {"BM_ImportGumpPackage/real_time", "BM_CatGumpPackage/real_time", 0},
                          {"BM_InflateGumpEntries/real_time", "BM_ImportGumpPackage/real_time", 0},
                          {"BM_UndoImport77MB/real_time", "BM_MemcpyImportBytes/real_time", 0},
                          {"BM_RedoImport77MB/real_time", "BM_MemcpyImportBytes/real_time", 0},
                          {"BM_DecodeGump/0", "BM_MemcpyPixels", 0},
                          {"BM_DecodeGump/1", "BM_MemcpyPixels", 0},
                          {"BM_EncodeGump/0", "BM_MemcpyPixels", 0},
                          {"BM_EncodeGump/1", "BM_MemcpyPixels", 0},
                          {"BM_SaveFrameFolder/4000/real_time", "BM_SaveFrameFolder/400/real_time", 12.0}});
}
