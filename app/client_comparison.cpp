#include "app/client_comparison.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>
#include <array>

#include "app/patch_document.h"

ClientComparison::ClientComparison(PatchDocument& document, QObject* parent) : QObject(parent), document_(document) {
    connect(&document_, &PatchDocument::BlocksChanged, this, &ClientComparison::Refresh);
}

ClientComparison::~ClientComparison() { Stop(); }

void ClientComparison::SetClient(const QString& folder, bool withVerdata) {
    if (folder == folder_ && withVerdata == withVerdata_) return;
    folder_ = folder;
    withVerdata_ = withVerdata;
    Refresh();
}

void ClientComparison::Stop() {
    if (stop_) *stop_ = true;
    if (worker_.joinable()) worker_.join();
}

void ClientComparison::Refresh() {
    Stop();
    ++generation_;
    const bool hadStates = !states_.empty();
    states_.clear();
    judged_ = false;
    if (hadStates) emit StatesChanged();
    if (folder_.isEmpty()) return;
    // The worker judges a copy: block data is shared, not copied, and the
    // document may change meanwhile.
    auto patch = std::make_shared<const Patch>(document_.patch());
    stop_ = std::make_shared<std::atomic<bool>>(false);
    done_ = false;
    worker_ = std::thread([this, patch, stop = stop_, folder = folder_.toStdString(), withVerdata = withVerdata_,
                           generation = generation_] {
        auto judged = std::make_shared<Result<std::vector<TypeStates>>>(Error(""));
        try {
            const Result<ClientFolder> client = ClientFolder::Open(folder);
            if (!client) *judged = client.error();
            else
                *judged = JudgePatch(*patch, *client, withVerdata, {[&stop](std::int64_t, std::int64_t) { return !*stop; }});
        } catch (const std::bad_alloc&) {
            *judged = Error("There is not enough memory to compare the patch with the client.");
        }
        done_ = true;
        QMetaObject::invokeMethod(
            this, [this, generation, judged] { Finished(generation, std::move(*judged)); }, Qt::QueuedConnection);
    });
}

void ClientComparison::Wait() {
    if (worker_.joinable()) worker_.join();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void ClientComparison::Finished(unsigned generation, Result<std::vector<TypeStates>> states) {
    if (generation != generation_) return;  // a later judgement is on its way
    if (!states) {
        if (states.error().code != ErrorCode::kCancelled) emit Failed(QString::fromStdString(states.error().message));
        return;
    }
    states_ = std::move(*states);
    judged_ = true;
    emit StatesChanged();
}

std::optional<std::pair<const TypeStates*, std::size_t>> ClientComparison::Find(BlockId id) const {
    const auto type = std::find_if(states_.begin(), states_.end(), [&](const TypeStates& t) { return t.fileId == id.fileId; });
    if (type == states_.end()) return std::nullopt;
    const auto at = std::lower_bound(type->blocks.begin(), type->blocks.end(), id.blockNumber,
                                     [](const auto& block, std::int32_t n) { return block.first < n; });
    if (at == type->blocks.end() || at->first != id.blockNumber) return std::nullopt;
    return std::pair(&*type, static_cast<std::size_t>(at - type->blocks.begin()));
}

std::optional<BlockState> ClientComparison::StateOf(BlockId id) const {
    const auto found = Find(id);
    if (!found) return std::nullopt;
    return found->first->states[found->second];
}

QString ClientComparison::TooltipOf(BlockId id) const {
    const auto found = Find(id);
    if (!found) return {};
    QString text = Tooltip(found->first->states[found->second]);
    // Where the client holds the type twice and the two disagree, each is named.
    if (const std::vector<FormState>* forms = found->first->SplitOf(found->second))
        for (const FormState& f : *forms)
            text += QStringLiteral("\n%1: %2").arg(QString::fromStdString(f.file), QString::fromLatin1(StateName(f.state)));
    return text;
}

std::int64_t ClientComparison::Count(std::uint8_t fileId, BlockState state) const {
    for (const TypeStates& type : states_)
        if (type.fileId == fileId) return std::count(type.states.begin(), type.states.end(), state);
    return 0;
}

PatchEdit ClientComparison::SameBlocksRemoved() const {
    PatchEdit edit;
    for (const TypeStates& type : states_)
        for (std::size_t i = 0; i < type.blocks.size(); ++i)
            if (type.states[i] == BlockState::kSame)
                edit.removals.push_back({type.fileId, static_cast<std::int32_t>(type.blocks[i].second), type.blocks[i].first});
    return edit;
}

namespace {
// Shapes tell the states apart without their colours; the colours are of a
// palette colour-blind eyes tell apart, mid-bright so that they show on
// light and dark themes alike.
QIcon DrawMark(BlockState state) {
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    const QRectF box(2.5, 2.5, 9, 9);
    switch (state) {
        case BlockState::kNew:  // a blue disc
            p.setBrush(QColor(0x00, 0x72, 0xB2));
            p.drawEllipse(box);
            break;
        case BlockState::kChanges: {  // an orange diamond
            p.setBrush(QColor(0xE6, 0x9F, 0x00));
            const QPointF diamond[] = {{7, 1.5}, {12.5, 7}, {7, 12.5}, {1.5, 7}};
            p.drawPolygon(diamond, 4);
            break;
        }
        case BlockState::kSame:  // a grey ring
            p.setPen(QPen(QColor(0x99, 0x99, 0x99), 2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(box.adjusted(0.5, 0.5, -0.5, -0.5));
            break;
        case BlockState::kRemoves:  // a vermilion square
            p.setBrush(QColor(0xD5, 0x5E, 0x00));
            p.drawRect(box);
            break;
        case BlockState::kUnfit: {  // a reddish purple triangle
            p.setBrush(QColor(0xCC, 0x79, 0xA7));
            const QPointF triangle[] = {{7, 1.5}, {12.5, 12}, {1.5, 12}};
            p.drawPolygon(triangle, 3);
            break;
        }
        case BlockState::kUnknown:
            break;
    }
    return QIcon(pixmap);
}
}  // namespace

QIcon ClientComparison::Mark(BlockState state) {
    static const std::array<QIcon, kBlockStates> marks = [] {
        std::array<QIcon, kBlockStates> all;
        for (std::size_t s = 0; s < kBlockStates; ++s) all[s] = DrawMark(static_cast<BlockState>(s));
        return all;
    }();
    return marks[static_cast<std::size_t>(state)];
}

QString ClientComparison::Tooltip(BlockState state) {
    switch (state) {
        case BlockState::kNew: return QStringLiteral("new: the client has no data here");
        case BlockState::kChanges: return QStringLiteral("changes: the client has other data here");
        case BlockState::kSame: return QStringLiteral("same: the client already has this");
        case BlockState::kRemoves: return QStringLiteral("removes: the client has data this block takes away");
        case BlockState::kUnfit: return QStringLiteral("unfit: the client's files cannot take this block");
        case BlockState::kUnknown: return QStringLiteral("unknown: the client folder lacks the files of this type");
    }
    return {};
}
