#include "app/client_browser_model.h"

#include <QDataStream>
#include <QIODevice>
#include <QIcon>
#include <QMimeData>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <unordered_set>

#include "app/client_comparison.h"
#include "app/patch_document.h"
#include "codecs/block_facts.h"
#include "codecs/block_fields.h"
#include "codecs/facts_text.h"
#include "codecs/file_ids.h"
#include "codecs/wav.h"
#include "gamefiles/anim_layout.h"
#include "gamefiles/block_names.h"
#include "gamefiles/forms/package_blocks.h"
#include "gamefiles/forms/usual_names.h"
#include "patch/user_numbers.h"

namespace {
QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// The filter line's words, read.
struct FilterWords {
    bool empty = false;
    std::optional<bool> patch;
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges;  // block numbers
    std::vector<std::pair<std::int64_t, std::int64_t>> items;   // item numbers a statics block holds
    bool nothing = false;  // a word no block of the type can match
    QStringList words;
};

std::optional<std::pair<std::int64_t, std::int64_t>> RangeOf(const QString& word) {
    const std::string text = word.toStdString();
    const std::size_t dash = text.find('-', 1);
    const auto first = ParseCommandLineNumber(text.substr(0, dash), 0, INT32_MAX);
    if (!first) return std::nullopt;
    if (dash == std::string::npos) return std::pair(*first, *first);
    const auto last = ParseCommandLineNumber(text.substr(dash + 1), 0, INT32_MAX);
    if (!last) return std::nullopt;
    return std::pair(std::min(*first, *last), std::max(*first, *last));
}

FilterWords ReadFilter(const QString& text, std::uint8_t fileId) {
    FilterWords filter;
    const QStringList words = text.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString word = words[i].toLower();
        if (word == QLatin1String("empty")) filter.empty = true;
        else if (word == QLatin1String("patch")) filter.patch = true;
        else if (word == QLatin1String("!patch")) filter.patch = false;
        else if (word == QLatin1String("item") && i + 1 < words.size() && RangeOf(words[i + 1])) {
            // An item's art block, or the tiledata group holding its record.
            const auto [first, last] = *RangeOf(words[++i]);
            if (fileId == kArt) filter.ranges.emplace_back(first + kArtStaticBase, last + kArtStaticBase);
            else if (fileId == kStatics) filter.items.emplace_back(first, last);
            else if (fileId == kTiledata)
                filter.ranges.emplace_back(kTiledataLandGroups + first / kTiledataGroupRecords, kTiledataLandGroups + last / kTiledataGroupRecords);
            else filter.nothing = true;
        } else if (const auto range = RangeOf(word)) {
            filter.ranges.push_back(*range);
        } else {
            filter.words << word;
        }
    }
    return filter;
}
// What a list row tells of a block beside its number and name.
QString ListDetail(std::uint8_t fileId, std::int32_t n, ByteView bytes) {
    const BlockType* type = BlockTypeOf(fileId, n);
    switch (fileId) {
        case kSound: {
            const std::size_t samples = bytes.size() > kSoundHeaderSize ? (bytes.size() - kSoundHeaderSize) / 2 : 0;
            return QStringLiteral("%1 s").arg(static_cast<double>(samples) / kSoundSampleRate, 0, 'f', 2);
        }
        case kMultis: {
            // The tiles the components cover, and how many there are.
            const RecordLayout& layout = LayoutOf(*type, bytes);
            const BlockField &x = *FindField(layout, "x"), &y = *FindField(layout, "y");
            const std::size_t count = RecordsHeld(*type, layout, bytes.size());
            std::int64_t left = INT64_MAX, right = INT64_MIN, top = INT64_MAX, bottom = INT64_MIN;
            for (std::size_t i = 0; i < count; ++i) {
                const ByteView c = bytes.subspan(RecordOffset(*type, layout, i), layout.size);
                const auto cx = static_cast<std::int64_t>(FieldNumber(x, c)), cy = static_cast<std::int64_t>(FieldNumber(y, c));
                left = std::min(left, cx), right = std::max(right, cx), top = std::min(top, cy), bottom = std::max(bottom, cy);
            }
            const QString components = count == 1 ? QStringLiteral("1 component") : QStringLiteral("%1 components").arg(count);
            return count == 0 ? components
                              : QStringLiteral("%1 x %2 tiles, %3").arg(right - left + 1).arg(bottom - top + 1).arg(components);
        }
        case kStatics: {
            const std::size_t count = RecordsHeld(*type, type->layouts[0], bytes.size());
            return count == 1 ? QStringLiteral("1 item") : QStringLiteral("%1 items").arg(count);
        }
        case kSkills: return {};  // the name says it
        default: {
            QStringList lines;
            if (const std::optional<BlockFacts> facts = DescribeBlockData(fileId, n, bytes))
                for (std::size_t i = 0; i < facts->lines.size() && i < 2; ++i) lines << FromUtf8(facts->lines[i]);
            return lines.join(QStringLiteral("; "));
        }
    }
}
}  // namespace

