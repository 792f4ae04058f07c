#include "gamefiles/map_radar.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <tuple>

#include "codecs/file_ids.h"
#include "gamefiles/client_blocks.h"

namespace {
constexpr std::int32_t kSide = kCellsPerBlockSide;
constexpr std::int32_t kWideColumns = 896, kNarrowColumns = 768;
constexpr std::size_t kCellBytes = 3, kStaticBytes = 7, kMapHeader = 4;

// The pixels of an axis in runs that show cells of one block: [from, to) and the block.
struct Run {
    std::int32_t block, from, to;
};
std::vector<Run> RunsOf(const PictureAxis& axis) {
    std::vector<Run> runs;
    for (std::int32_t i = 0; i < static_cast<std::int32_t>(axis.cell.size()); ++i) {
        const std::int32_t cell = axis.cell[static_cast<std::size_t>(i)];
        if (cell < 0) continue;
        if (!runs.empty() && runs.back().block == cell / kSide && runs.back().to == i) ++runs.back().to;
        else runs.push_back({cell / kSide, i, i + 1});
    }
    // Blocks in increasing order read the client's files front to back.
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.block < b.block; });
    return runs;
}

// The blocks first..last of an axis's pixels, or none when every pixel lies off the map.
std::optional<std::pair<std::int32_t, std::int32_t>> BlockSpan(const PictureAxis& axis) {
    std::optional<std::pair<std::int32_t, std::int32_t>> span;
    for (std::size_t i = 0; i < axis.cell.size(); ++i) {
        if (axis.cell[i] < 0) continue;
        const std::int32_t a = axis.first[i] / kSide, b = axis.last[i] / kSide;
        span = span ? std::pair{std::min(span->first, a), std::max(span->second, b)} : std::pair{a, b};
    }
    return span;
}

void Put(std::uint8_t* pixel, std::uint32_t rgb) {
    pixel[0] = static_cast<std::uint8_t>(rgb >> 16);
    pixel[1] = static_cast<std::uint8_t>(rgb >> 8);
    pixel[2] = static_cast<std::uint8_t>(rgb);
}
}  // namespace

std::int32_t MapColumnsOf(std::int64_t blocks) {
    return blocks >= std::int64_t{kWideColumns} * kMapBlockRows ? kWideColumns : kNarrowColumns;
}

std::array<std::int32_t, 64> RadarEntries(ByteView mapBlock, ByteView staticsBlock) {
    std::array<std::int32_t, 64> entries{}, land{};
    std::array<int, 64> z{};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t at = kMapHeader + kCellBytes * i;
        if (at + kCellBytes <= mapBlock.size()) {
            entries[i] = GetLE16(&mapBlock[at]);
            z[i] = static_cast<std::int8_t>(mapBlock[at + 2]);
        } else {
            entries[i] = -1;
            z[i] = INT_MIN;
        }
    }
    land = entries;
    for (std::size_t at = 0; at + kStaticBytes <= staticsBlock.size(); at += kStaticBytes) {
        const ByteView s = staticsBlock.subspan(at, kStaticBytes);
        if (s[2] >= kSide || s[3] >= kSide) continue;
        const std::size_t cell = std::size_t{s[3]} * kSide + s[2];
        const int height = static_cast<std::int8_t>(s[4]);
        if (height < z[cell]) continue;
        z[cell] = height;
        const std::int32_t entry = kArtStaticBase + GetLE16(&s[0]);
        entries[cell] = entry <= 0xFFFF ? entry : land[cell];
    }
    return entries;
}

MapPatchLayer::MapPatchLayer(const Patch& patch) : map_(patch, kMap), statics_(patch, kStatics) {
    if (const PatchBlock* whole = patch.LiveBlock(kFiles, kMapFileBlock); whole && !whole->bytes.empty())
        wholeMap_ = whole->bytes;
}

