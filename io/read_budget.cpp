#include "io/read_budget.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

namespace {
std::int64_t SizeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}
}  // namespace

ReadBudget::ReadBudget(std::string path, std::int64_t inputBytes, std::int64_t factor)
    : path_(std::move(path)), left_(factor * std::max<std::int64_t>(inputBytes, 0) + kSlack) {}

ReadBudget::ReadBudget(const std::string& path) : ReadBudget(path, SizeOf(path)) {}

Status ReadBudget::Take(std::int64_t bytes) {
    if (bytes > 0) left_ -= std::min(bytes, left_ + 1);  // stops at -1: no overflow
    if (left_ >= 0) return {};
    return Error("'" + path_ + "' is damaged: its entries point at the same bytes so many times, or claim so much, "
                 "that reading them would need far more memory than the file's size justifies.");
}
