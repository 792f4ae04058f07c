#include "app/InfoPanel.h"

#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/block_info.h"
#include "app/block_tree.h"
#include "codecs/art.h"
#include "codecs/bitmap.h"
#include "codecs/previews.h"
#include "patch/FileTypes.h"
#include "patch/app_values.h"

InfoPanel::InfoPanel(QWidget* parent) : QWidget(parent) {
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
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    picInfo_ = new QLabel(scroll);
    picInfo_->setObjectName(QStringLiteral("picInfo"));
    picInfo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll->setWidget(picInfo_);
    scroll->setWidgetResizable(false);
    layout->addSpacing(6);
    layout->addWidget(scroll, 1);
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
    lastPictureKey_.clear();
}

bool InfoPanel::ShowNode(const QString& key, const QString& text) {
    lblHeading_->clear();
    for (QLabel* l : lblInfo_) l->clear();
    if (key != lastPictureKey_) ClearPicture();

    const NodeKey k = ParseNodeKey(key.toStdString());
    BlockInfo info;
    if (k.isBlock) {
        const Patch& patch = App().WorkingPatch;
        const std::int32_t slot = patch.FindBlock(k.fileId, k.blockNumber);
        const PatchBlock* block = slot < 0 ? nullptr : &patch[k.fileId].Blocks[static_cast<std::size_t>(slot)];
        info = DescribeBlock(k.fileId, k.blockNumber, block);
        if (block) Preview(k.fileId, k.blockNumber, key, *block);
    } else if (k.isFileType) {
        info = DescribeFileType(text.toStdString(), App().WorkingPatch[k.fileId]);
    } else {
        return false;
    }
    lblHeading_->setText(QString::fromStdString(info.heading));
    for (std::size_t i = 0; i < lblInfo_.size(); ++i) lblInfo_[i]->setText(QString::fromStdString(info.lines[i]));
    return true;
}

void InfoPanel::Preview(std::uint8_t fileId, std::int32_t blockNumber, const QString& key, const PatchBlock& block) {
    LongArray grid;
    const QRgb background = palette().color(QPalette::Button).rgb();
    switch (fileId) {
        case kMapFileId:
            if (MapPreview(block.ByteArray, App().RadarColors, grid).empty())
                SetPicture(LongArrayToImage(grid, background));
            break;
        case kAnimFileId:
            if (block.Length > 0 && AnimPreview(block.ByteArray, grid).empty())
                SetPicture(LongArrayToImage(grid, background));
            break;
        case kArtFileId: {
            const bool drawn = blockNumber < 16384 ? ArtRun2LongArray(block.ByteArray, grid)
                                                   : ArtRaw2LongArray(block.ByteArray, grid);
            if (!drawn) break;
            for (std::int32_t& cell : grid.cells)
                if (cell == kArtBackground) cell = LongArray::kBackground;
            SetPicture(LongArrayToImage(grid, background));
            break;
        }
        case kGumpFileId:
            if (key != lastPictureKey_) {
                std::string error;
                const QImage picture = GumpPicture(block, error);
                if (!picture.isNull()) SetPicture(picture);
            }
            lastPictureKey_ = key;
            break;
        default:
            break;
    }
}