std::vector<std::uint8_t> MapPatchLayer::Marks(std::int32_t c0, std::int32_t c1, std::int32_t r0, std::int32_t r1) const {
    const std::int32_t rows = r1 - r0 + 1;
    std::vector<std::uint8_t> marks(static_cast<std::size_t>(c1 - c0 + 1) * static_cast<std::size_t>(rows), 0);
    for (auto [layer, bit] : {std::pair{&map_, 1}, std::pair{&statics_, 2}})
        for (std::int32_t c = c0; c <= c1; ++c) {
            const LastBlocks::Entries& blocks = layer->All();
            const std::int32_t top = c * kMapBlockRows;
            auto at = std::lower_bound(blocks.begin(), blocks.end(), top + r0,
                                       [](const auto& b, std::int32_t v) { return b.first < v; });
            for (; at != blocks.end() && at->first <= top + r1; ++at)
                marks[static_cast<std::size_t>((c - c0) * rows + at->first - top - r0)] |= static_cast<std::uint8_t>(bit);
        }
    return marks;
}

PictureAxis PictureAxis::Scaled(std::int32_t start, std::int32_t count, std::int32_t scale, std::int32_t cells) {
    PictureAxis axis;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int64_t c = std::int64_t{start} + std::int64_t{i} * scale;
        const bool on = c >= 0 && c < cells;
        axis.cell.push_back(on ? static_cast<std::int32_t>(c) : -1);
        axis.first.push_back(on ? static_cast<std::int32_t>(c) : -1);
        axis.last.push_back(on ? static_cast<std::int32_t>(std::min<std::int64_t>(c + scale - 1, cells - 1)) : -1);
    }
    return axis;
}

PictureAxis PictureAxis::Zoomed(std::int64_t start, std::int32_t count, double zoom, std::int32_t cells) {
    PictureAxis axis;
    for (std::int32_t i = 0; i < count; ++i) {
        const double p = static_cast<double>(start + i);
        const auto cell = static_cast<std::int64_t>(std::floor((p + 0.5) / zoom));
        const auto first = static_cast<std::int64_t>(std::floor(p / zoom));
        const std::int64_t last = std::max(first, static_cast<std::int64_t>(std::ceil((p + 1) / zoom)) - 1);
        const bool on = cell >= 0 && cell < cells;
        axis.cell.push_back(on ? static_cast<std::int32_t>(cell) : -1);
        axis.first.push_back(on ? static_cast<std::int32_t>(std::clamp<std::int64_t>(first, 0, cells - 1)) : -1);
        axis.last.push_back(on ? static_cast<std::int32_t>(std::clamp<std::int64_t>(last, 0, cells - 1)) : -1);
    }
    return axis;
}

// One thread's readers of the client's map and statics.
struct MapRadar::Readers {
    std::optional<ClientBlocks> map, statics;
    ClientBlock mapBlock, staticsBlock;
};

MapRadar::~MapRadar() = default;

Result<std::shared_ptr<MapRadar>> MapRadar::Open(const std::string& folder, bool withVerdata,
                                                 std::vector<std::int32_t> colors,
                                                 std::shared_ptr<const MapPatchLayer> layer) {
    Result<ClientFolder> opened = ClientFolder::Open(folder);
    if (!opened) return opened.error();
    std::shared_ptr<MapRadar> radar(new MapRadar);
    radar->folder_ = std::move(*opened);
    radar->withVerdata_ = withVerdata;
    radar->colors_ = std::move(colors);
    radar->colors_.resize(65536, 0);
    radar->layer_ = std::move(layer);
    const bool carried = radar->layer_ && radar->layer_->WholeMap();
    radar->mapForm_ = radar->folder_.ShownForm(kMap);
    radar->staticsForm_ = radar->folder_.ShownForm(kStatics);
    if (!radar->mapForm_ && !carried) {
        ClientBlocks lacking;  // says which file the folder lacks
        return lacking.Open(radar->folder_, kMap, DataFilesOf(kMap), withVerdata).error();
    }
    Result<std::unique_ptr<Readers>> readers = radar->Take();
    if (!readers) return readers.error();
    const std::int64_t blocks = carried ? static_cast<std::int64_t>(radar->layer_->WholeMap()->size() / kMapBlockSize)
                                        : std::int64_t{(*readers)->map->Highest()} + 1;
    radar->columns_ = MapColumnsOf(blocks);
    radar->Give(std::move(*readers));
    return radar;
}

