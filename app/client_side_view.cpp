#include "app/client_side_view.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/picture_view.h"
#include "app/settings.h"
#include "images/anim_canvas.h"
#include "io/counted.h"
#include "app/widgets.h"
#include "codecs/file_ids.h"
#include "gamefiles/block_names.h"

ClientSideView::ClientSideView(QWidget* parent, const Settings& settings) : QWidget(parent), settings_(settings) {
    setObjectName(QStringLiteral("ClientSideView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    lblName_ = Named(new QLabel(this), "lblBlockName");
    lblName_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblClient_ = Named(new QLabel(this), "lblClient");
    lblClient_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblClientFrame_ = Named(new QLabel(this), "lblClientFrame");
    chkDiffering_ = Named(new QCheckBox(QStringLiteral("Only the cells that &differ"), this), "chkDiffering");
    connect(chkDiffering_, &QCheckBox::toggled, this, &ClientSideView::Redraw);
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    picClient_ = Named(new QLabel(scroll_), "picClient");
    picClient_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll_->setWidget(picClient_);
    scroll_->setWidgetResizable(false);
    scroll_->viewport()->installEventFilter(this);
    layout->addWidget(lblName_);
    layout->addWidget(lblClient_);
    layout->addWidget(lblClientFrame_);
    layout->addWidget(chkDiffering_);
    layout->addWidget(scroll_, 1);
    layout->addStretch();  // keeps the lines at the top while no picture is shown
    hide();
}

ClientSideView::~ClientSideView() = default;

void ClientSideView::Clear() {
    block_.reset();
    patch_.reset();
    client_.reset();
    clientAnim_.reset();
    lblClientFrame_->hide();
    shown_ = QImage();
    hide();
}

ClientBlocks* ClientSideView::ReaderOf(std::uint8_t fileId, QString& source) {
    if (openedFolder_ != settings_.ClientFolder || openedVerdata_ != settings_.ClientVerdata || !folder_) {
        for (auto& reader : readers_) reader.reset();
        folder_.reset();
        openedFolder_ = settings_.ClientFolder;
        openedVerdata_ = settings_.ClientVerdata;
        Result<ClientFolder> opened = ClientFolder::Open(openedFolder_);
        if (!opened) {
            source = QString::fromStdString(opened.error().message);
            return nullptr;
        }
        folder_ = std::move(*opened);
    }
    std::unique_ptr<ClientBlocks>& reader = readers_[fileId];
    if (!reader) {
        const std::optional<Form> form = folder_->ShownForm(fileId);
        if (!form) {
            const std::vector<std::string> missing = folder_->MissingFiles(fileId);
            source = missing.empty() ? QStringLiteral("unknown")
                                     : QStringLiteral("unknown (the folder lacks %1)").arg(QString::fromStdString(missing[0]));
            return nullptr;
        }
        reader = std::make_unique<ClientBlocks>();
        if (Status opened = reader->Open(*folder_, fileId, *form, settings_.ClientVerdata); !opened) {
            reader.reset();
            source = QString::fromStdString(opened.error().message);
            return nullptr;
        }
    }
    return reader.get();
}

bool ClientSideView::Holds(BlockId id) {
    if (settings_.ClientFolder.empty() || !id.IsBlock()) return false;
    QString source;
    ClientBlocks* reader = ReaderOf(id.fileId, source);
    return reader && reader->Block(id.blockNumber).HasData();
}

std::optional<PatchBlock> ClientSideView::ClientBlockOf(BlockId id, QString& source) {
    ClientBlocks* reader = ReaderOf(id.fileId, source);
    if (!reader) return std::nullopt;
    const ClientBlock block = reader->Block(id.blockNumber);
    const QString file = QString::fromUtf8(block.source.data(), static_cast<qsizetype>(block.source.size()));
    if (block.damaged) source = QStringLiteral("none (the entry in %1 is damaged)").arg(file);
    else source = block.HasData() ? file : QStringLiteral("none");
    if (!block.HasData()) return std::nullopt;
    return PatchBlock{id.blockNumber, block.flagA, block.flagB, BlockBytes::CopyOf(block.bytes)};
}

void ClientSideView::Show(BlockId id, ByteView bytes, const std::optional<BlockPicture>& patch, double scale,
                          bool pictureBeside) {
    if (!id.IsBlock()) {
        Clear();
        return;
    }
    const bool withClient = !settings_.ClientFolder.empty();
    TiledataGroupFn tiledata;
    if (withClient || patchTiledata_)
        tiledata = [this, withClient](std::int32_t group) {
            if (patchTiledata_)
                if (Bytes own = patchTiledata_(group); !own.empty()) return own;
            QString source;
            const std::optional<PatchBlock> block = withClient ? ClientBlockOf({kTiledata, group}, source) : std::nullopt;
            return block ? Bytes(block->bytes.begin(), block->bytes.end()) : Bytes{};
        };
    // The animation player names anim blocks.
    const std::string name = id.fileId == kAnim ? "" : BlockName(id.fileId, id.blockNumber, bytes, tiledata);
    lblName_->setText(QString::fromStdString(name));
    lblName_->setVisible(!name.empty());
    lblClient_->setVisible(withClient);
    patch_ = patch;
    client_.reset();
    block_.reset();
    clientAnim_.reset();
    lblClientFrame_->hide();
    if (withClient) {
        QString source;
        block_ = ClientBlockOf(id, source);
        lblClient_->setText(QStringLiteral("In the client: %1").arg(source));
        // Its frames follow the patch's player (ShowAnimFrame).
        if (block_ && pictureBeside && id.fileId == kAnim) {
            clientAnim_ = DecodeAnimationFrames(block_->bytes);
            clientAnimBox_ = AnimCanvasBox(clientAnim_->animation);
        } else if (block_ && pictureBeside) {
            BlockPicture picture = PictureOfBlock(id, *block_, settings_.RadarColors);
            if (!picture.image.isNull()) client_ = std::move(picture);
        }
    }
    scale_ = scale > 0 ? scale : 1;
    setVisible(withClient || !name.empty());
    Redraw();
    emit FitChanged();
}

void ClientSideView::ShowAnimFrame(std::size_t number, const std::optional<BlockPicture>& patch) {
    if (!clientAnim_) return;
    const QSize before = client_ ? client_->image.size() : QSize();
    patch_ = patch;
    client_.reset();
    const AnimDecoding& anim = *clientAnim_;
    const auto at = std::find(anim.numbers.begin(), anim.numbers.end(), number);
    QString missing;
    if (at != anim.numbers.end()) {
        const QImage frame =
            AnimPlayedFrame(anim.animation, static_cast<std::size_t>(at - anim.numbers.begin()), clientAnimBox_);
        if (!frame.isNull()) client_ = BlockPicture{frame, std::nullopt, {}};
    } else if (number >= anim.count) {
        missing = anim.count == 0 ? QStringLiteral("The client's block has no frames.")
                                  : QStringLiteral("The client's block has only %1.")
                                        .arg(QString::fromStdString(Counted(static_cast<std::int64_t>(anim.count), "frame")));
    } else {
        missing = QStringLiteral("The client's frame %1 does not decode.").arg(number + 1);
    }
    lblClientFrame_->setText(missing);
    lblClientFrame_->setVisible(!missing.isEmpty());
    Redraw();
    if ((client_ ? client_->image.size() : QSize()) != before) emit FitChanged();
}

std::optional<FitArea> ClientSideView::FitNeeds() const {
    if (!client_ || isHidden()) return std::nullopt;
    return FitArea{client_->image.size(), scroll_->maximumViewportSize()};
}

bool ClientSideView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize && client_) emit FitChanged();
    return QWidget::eventFilter(watched, event);
}

void ClientSideView::SetScale(double scale) {
    if (scale <= 0 || scale == scale_) return;
    scale_ = scale;
    Redraw();
}

void ClientSideView::Redraw() {
    chkDiffering_->setVisible(client_ && patch_);
    scroll_->setVisible(client_.has_value());
    if (!client_) {
        shown_ = QImage();
        picClient_->clear();
        return;
    }
    // With the toggle, the cells the patch's picture has alike are left out
    // as the transparent ones are.
    QImage cells = ClearedCells(client_->image, client_->transparent);
    const QImage other = patch_ ? ClearedCells(patch_->image, patch_->transparent) : QImage();
    if (chkDiffering_->isChecked() && other.size() == cells.size())
        for (int y = 0; y < cells.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(cells.scanLine(y));
            const auto* theirs = reinterpret_cast<const QRgb*>(other.constScanLine(y));
            for (int x = 0; x < cells.width(); ++x)
                if (theirs[x] == line[x]) line[x] = 0;
        }
    shown_ = DrawnCells(cells, scale_);
    picClient_->setPixmap(QPixmap::fromImage(shown_));
    picClient_->resize(shown_.size());
}
