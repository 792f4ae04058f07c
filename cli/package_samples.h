// Game data packages of each importable kind for the samples, made from the
// sample data files where there are some.
#pragma once

#include <string>
#include <vector>

// Writes the packages into `folder`, which already holds the sample map,
// art and gump files. "" or a message.
std::string WritePackageSamples(const std::string& folder);

const std::vector<std::string>& PackageSampleNames();