Result<std::unique_ptr<MapRadar::Readers>> MapRadar::Take() const {
    {
        std::lock_guard lock(mutex_);
        if (!idle_.empty()) {
            std::unique_ptr<Readers> readers = std::move(idle_.back());
            idle_.pop_back();
            return readers;
        }
    }
    auto readers = std::make_unique<Readers>();
    for (auto [fileId, form, reader] : {std::tuple{kMap, mapForm_, &readers->map},
                                        std::tuple{kStatics, staticsForm_, &readers->statics}}) {
        if (!form) continue;
        reader->emplace();
        if (Status done = (*reader)->Open(folder_, fileId, *form, withVerdata_); !done) return done.error();
    }
    return readers;
}

void MapRadar::Give(std::unique_ptr<Readers> readers) const {
    std::lock_guard lock(mutex_);
    idle_.push_back(std::move(readers));
}

Status MapRadar::Draw(const PictureAxis& xs, const PictureAxis& ys, std::uint8_t* rgb, std::size_t stride) const {
    for (std::size_t j = 0; j < ys.cell.size(); ++j)
        std::fill_n(rgb + j * stride, xs.cell.size() * 3, std::uint8_t{0});
    Result<std::unique_ptr<Readers>> taken = Take();
    if (!taken) return taken.error();
    Readers& r = **taken;
    const MapPatchLayer* layer = layer_.get();
    const BlockBytes* whole = layer && layer->WholeMap() ? &*layer->WholeMap() : nullptr;
    const std::vector<Run> columns = RunsOf(xs), rows = RunsOf(ys);
    for (const Run& column : columns)
        for (const Run& row : rows) {
            const std::int32_t n = column.block * kMapBlockRows + row.block;
            ByteView map, statics;
            if (const BlockBytes* patched = layer ? layer->Map(n) : nullptr) {
                map = *patched;
            } else if (whole) {
                const std::size_t at = static_cast<std::size_t>(n) * kMapBlockSize;
                if (at < whole->size()) map = ByteView(*whole).subspan(at, std::min<std::size_t>(kMapBlockSize, whole->size() - at));
            } else if (r.map) {
                r.map->Show(n, r.mapBlock);
                map = r.mapBlock.bytes;
            }
            if (const BlockBytes* patched = layer ? layer->Statics(n) : nullptr) {
                statics = *patched;
            } else if (r.statics) {
                r.statics->Show(n, r.staticsBlock);
                statics = r.staticsBlock.bytes;
            }
            const std::array<std::int32_t, 64> entries = RadarEntries(map, statics);
            for (std::int32_t j = row.from; j < row.to; ++j) {
                const std::int32_t y = ys.cell[static_cast<std::size_t>(j)] % kSide;
                std::uint8_t* line = rgb + static_cast<std::size_t>(j) * stride;
                for (std::int32_t i = column.from; i < column.to; ++i) {
                    const std::int32_t e = entries[static_cast<std::size_t>(y * kSide + xs.cell[static_cast<std::size_t>(i)] % kSide)];
                    const std::int32_t c = e < 0 ? 0 : colors_[static_cast<std::size_t>(e)];
                    std::uint8_t* pixel = line + static_cast<std::size_t>(i) * 3;
                    pixel[0] = static_cast<std::uint8_t>(c);
                    pixel[1] = static_cast<std::uint8_t>(c >> 8);
                    pixel[2] = static_cast<std::uint8_t>(c >> 16);
                }
            }
        }
    Status intact;
    for (const std::optional<ClientBlocks>* reader : {&r.map, &r.statics})
        if (*reader && intact) intact = (*reader)->Intact();
    Give(std::move(*taken));
    if (!intact) return intact;
    const auto across = BlockSpan(xs), down = BlockSpan(ys);
    if (!layer || !across || !down) return {};
    const std::vector<std::uint8_t> marks = layer->Marks(across->first, across->second, down->first, down->second);
    if (std::all_of(marks.begin(), marks.end(), [](std::uint8_t m) { return m == 0; })) return {};
    const std::int32_t markRows = down->second - down->first + 1;
    // A pixel is marked when its square holds a border cell of a patched block.
    for (std::size_t j = 0; j < ys.cell.size(); ++j) {
        if (ys.cell[j] < 0) continue;
        for (std::size_t i = 0; i < xs.cell.size(); ++i) {
            if (xs.cell[i] < 0) continue;
            for (std::int32_t c = xs.first[i] / kSide; c <= xs.last[i] / kSide; ++c)
                for (std::int32_t b = ys.first[j] / kSide; b <= ys.last[j] / kSide; ++b) {
                    const std::uint8_t m = marks[static_cast<std::size_t>((c - across->first) * markRows + b - down->first)];
                    if (m == 0) continue;
                    const std::int32_t x0 = std::max(xs.first[i], c * kSide), x1 = std::min(xs.last[i], c * kSide + kSide - 1);
                    const std::int32_t y0 = std::max(ys.first[j], b * kSide), y1 = std::min(ys.last[j], b * kSide + kSide - 1);
                    if (x0 != c * kSide && x1 != c * kSide + kSide - 1 && y0 != b * kSide && y1 != b * kSide + kSide - 1)
                        continue;
                    std::uint8_t* pixel = rgb + j * stride + i * 3;
                    if (m & 1) Put(pixel, kMapOutline);
                    // One cell of the border: every other one is marked.
                    if ((m & 2) && (x0 != x1 || y0 != y1 || (x0 + y0) % 2 == 0)) Put(pixel, kStaticsOutline);
                }
        }
    }
    return {};
}

