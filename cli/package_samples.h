// Game data packages of each importable kind for the samples, made from the
// sample data files where there are some.
#pragma once

#include <string>
#include <vector>

#include "io/result.h"

// Writes the packages into `folder`, which already holds the sample map,
// art and gump files.
Status WritePackageSamples(const std::string& folder);

const std::vector<std::string>& PackageSampleNames();
