// A small set of client files, drawn by the program itself, on which every
// feature can be tried: map, radar colours, art (and an altered copy for the
// compare), gumps, hues, tiledata, animdata, a verdata.mul, a readme, a
// stand-in client and a patch project file.
#pragma once

#include <string>
#include <vector>

#include "io/result.h"

// Writes the samples into `folder` (created when missing).
Status MakeSamples(const std::string& folder);

// The names of the files MakeSamples writes.
const std::vector<std::string>& SampleFileNames();
