// Symbolic links where a command makes a folder or writes into one. A link
// to a folder is that folder; one that leads round in a loop or to nothing
// would fail later as "File exists", naming neither the link nor the fault.
#pragma once

#include <string>

// What is wrong with `path` when it is a symbolic link that leads round in a
// loop or to nothing, worded to follow "Cannot create the folder 'PATH': "
// ("it is a symbolic link to 'x', which does not exist"); "" when `path` is
// no such link.
std::string BrokenLinkReason(const std::string& path);
