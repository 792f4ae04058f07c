#include "app/InfoPanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QTableView>
#include <QVBoxLayout>

#include "app/fact_table_model.h"
#include "codecs/block_facts.h"
#include "codecs/wav.h"
#include "app/patch_document.h"
#include "app/settings.h"
#include "codecs/art.h"
#include "codecs/bitmap.h"
#include "codecs/previews.h"
#include "patch/FileTypes.h"
#include "patch/block_info.h"

namespace {
constexpr std::uint8_t kSoundId = 8;
}  // namespace

InfoPanel::InfoPanel(QWidget* parent, const PatchDocument& document, const Settings& settings)
    : QWidget(parent), document_(document), settings_(settings) {
    setObjectName(QStringLiteral("InfoPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
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
    cmdPlay_ = new QPushButton(QStringLiteral("&Play"), this);
    cmdPlay_->setObjectName(QStringLiteral("cmdPlay"));
    connect(cmdPlay_, &QPushButton::clicked, this, &InfoPanel::PlayRequested);
    layout->addSpacing(6);
    layout->addWidget(lblFacts_);
    layout->addWidget(lblProblem_);
    layout->addWidget(cmdPlay_, 0, Qt::AlignLeft);
    facts_ = new FactTableModel(this);
    tblFacts_ = new QTableView(this);
    tblFacts_->setObjectName(QStringLiteral("tblFacts"));
    tblFacts_->setModel(facts_);
    tblFacts_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblFacts_->verticalHeader()->setDefaultSectionSize(tblFacts_->fontMetrics().height() + 4);
    tblFacts_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(tblFacts_, 2);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    picInfo_ = new QLabel(scroll);
    picInfo_->setObjectName(QStringLiteral("picInfo"));
    picInfo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll->setWidget(picInfo_);
    scroll->setWidgetResizable(false);
    layout->addWidget(scroll, 3);
    ClearFacts();
}

void InfoPanel::SetPicture(const QImage& picture) {
    picture_ = picture;
    picInfo_->setPixmap(QPixmap::fromImage(picture_));
    picInfo_->resize(picture_.size());
}

void InfoPanel::ClearPicture() {
    picture_ = QImage();
    picInfo_->clear();
    picInfo_->resize(0, 0);
    lastPicture_.reset();
}

void InfoPanel::ClearFacts() {
    lblFacts_->clear();
    lblProblem_->clear();
    facts_->SetTable({});
    for (QWidget* w : {static_cast<QWidget*>(lblFacts_), static_cast<QWidget*>(lblProblem_),
                       static_cast<QWidget*>(cmdPlay_), static_cast<QWidget*>(tblFacts_)})
        w->hide();
}

void InfoPanel::ShowFacts(const BlockFacts& facts) {
    QStringList lines{QStringLiteral("<b>%1</b>").arg(QString::fromStdString(facts.heading).toHtmlEscaped())};
    for (const std::string& line : facts.lines) lines << QString::fromStdString(line).toHtmlEscaped();
    lblFacts_->setText(lines.join(QStringLiteral("<br>")));
    lblFacts_->show();
    if (!facts.problem.empty()) {
        lblProblem_->setText(QString::fromStdString(facts.problem));
        lblProblem_->show();
    }
    if (!facts.table.rows.empty()) {
        facts_->SetTable(facts.table);
        tblFacts_->resizeColumnsToContents();
        tblFacts_->show();
    }
    if (facts.picture.width > 0 && facts.picture.height > 0)
        SetPicture(LongArrayToImage(PictureColors(facts.picture), palette().color(QPalette::Button).rgb()));
}

void InfoPanel::ShowNode(BlockId id, const QString& text) {
    ClearFacts();
    lblHeading_->clear();
    for (QLabel* l : lblInfo_) l->clear();
    if (lastPicture_ != id) ClearPicture();

    const Patch& patch = document_.patch();
    BlockInfo info;
    if (id.IsBlock()) {
        const std::int32_t slot = patch.FindLiveBlock(id.fileId, id.blockNumber);
        const PatchBlock* block = slot < 0 ? nullptr : &patch[id.fileId].Blocks[static_cast<std::size_t>(slot)];
        info = DescribeBlock(id.fileId, id.blockNumber, block);
        if (block) Preview(id, *block);
    } else {
        info = DescribeFileType(text.toStdString(), patch[id.fileId]);
    }
    lblHeading_->setText(QString::fromStdString(info.heading));
    for (std::size_t i = 0; i < lblInfo_.size(); ++i) lblInfo_[i]->setText(QString::fromStdString(info.lines[i]));
}

void InfoPanel::Preview(BlockId id, const PatchBlock& block) {
    LongArray grid;
    const QRgb background = palette().color(QPalette::Button).rgb();
    switch (id.fileId) {
        case kMapFileId:
            if (MapPreview(block.ByteArray, settings_.RadarColors, grid).empty())
                SetPicture(LongArrayToImage(grid, background));
            break;
        case kAnimFileId:
            if (block.Length > 0 && AnimPreview(block.ByteArray, grid).empty())
                SetPicture(LongArrayToImage(grid, background));
            break;
        case kArtFileId: {
            const bool drawn = id.blockNumber < 16384 ? ArtRun2LongArray(block.ByteArray, grid)
                                                      : ArtRaw2LongArray(block.ByteArray, grid);
            if (!drawn) break;
            for (std::int32_t& cell : grid.cells)
                if (cell == kArtBackground) cell = LongArray::kBackground;
            SetPicture(LongArrayToImage(grid, background));
            break;
        }
        case kGumpFileId:
            if (lastPicture_ != id) {
                std::string error;
                const QImage picture = GumpPicture(block, error);
                if (!picture.isNull()) SetPicture(picture);
            }
            lastPicture_ = id;
            break;
        default:
            if (const auto facts = DescribeBlockData(id.fileId, id.blockNumber, block.ByteArray)) {
                ShowFacts(*facts);
                cmdPlay_->setVisible(id.fileId == kSoundId && block.ByteArray.size() >= kSoundHeaderSize);
            }
            break;
    }
}
