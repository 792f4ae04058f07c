// A small set of client files, drawn by the program itself, on which every
// feature can be tried: map, radar colours, art (and an altered copy for the
// compare), gumps, hues, tiledata, animdata, a verdata.mul, a readme, a
// stand-in client and a patch project file.
#pragma once

#include <string>
#include <vector>

// Writes the samples into `folder` (created when missing). "" or a message.
std::string MakeSamples(const std::string& folder);

// The names of the files MakeSamples writes.
const std::vector<std::string>& SampleFileNames();
