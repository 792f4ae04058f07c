// What a conversion had to change on the way, one sentence each, for the
// user to read beside a result that succeeded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using Notes = std::vector<std::string>;

// A number with its thousands grouped as the messages write them: "44,100".
std::string Grouped(std::int64_t n);