const std::vector<ClientBrowserType>& ClientBrowserTypes() {
    static const std::vector<ClientBrowserType> types = {
        {kArt, 0, kArtStaticBase - 1, "Land tiles", true},
        {kArt, kArtStaticBase, INT32_MAX, "Items (art)", true},
        {kGumps, 0, INT32_MAX, "Gumps", true},
        {kTexmaps, 0, INT32_MAX, "Textures", true},
        {kHues, 0, INT32_MAX, "Hues", true},
        {kAnim, 0, INT32_MAX, "Animations", true},
        {kMap, 0, INT32_MAX, "Map", true},
        {kStatics, 0, INT32_MAX, "Statics", false},
        {kSound, 0, INT32_MAX, "Sounds", false},
        {kTiledata, 0, INT32_MAX, "Tiledata", false},
        {kMultis, 0, INT32_MAX, "Multis", true},
        {kSkills, 0, INT32_MAX, "Skills", false},
        {kAnimdata, 0, INT32_MAX, "Animdata", false},
    };
    return types;
}

ClientBrowserModel::ClientBrowserModel(const PatchDocument& document, QObject* parent)
    : QAbstractListModel(parent), document_(document) {
    connect(&thumbnails_, &ClientThumbnails::Ready, this, [this](std::int32_t n) {
        const int row = RowOf(n);
        if (row >= 0) emit dataChanged(index(row), index(row), {Qt::DecorationRole});
    });
}

void ClientBrowserModel::SetClient(const std::string& folder, bool withVerdata,
                                   std::shared_ptr<const std::vector<std::int32_t>> radarColors) {
    folderPath_ = folder;
    withVerdata_ = withVerdata;
    radarColors_ = radarColors ? std::move(radarColors) : std::make_shared<const std::vector<std::int32_t>>(65536, 0);
    folder_.reset();
    if (!folder.empty()) {
        Result<ClientFolder> opened = ClientFolder::Open(folder);
        if (opened) folder_ = std::make_shared<const ClientFolder>(std::move(*opened));
        else source_ = FromUtf8(opened.error().message);
    }
    LoadNames();
    Reload();
}

void ClientBrowserModel::SetType(int type) {
    if (type < 0 || type >= static_cast<int>(ClientBrowserTypes().size()) || type == type_) return;
    type_ = type;
    Reload();
}

void ClientBrowserModel::LoadNames() {
    landNames_.clear();
    itemNames_.clear();
    const std::optional<Form> form = folder_ ? folder_->ShownForm(kTiledata) : std::nullopt;
    ClientBlocks tiledata;
    if (!form || !tiledata.Open(*folder_, kTiledata, *form, withVerdata_)) return;
    ClientBlock group;
    for (std::int32_t g = 0; g <= tiledata.Highest(); ++g) {
        tiledata.Show(g, group);
        std::vector<QString>& names = g < kTiledataLandGroups ? landNames_ : itemNames_;
        const auto first = static_cast<std::size_t>((g < kTiledataLandGroups ? g : g - kTiledataLandGroups) * kTiledataGroupRecords);
        names.resize(first + kTiledataGroupRecords);
        const std::vector<std::string> read = TiledataNames(g, group.bytes);
        for (std::size_t i = 0; i < read.size() && i < kTiledataGroupRecords; ++i) names[first + i] = FromUtf8(read[i]);
    }
}

