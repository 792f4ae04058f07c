// Turning the edits of an altered data file into patch blocks: every block
// that differs from the base file is added as the altered file has it.
#pragma once

#include <cstdint>
#include <string>

#include "io/bytes.h"
#include "gamefiles/import.h"
#include "patch/patch.h"
#include "io/progress.h"

// True when every byte of `a` equals the byte at the same index of `b`.
bool IsPrefixOf(ByteView a, ByteView b);

class DataFile;

// Compares every block either open data file holds and appends to entry
// `fileId` each block that differs (its length or its bytes; the flags are
// not compared), with the altered file's flags. A block the altered file
// lacks is added with Length -1. A block damaged in either file is left out
// and counted. Hues blocks become their 1220-byte form. Nothing is appended
// when two tiledata files differ in layout, or when `progress` stops the
// work (the error is then kCancelled). CompareFiles (block_source.h) opens
// the files.
ImportResult CompareDataFiles(Patch& patch, std::uint8_t fileId, DataFile& base, DataFile& altered,
                              const Progress& progress = {});