Result<ClientMapBlocks> ReadClientMapBlocks(const std::string& folder, bool withVerdata, const Patch& patch,
                                            std::int32_t c0, std::int32_t c1, std::int32_t r0, std::int32_t r1) {
    Result<ClientFolder> opened = ClientFolder::Open(folder);
    if (!opened) return opened.error();
    ClientBlocks map, statics;
    const std::optional<Form> mapForm = opened->ShownForm(kMap), staticsForm = opened->ShownForm(kStatics);
    if (Status done = map.Open(*opened, kMap, mapForm.value_or(DataFilesOf(kMap)), withVerdata); !done) return done.error();
    if (staticsForm)
        if (Status done = statics.Open(*opened, kStatics, *staticsForm, withVerdata); !done) return done.error();
    const MapPatchLayer held(patch);
    ClientMapBlocks result;
    ByteArena arena;
    r0 = std::max(r0, 0);
    r1 = std::min(r1, kMapBlockRows - 1);
    // Map blocks first, then statics: each reader walks its file front to back.
    for (const bool isMap : {true, false}) {
        if (!isMap && !staticsForm) break;
        ClientBlocks& reader = isMap ? map : statics;
        for (std::int32_t c = std::max(c0, 0); c <= c1; ++c)
            for (std::int32_t row = r0; row <= r1; ++row) {
                const std::int32_t n = c * kMapBlockRows + row;
                if (isMap ? held.Map(n) : held.Statics(n)) {
                    ++result.kept;
                    continue;
                }
                const ClientBlock block = reader.Block(n);
                if (!block.HasData()) continue;
                // Slots keep no flags; an index entry's (or a verdata entry's) go with the block.
                result.added.Append(isMap ? kMap : kStatics, n, arena.Copy(block.bytes), isMap ? 0 : block.flagA,
                                    isMap ? 0 : block.flagB);
                ++(isMap ? result.map : result.statics);
            }
        if (Status intact = reader.Intact(); !intact) return intact.error();
    }
    return result;
}

std::string RadarcolIn(const std::string& folder) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        if (name == "radarcol.mul" && it->is_regular_file(ec)) return it->path().string();
    }
    return "";
}