void ClientBrowserModel::Reload() {
    beginResetModel();
    reader_.reset();
    entries_.clear();
    present_.clear();
    rows_.clear();
    details_.clear();
    ownNames_.clear();
    staticItems_.clear();
    staticStarts_.clear();
    const ClientBrowserType& type = Type();
    const std::optional<Form> form = folder_ ? folder_->ShownForm(type.fileId) : std::nullopt;
    const Form shown = form.value_or(Form::kIndexed);
    // Houses are drawn with the patch's art over the client's.
    thumbnails_.Reset(form ? folder_ : nullptr, type.fileId, shown, withVerdata_, radarColors_, thumbnails_.Side(),
                      type.fileId == kMultis ? std::make_shared<const PatchArtLayer>(document_.patch()) : nullptr);
    if (folderPath_.empty()) {
        source_ = QStringLiteral("No client folder is chosen: choose it in Settings.");
    } else if (folder_ && !form) {
        const std::vector<std::string> missing = folder_->MissingFiles(type.fileId);
        source_ = QStringLiteral("The client folder lacks %1.")
                      .arg(missing.empty() ? QStringLiteral("the files of this type") : FromUtf8(missing[0]));
    } else if (folder_) {
        reader_ = std::make_unique<ClientBlocks>();
        if (Status opened = reader_->Open(*folder_, type.fileId, shown, withVerdata_); !opened) {
            source_ = FromUtf8(opened.error().message);
            reader_.reset();
        } else {
            // Where the type has both forms, the client reads its package.
            const UsualNames* names = UsualNamesOf(type.fileId);
            const QString name = FromUtf8(std::string(reader_->Name()));
            if (shown == Form::kPackage)
                source_ = folder_->Forms(type.fileId).size() > 1 && names
                              ? QStringLiteral("From %1, which the client reads rather than %2.")
                                    .arg(name, FromUtf8(folder_->SpellingOf(names->data)))
                              : QStringLiteral("From %1.").arg(name);
            else if (withVerdata_ && folder_->Verdata())
                source_ = QStringLiteral("From %1, with %2 over it.").arg(name, FromUtf8(folder_->Verdata()->name));
            else
                source_ = QStringLiteral("From %1.").arg(name);
            const std::int32_t last = std::min(type.last, reader_->Highest());
            present_.assign(static_cast<std::size_t>(std::max(last + 1, 0)), 0);
            // A package's tables tell which blocks it holds, without reading each.
            const auto* package = type.fileId == kMap ? nullptr : dynamic_cast<const PackageBlocks*>(reader_->Source().get());
            ClientBlock block;
            auto has = [&](std::int32_t n) {
                if (!package) {
                    reader_->Show(n, block);
                    return block.HasData();
                }
                const std::vector<const PackageEntry*>& byIndex = package->ByIndex();
                const PackageEntry* entry = static_cast<std::size_t>(n) < byIndex.size() ? byIndex[static_cast<std::size_t>(n)] : nullptr;
                return entry && entry->decodedSize > 0 &&
                       entry->offset + entry->headerLength + entry->storedSize <= static_cast<std::uint64_t>(package->Container().Size());
            };
            for (std::int32_t n = type.first; n <= last; ++n) {
                const bool held = has(n);
                if (type.fileId != kAnim) {
                    entries_.push_back(n);
                    present_[static_cast<std::size_t>(n)] = held;
                    continue;
                }
                // An animation's entry is its action's direction 0.
                const std::optional<AnimName> anim = AnimBlockName(n);
                if (!anim) continue;
                const std::int32_t entry = n - anim->direction;
                if (anim->direction == 0) entries_.push_back(n);
                if (held) present_[static_cast<std::size_t>(entry)] = 1;
            }
            LoadOwnNames();
            if (Status intact = reader_->Intact(); !intact) source_ += QLatin1Char(' ') + FromUtf8(intact.error().message);
        }
    }
    endResetModel();
    Refilter();
}

