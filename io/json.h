// The --json documents: JSON values printed indented by four spaces with
// each object's members in the order of their names, the layout the
// documents have always had.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

using Json = nlohmann::json;

// The whole document, ending in a line break. Bytes of strings that are not
// UTF-8 print as U+FFFD, one for each byte.
std::string JsonText(const Json& document);
