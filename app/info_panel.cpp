#include "app/info_panel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/anim_player.h"
#include "app/fact_table_model.h"
#include "app/patch_document.h"
#include "app/picture_view.h"
#include "app/settings.h"
#include "codecs/art.h"
#include "codecs/block_facts.h"
#include "codecs/gump.h"
#include "codecs/previews.h"
#include "codecs/wav.h"
#include "gamefiles/whole_files.h"
#include "images/bitmap.h"
#include "patch/block_info.h"
#include "patch/file_types.h"

namespace {
// Rows the table shows without scrolling at the least: a hues block's eight.
constexpr int kTableRows = 8;
constexpr QRgb kClear = 0;  // the transparent colour of pictures with alpha
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
    layout->addLayout(pictures_);
    player_ = new AnimPlayer(this, *view_,
                             [this](std::int32_t n) { return document_.patch().LiveBlock(kAnim, n) != nullptr; });
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
    if (facts.picture.width > 0 && facts.picture.height > 0)
        view_->SetPicture(GridToImage(PictureColors(facts.picture), kClear));
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
    // The room below the facts goes to the table and the pictures shown; a
    // hidden one's stretch would still hold room.
    const bool table = !tblFacts_->isHidden(), picture = !view_->Picture().isNull();
    view_->setVisible(picture);
    auto* layout = static_cast<QBoxLayout*>(this->layout());
    layout->setStretchFactor(tblFacts_, table ? 2 : 0);
    layout->setStretchFactor(pictures_, picture ? 3 : 0);
    layout->setStretchFactor(filler_, table || picture ? 0 : 1);
}

void InfoPanel::Preview(BlockId id, const PatchBlock& block) {
    // A block that does not decode whole shows what could be drawn and says why.
    ColorGrid drawn;
    auto show = [&](const Result<ColorGrid>& grid, QRgb transparent) {
        if (!grid) ShowProblem(grid.error().message);
        const ColorGrid& cells = grid ? *grid : drawn;
        if (cells.width <= 0 || cells.height <= 0) return;
        // A picture with alpha needs no transparent colour of its own.
        view_->SetPicture(GridToImage(cells, transparent),
                          qAlpha(transparent) == 255 ? std::optional(transparent) : std::nullopt);
    };
    switch (id.fileId) {
        case kMap: show(MapPreview(block.bytes, settings_.RadarColors, &drawn), kClear); break;
        case kAnim:
            // What a damaged block holds up to the damage is what the first-frame preview draws.
            if (Status played = player_->Load(id.blockNumber, block.bytes); !played) {
                show(AnimPreview(block.bytes), kClear);
                ShowProblem(played.error().message);
            }
            break;
        case kArt: {
            Result<ColorGrid> tile = id.blockNumber < 16384 ? DecodeLandTile(block.bytes, &drawn)
                                                            : DecodeStaticTile(block.bytes, &drawn);
            for (std::int32_t& cell : (tile ? tile->cells : drawn.cells))
                if (cell == kArtBackground) cell = ColorGrid::kBackground;
            show(tile, kClear);
            break;
        }
        case kGumps:
            // Colour 0, the transparent cells, is black in the picture "Save to Bmp" writes.
            show(DecodeGump(block.bytes, block.flagB, block.flagA, &drawn), qRgb(0, 0, 0));
            break;
        case kFiles: ShowFacts(WholeFileFacts(id.blockNumber, block.bytes)); break;
        default:
            if (const auto facts = DescribeBlockData(id.fileId, id.blockNumber, block.bytes)) {
                ShowFacts(*facts);
                cmdPlay_->setVisible(id.fileId == kSound && block.bytes.size() >= kSoundHeaderSize);
            }
            break;
    }
}