void ClientBrowserModel::LoadOwnNames() {
    const std::uint8_t fileId = Type().fileId;
    if (fileId != kSound && fileId != kSkills) return;
    ownNames_.assign(present_.size(), QString());
    ClientBlock block;
    for (std::size_t n = 0; n < present_.size(); ++n) {
        if (!present_[n]) continue;
        reader_->Show(static_cast<std::int32_t>(n), block);
        if (!block.HasData()) continue;
        if (fileId == kSound) {
            ownNames_[n] = FromUtf8(FixedText(block.bytes, 0, kSoundHeaderSize).text);
        } else {
            const BlockType& type = *BlockTypeOf(kSkills, 0);
            ownNames_[n] = FromUtf8(FieldText(*FindField(LayoutOf(type, block.bytes), "name"), block.bytes));
        }
    }
}

bool ClientBrowserModel::HoldsItem(std::int32_t entry, const std::vector<std::pair<std::int64_t, std::int64_t>>& items) {
    if (!reader_) return false;
    if (staticStarts_.empty()) {
        const BlockType& type = *BlockTypeOf(kStatics, 0);
        const RecordLayout& layout = type.layouts[0];
        const BlockField& item = *FindField(layout, "item");
        staticStarts_.reserve(present_.size() + 1);
        ClientBlock block;
        for (std::size_t n = 0; n < present_.size(); ++n) {
            staticStarts_.push_back(staticItems_.size());
            if (!present_[n]) continue;
            reader_->Show(static_cast<std::int32_t>(n), block);
            for (std::size_t i = 0, count = RecordsHeld(type, layout, block.bytes.size()); i < count; ++i)
                staticItems_.push_back(static_cast<std::uint16_t>(
                    FieldNumber(item, block.bytes.subspan(RecordOffset(type, layout, i), layout.size))));
        }
        staticStarts_.push_back(staticItems_.size());
    }
    const auto n = static_cast<std::size_t>(entry);
    if (entry < 0 || n + 1 >= staticStarts_.size()) return false;
    return std::any_of(staticItems_.begin() + static_cast<std::ptrdiff_t>(staticStarts_[n]),
                       staticItems_.begin() + static_cast<std::ptrdiff_t>(staticStarts_[n + 1]), [&](std::uint16_t id) {
                           return std::any_of(items.begin(), items.end(),
                                              [&](const auto& r) { return r.first <= id && id <= r.second; });
                       });
}

bool ClientBrowserModel::Present(std::int32_t entry) const {
    return entry >= 0 && static_cast<std::size_t>(entry) < present_.size() && present_[static_cast<std::size_t>(entry)];
}

std::vector<std::int32_t> ClientBrowserModel::BlocksOf(std::int32_t entry) const {
    if (Type().fileId != kAnim) return {entry};
    std::vector<std::int32_t> blocks;
    for (std::int32_t d = 0; d < kAnimDirections; ++d) blocks.push_back(entry + d);
    return blocks;
}

bool ClientBrowserModel::NameHolds(std::int32_t entry, const QString& word) const {
    const std::uint8_t fileId = Type().fileId;
    auto holds = [&](const std::vector<QString>& names, std::int64_t first, std::int64_t count) {
        for (std::int64_t i = std::max<std::int64_t>(first, 0); i < first + count && i < static_cast<std::int64_t>(names.size()); ++i)
            if (names[static_cast<std::size_t>(i)].contains(word, Qt::CaseInsensitive)) return true;
        return false;
    };
    if (fileId == kArt)
        return entry < kArtStaticBase ? holds(landNames_, entry, 1) : holds(itemNames_, entry - kArtStaticBase, 1);
    if (fileId == kTiledata)
        return entry < kTiledataLandGroups ? holds(landNames_, std::int64_t{entry} * kTiledataGroupRecords, kTiledataGroupRecords)
                                           : holds(itemNames_, std::int64_t{entry - kTiledataLandGroups} * kTiledataGroupRecords, kTiledataGroupRecords);
    return NameOf(entry).contains(word, Qt::CaseInsensitive);
}

