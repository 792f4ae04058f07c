#include "gamefiles/forms/whole_files.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "io/counted.h"
#include "patch/block_tree.h"
#include "patch/file_types.h"
#include "io/binary_io.h"

namespace {
bool HoldsMarker(ByteView data) {
    const char* marker = kClientMarker;
    return std::search(data.begin(), data.end(),
                       std::boyer_moore_horspool_searcher(marker, marker + std::strlen(marker))) != data.end();
}
}  // namespace

BlockFacts WholeFileFacts(std::int32_t blockNumber, ByteView bytes) {
    constexpr std::size_t kMostLines = 5000;
    BlockFacts facts;
    facts.heading = WholeFileText(blockNumber);
    facts.lines.push_back("Size: " + Counted(static_cast<std::int64_t>(bytes.size()), "byte"));
    switch (blockNumber) {
        case kClientExeBlock:
            facts.lines.push_back(std::string("Marker text \"") + kClientMarker + "\": " +
                                  (HoldsMarker(bytes) ? "found" : "not found"));
            if (!HoldsMarker(bytes)) facts.problem = kNotAClient;
            break;
        case kReadmeBlock: {
            facts.table.columns = {"Text"};
            std::string line;
            for (std::size_t i = 0; i <= bytes.size() && facts.table.rows.size() < kMostLines; ++i) {
                if (i == bytes.size() || bytes[i] == '\n') {
                    if (!line.empty() && line.back() == '\r') line.pop_back();
                    if (i < bytes.size() || !line.empty()) facts.table.rows.push_back({line});
                    line.clear();
                } else {
                    line += static_cast<char>(bytes[i]);
                }
            }
            break;
        }
        case kMapFileBlock:
            facts.lines.push_back("Map blocks: " + std::to_string(bytes.size() / static_cast<std::size_t>(kMapBlockSize)));
            if (bytes.size() % static_cast<std::size_t>(kMapBlockSize))
                facts.problem = "The file does not end on a whole map block: " +
                                Counted(static_cast<std::int64_t>(bytes.size() % static_cast<std::size_t>(kMapBlockSize)), "byte") + " left over.";
            break;
        default: break;
    }
    return facts;
}

Status AddWholeFile(Patch& patch, std::int32_t fileType, const std::string& path) {
    const Result<Bytes> data = ReadWholeFile(path);
    if (!data) return data.error();
    if (fileType == kClientExeBlock && !HoldsMarker(*data)) return Error(kNotAClient);
    if (const auto slot = patch.FindBlock(kFiles, fileType)) patch[kFiles].blocks[*slot].bytes = *data;
    else patch.Append(kFiles, fileType, *data, 0, 0);
    return {};
}

Status LoadBlockFromDatafile(Patch& patch, std::uint8_t fileId, std::int32_t blockNumber, const std::string& path) {
    const Result<Bytes> data = ReadWholeFile(path);
    if (!data) return data.error();
    patch.Append(fileId, blockNumber, *data, 0, 0);
    return {};
}

Status WholeFilesSource::Open(const std::array<std::string, 3>& paths) {
    paths_ = paths;
    for (const std::string& path : paths_) {
        InputFile probe;
        if (!path.empty())
            if (Status opened = probe.Open(path); !opened) return opened;
    }
    return {};
}

Result<SourceBlock> WholeFilesSource::Load(std::int32_t n) {
    if (n < 0 || n > Highest() || paths_[static_cast<std::size_t>(n)].empty()) return SourceBlock{};
    Result<Bytes> read = ReadWholeFile(paths_[static_cast<std::size_t>(n)]);
    if (!read) return read.error();
    const auto length = static_cast<std::int32_t>(read->size());
    return SourceBlock{length > 0 ? length : -1, 0, 0, BlockBytes(std::move(*read))};
}

void WholeFilesSource::Show(std::int32_t n, ShownBlock& block) {
    block = {};
    if (n < 0 || n > Highest() || paths_[static_cast<std::size_t>(n)].empty()) return;
    Result<Bytes> read = ReadWholeFile(paths_[static_cast<std::size_t>(n)]);
    if (!read) {
        block.damaged = true;
        return;
    }
    held_ = std::move(*read);
    block.bytes = held_;
}
