#include "io/broken_links.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "io/save_file.h"

std::string BrokenLinkReason(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ELOOP ? "a folder on its way is a symbolic link that leads round in a loop" : "";
    if (!S_ISLNK(st.st_mode)) return "";
    const Result<std::string> target = FollowLinks(path);
    if (!target) return "it is a symbolic link that leads round in a loop";
    if (::stat(target->c_str(), &st) == 0 || errno != ENOENT) return "";
    std::error_code ec;
    const std::string first = std::filesystem::read_symlink(path, ec).string();
    return "it is a symbolic link to '" + first + "'" + (ec || first == *target ? "" : ", which leads to '" + *target + "'") +
           ", which does not exist";
}