void ClientBrowserModel::SetFilter(const QString& text) {
    filter_ = text;
    Refilter();
}

void ClientBrowserModel::Refilter() {
    const FilterWords filter = ReadFilter(filter_, Type().fileId);
    std::unordered_set<std::int32_t> held;
    if (filter.patch) document_.patch().ForEachLive(Type().fileId, [&](const PatchBlock& b) { held.insert(b.number); });
    std::vector<std::int32_t> rows;
    if (!filter.nothing)
        for (const std::int32_t entry : entries_) {
            if (!filter.empty && !Present(entry)) continue;
            const std::vector<std::int32_t> blocks = BlocksOf(entry);
            if (!filter.ranges.empty() &&
                std::none_of(filter.ranges.begin(), filter.ranges.end(), [&](const auto& r) {
                    return r.first <= blocks.back() && r.second >= blocks.front();
                }))
                continue;
            if (!filter.items.empty() && !HoldsItem(entry, filter.items)) continue;
            if (filter.patch &&
                std::any_of(blocks.begin(), blocks.end(), [&](std::int32_t b) { return held.count(b) > 0; }) != *filter.patch)
                continue;
            if (std::all_of(filter.words.begin(), filter.words.end(), [&](const QString& w) { return NameHolds(entry, w); }))
                rows.push_back(entry);
        }
    if (rows == rows_) return;
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void ClientBrowserModel::MarksChanged() {
    if (ReadFilter(filter_, Type().fileId).patch) Refilter();
    if (!rows_.empty()) emit dataChanged(index(0), index(rowCount() - 1), {MarkRole, Qt::DecorationRole, Qt::ToolTipRole});
}

int ClientBrowserModel::RowOf(std::int32_t number) const {
    const auto at = std::lower_bound(rows_.begin(), rows_.end(), number);
    return at != rows_.end() && *at == number ? static_cast<int>(at - rows_.begin()) : -1;
}

int ClientBrowserModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QString ClientBrowserModel::NameOf(std::int32_t entry) const {
    const std::uint8_t fileId = Type().fileId;
    switch (fileId) {
        case kArt: {
            const bool land = entry < kArtStaticBase;
            const std::vector<QString>& names = land ? landNames_ : itemNames_;
            const auto id = static_cast<std::size_t>(land ? entry : entry - kArtStaticBase);
            const QString name = id < names.size() ? names[id] : QString();
            return QStringLiteral("%1 0x%2%3")
                .arg(land ? QStringLiteral("Land tile") : QStringLiteral("Item"),
                     QString::number(id, 16).toUpper().rightJustified(4, QLatin1Char('0')),
                     name.isEmpty() ? QString() : QStringLiteral(" '%1'").arg(name));
        }
        case kAnim:
            if (const std::optional<AnimName> anim = AnimBlockName(entry))
                return QStringLiteral("Body %1, action %2").arg(anim->body).arg(anim->action);
            return {};
        case kTiledata: {
            ClientBlocks* reader = const_cast<ClientBlocks*>(reader_.get());
            return reader ? FromUtf8(BlockName(kTiledata, entry, reader->Block(entry).bytes, {})) : QString();
        }
        case kSound:
        case kSkills:
            return entry >= 0 && static_cast<std::size_t>(entry) < ownNames_.size() ? ownNames_[static_cast<std::size_t>(entry)]
                                                                                    : QString();
        default: return {};
    }
}

QString ClientBrowserModel::DetailOf(std::int32_t entry) const {
    if (const auto known = details_.find(entry); known != details_.end()) return *known;
    ClientBlocks* reader = const_cast<ClientBlocks*>(reader_.get());
    QString detail;
    if (const ClientBlock block = reader ? reader->Block(entry) : ClientBlock(); block.HasData())
        detail = ListDetail(Type().fileId, entry, block.bytes);
    // Only the rows shown ask; a long scroll starts the memo over.
    if (details_.size() > 4096) details_.clear();
    details_.insert(entry, detail);
    return detail;
}

QVariant ClientBrowserModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const std::int32_t n = NumberAt(index.row());
    const std::uint8_t fileId = Type().fileId;
    auto mark = [&]() -> std::optional<BlockState> {
        if (!comparison_) return std::nullopt;
        for (const std::int32_t b : BlocksOf(n))
            if (const auto state = comparison_->StateOf({fileId, b})) return state;
        return std::nullopt;
    };
    switch (role) {
        case Qt::DisplayRole: {
            QString text = FromUtf8(BlockNodeText(fileId, n, false));
            if (Type().pictures) return text;
            for (const QString& part : {NameOf(n), DetailOf(n)})
                if (!part.isEmpty()) text += QStringLiteral("  ") + part;
            return text;
        }
        case Qt::ToolTipRole: {
            QStringList lines{FromUtf8(BlockNodeText(fileId, n, false))};
            if (const QString name = NameOf(n); !name.isEmpty()) lines << name;
            // A house's thumbnail does not tell its footprint.
            if (fileId == kMultis && Present(n)) lines << DetailOf(n);
            if (!Present(n)) lines << QStringLiteral("The client has no data here.");
            if (const auto state = mark()) lines << QStringLiteral("In the patch: %1").arg(ClientComparison::Tooltip(*state));
            return lines.join(QLatin1Char('\n'));
        }
        case Qt::DecorationRole:
            if (Type().pictures) {
                if (!Present(n)) return {};
                return const_cast<ClientThumbnails&>(thumbnails_).Get(n);
            }
            if (fileId == kStatics) return StaticsIcon(n, mark());
            [[fallthrough]];
        case MarkRole:
            if (const auto state = mark()) return ClientComparison::Mark(*state);
            return {};
        case NumberRole: return n;
        default: return {};
    }
}

