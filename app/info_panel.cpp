#include "app/info_panel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/anim_player.h"
#include "app/block_picture.h"
#include "app/client_side_view.h"
#include "app/fact_table_model.h"
#include "app/patch_document.h"
#include "app/picture_view.h"
#include "app/settings.h"
#include "codecs/block_facts.h"
#include "codecs/wav.h"
#include "gamefiles/forms/whole_files.h"
#include "patch/block_info.h"
#include "patch/file_types.h"

namespace {
// Rows the table shows without scrolling at the least: a hues block's eight.
constexpr int kTableRows = 8;
}  // namespace

InfoPanel::InfoPanel(QWidget* parent, const PatchDocument& document, const Settings& settings)
    : QWidget(parent), document_(document), settings_(settings) {
    setObjectName(QStringLiteral("InfoPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    lblHeading_ = new QLabel(this);
    lblHeading_->setObjectName(QStringLiteral("lblHeading"));
    QFont headingFont = lblHeading_->font();
    headingFont.setBold(true);
    headingFont.setPointSize(headingFont.pointSize() + 2);
    lblHeading_->setFont(headingFont);
    layout->addWidget(lblHeading_);
    for (std::size_t i = 0; i < lblInfo_.size(); ++i) {
        lblInfo_[i] = new QLabel(this);
        lblInfo_[i]->setObjectName(QStringLiteral("lblInfo%1").arg(i + 1));
        lblInfo_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(lblInfo_[i]);
    }
    lblFacts_ = new QLabel(this);
    lblFacts_->setObjectName(QStringLiteral("lblFacts"));
    lblFacts_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblProblem_ = new QLabel(this);
    lblProblem_->setObjectName(QStringLiteral("lblProblem"));
    lblProblem_->setStyleSheet(QStringLiteral("color: #b00020;"));
    lblProblem_->setWordWrap(true);
    lblProblem_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cmdPlay_ = new QPushButton(QStringLiteral("&Play"), this);
    cmdPlay_->setObjectName(QStringLiteral("cmdPlay"));
    connect(cmdPlay_, &QPushButton::clicked, this, &InfoPanel::PlayRequested);
    layout->addSpacing(4);
    layout->addWidget(lblFacts_);
    layout->addWidget(lblProblem_);
    layout->addWidget(cmdPlay_, 0, Qt::AlignLeft);
    facts_ = new FactTableModel(this);
    tblFacts_ = new QTableView(this);
    tblFacts_->setObjectName(QStringLiteral("tblFacts"));
    tblFacts_->setModel(facts_);
    tblFacts_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblFacts_->verticalHeader()->hide();
    tblFacts_->verticalHeader()->setDefaultSectionSize(tblFacts_->fontMetrics().height() + 4);
    tblFacts_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(tblFacts_);
    // The pictures row: the block's picture, with room for more beside it.
    pictures_ = new QHBoxLayout;
    view_ = new PictureView(this);
    pictures_->addWidget(view_, 1);
    // The client's block beside the patch's, at the scale the patch's is drawn.
    clientSide_ = new ClientSideView(this, settings_);
    pictures_->addWidget(clientSide_, 1);
    connect(view_, &PictureView::Redrawn, this, [this] { clientSide_->SetScale(view_->Scale()); });
    // Fit fits both pictures to the room they share, at one scale.
    view_->SetFitPartner([this] { return clientSide_->FitNeeds(); });
    connect(clientSide_, &ClientSideView::FitChanged, view_, &PictureView::Refit);
    layout->addLayout(pictures_);
    player_ = new AnimPlayer(this, *view_, [this](std::int32_t n) {
        return document_.patch().LiveBlock(kAnim, n) != nullptr || clientSide_->Holds({kAnim, n});
    });
    // The client's animation plays in step with the patch's.
    connect(player_, &AnimPlayer::FrameShown, this, [this](std::size_t number) {
        clientSide_->ShowAnimFrame(number, BlockPicture{view_->Picture(), view_->Transparent(), {}});
    });
    layout->addWidget(player_);
    filler_ = new QWidget(this);
    layout->addWidget(filler_);
    Clear();
}

const QImage& InfoPanel::Picture() const { return view_->Picture(); }

void InfoPanel::Clear() {
    lblHeading_->clear();
    for (QLabel* l : lblInfo_) l->clear();
    lblFacts_->clear();
    lblProblem_->clear();
    facts_->SetTable({});
    view_->Clear();
    player_->Stop();
    for (QWidget* w : {static_cast<QWidget*>(lblFacts_), static_cast<QWidget*>(lblProblem_),
                       static_cast<QWidget*>(cmdPlay_), static_cast<QWidget*>(tblFacts_)})
        w->hide();
}

void InfoPanel::ShowProblem(const std::string& problem) {
    lblProblem_->setText(QString::fromStdString(problem));
    lblProblem_->setVisible(!problem.empty());
}

void InfoPanel::ShowFacts(const BlockFacts& facts) {
    QStringList lines{QStringLiteral("<b>%1</b>").arg(QString::fromStdString(facts.heading).toHtmlEscaped())};
    for (const std::string& line : facts.lines) lines << QString::fromStdString(line).toHtmlEscaped();
    lblFacts_->setText(lines.join(QStringLiteral("<br>")));
    lblFacts_->show();
    ShowProblem(facts.problem);
    if (!facts.table.rows.empty()) {
        facts_->SetTable(facts.table);
        tblFacts_->resizeColumnsToContents();
        const int rows = std::min<int>(kTableRows, static_cast<int>(facts.table.rows.size()));
        tblFacts_->setMinimumHeight(tblFacts_->horizontalHeader()->sizeHint().height() +
                                    rows * tblFacts_->verticalHeader()->defaultSectionSize() + 2 * tblFacts_->frameWidth());
        tblFacts_->show();
    }
    if (const QImage picture = FactsPicture(facts); !picture.isNull()) view_->SetPicture(picture);
}

void InfoPanel::ShowPicture(const BlockPicture& picture) {
    if (!picture.problem.empty()) ShowProblem(picture.problem);
    if (!picture.image.isNull()) view_->SetPicture(picture.image, picture.transparent);
}

void InfoPanel::ShowNode(BlockId id, const QString& text) {
    Clear();
    const Patch& patch = document_.patch();
    BlockInfo info;
    if (id.IsBlock()) {
        const PatchBlock* block = patch.LiveBlock(id.fileId, id.blockNumber);
        info = DescribeBlock(id.fileId, id.blockNumber, block);
        if (block) Preview(id, *block);
    } else {
        info = DescribeFileType(text.toStdString(), patch[id.fileId]);
    }
    lblHeading_->setText(QString::fromStdString(info.heading));
    lblHeading_->setHidden(info.heading.empty());
    for (std::size_t i = 0; i < lblInfo_.size(); ++i) {
        lblInfo_[i]->setText(QString::fromStdString(info.lines[i]));
        lblInfo_[i]->setHidden(info.lines[i].empty());
    }
    node_ = id;
    clientOnly_ = false;
    ShowClientSide();
    FitRows();
}

void InfoPanel::ShowClientBlock(BlockId id) {
    Clear();
    node_ = id;
    clientOnly_ = true;
    lblHeading_->setText(QString::fromStdString(DescribeBlock(id.fileId, id.blockNumber, nullptr).heading));
    lblHeading_->show();
    clientSide_->Show(id, {}, std::nullopt, view_->Scale(), false);
    const std::optional<PatchBlock>& client = clientSide_->ClientData();
    lblInfo_[0]->setText(client ? QStringLiteral("Not in the patch: the client's block is shown")
                                : QStringLiteral("Neither the patch nor the client holds this block"));
    lblInfo_[0]->show();
    if (client) Preview(id, *client);
    FitRows();
}

void InfoPanel::FitRows() {
    // A hidden widget's stretch would still hold room.
    const bool table = !tblFacts_->isHidden(), picture = !view_->Picture().isNull();
    const bool clientPicture = !clientSide_->Shown().isNull();
    view_->setVisible(picture);
    auto* layout = static_cast<QBoxLayout*>(this->layout());
    layout->setStretchFactor(tblFacts_, table ? 2 : 0);
    layout->setStretchFactor(pictures_, picture || clientPicture ? 3 : 0);
    layout->setStretchFactor(filler_, table || picture || clientPicture ? 0 : 1);
}

void InfoPanel::ShowClientSide() {
    if (!node_ || !node_->IsBlock()) {
        clientSide_->Clear();
        return;
    }
    // The client's block may differ now (another folder, or its verdata applied or not).
    if (clientOnly_) {
        ShowClientBlock(*node_);
        return;
    }
    const PatchBlock* block = document_.patch().LiveBlock(node_->fileId, node_->blockNumber);
    // The patch's picture the client's is set against: an animation's frame
    // the player shows.
    std::optional<BlockPicture> patch;
    if (!view_->Picture().isNull() && block) patch = BlockPicture{view_->Picture(), view_->Transparent(), {}};
    clientSide_->Show(*node_, block ? ByteView(block->bytes) : ByteView(), patch, view_->Scale());
    if (node_->fileId == kAnim) clientSide_->ShowAnimFrame(player_->FrameNumber(), patch);
    if (!player_->isHidden()) player_->UpdateSteps();
    // The table marks what differs from the client's block, read as the patch's is.
    if (facts_->rowCount() == 0 || clientSide_->isHidden() || settings_.ClientFolder.empty()) return;
    const std::optional<PatchBlock>& client = clientSide_->ClientData();
    std::optional<BlockFacts> theirs =
        DescribeBlockData(node_->fileId, node_->blockNumber, client ? ByteView(client->bytes) : ByteView());
    facts_->SetClientTable(theirs ? std::optional<FactTable>(std::move(theirs->table)) : FactTable{});
    // The cells that differ are bold, wider than when the columns were sized.
    tblFacts_->resizeColumnsToContents();
}

void InfoPanel::Preview(BlockId id, const PatchBlock& block) {
    switch (id.fileId) {
        case kAnim: ShowProblem(player_->Load(id.blockNumber, block.bytes)); break;
        case kMap:
        case kArt:
        case kGumps: ShowPicture(PictureOfBlock(id, block, settings_.RadarColors)); break;
        case kFiles: ShowFacts(WholeFileFacts(id.blockNumber, block.bytes)); break;
        default:
            if (const auto facts = DescribeBlockData(id.fileId, id.blockNumber, block.bytes)) {
                ShowFacts(*facts);
                cmdPlay_->setVisible(id.fileId == kSound && block.bytes.size() >= kSoundHeaderSize);
            }
            break;
    }
}