QImage ClientBrowserModel::StaticsIcon(std::int32_t entry, const std::optional<BlockState>& state) const {
    constexpr int kSide = 16, kGap = 2;
    QImage icon(2 * kSide + kGap, kSide, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (Present(entry))
        if (const QImage radar = const_cast<ClientThumbnails&>(thumbnails_).Get(entry); !radar.isNull())
            painter.drawImage(QRect(0, 0, kSide, kSide), radar);
    if (state) ClientComparison::Mark(*state).paint(&painter, QRect(kSide + kGap, 0, kSide, kSide));
    return icon;
}

Qt::ItemFlags ClientBrowserModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QStringList ClientBrowserModel::mimeTypes() const { return {QString::fromLatin1(kMimeType)}; }

QMimeData* ClientBrowserModel::mimeData(const QModelIndexList& indexes) const {
    std::vector<std::int32_t> blocks;
    for (const QModelIndex& index : indexes)
        if (index.isValid())
            for (const std::int32_t b : BlocksOf(NumberAt(index.row()))) blocks.push_back(b);
    std::sort(blocks.begin(), blocks.end());
    blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << static_cast<quint8>(Type().fileId) << static_cast<quint32>(blocks.size());
    for (const std::int32_t b : blocks) out << static_cast<qint32>(b);
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kMimeType), bytes);
    return data;
}

std::optional<std::pair<std::uint8_t, std::vector<std::int32_t>>> ClientBrowserModel::Dragged(const QMimeData* data) {
    if (!data || !data->hasFormat(QString::fromLatin1(kMimeType))) return std::nullopt;
    QDataStream in(data->data(QString::fromLatin1(kMimeType)));
    quint8 fileId = 0;
    quint32 count = 0;
    in >> fileId >> count;
    std::vector<std::int32_t> blocks;
    for (quint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        qint32 b = 0;
        in >> b;
        if (in.status() == QDataStream::Ok) blocks.push_back(b);
    }
    if (in.status() != QDataStream::Ok) return std::nullopt;
    return std::pair(static_cast<std::uint8_t>(fileId), std::move(blocks));
}
