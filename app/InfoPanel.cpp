#include "app/InfoPanel.h"

#include <algorithm>

#include <QAction>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QToolButton>
#include <QWheelEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QTableView>
#include <QVBoxLayout>

#include "app/block_picture.h"
#include "app/client_side_view.h"
#include "app/fact_table_model.h"
#include "codecs/block_facts.h"
#include "codecs/wav.h"
#include "app/patch_document.h"
#include "app/settings.h"
#include "codecs/art.h"
#include "images/bitmap.h"
#include "codecs/previews.h"
#include "patch/file_types.h"
#include "patch/block_info.h"

namespace {
constexpr std::array<int, 5> kZooms = {0, 1, 2, 4, 8};
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
    tblFacts_->verticalHeader()->hide();
    tblFacts_->verticalHeader()->setDefaultSectionSize(tblFacts_->fontMetrics().height() + 4);
    tblFacts_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(tblFacts_, 2);
    auto* zoomRow = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    const char* captions[] = {"Fit", "1\u00D7", "2\u00D7", "4\u00D7", "8\u00D7"};
    for (std::size_t i = 0; i < kZooms.size(); ++i) {
        auto* b = new QToolButton(this);
        b->setObjectName(i == 0 ? QStringLiteral("cmdZoomFit") : QStringLiteral("cmdZoom%1").arg(kZooms[i]));
        b->setText(QString::fromUtf8(captions[i]));
        b->setCheckable(true);
        b->setAutoRaise(true);
        group->addButton(b);
        zoomRow->addWidget(b);
        const int zoom = kZooms[i];
        connect(b, &QToolButton::clicked, this, [this, zoom] { SetZoom(zoom); });
        zoomButtons_[i] = b;
    }
    zoomRow->addStretch(1);
    layout->addLayout(zoomRow);
    struct Key {
        const char* name;
        QKeySequence key;
        void (InfoPanel::*run)();
    };
    for (const Key& k : {Key{"actZoomIn", QKeySequence::ZoomIn, &InfoPanel::ZoomIn},
                         Key{"actZoomOut", QKeySequence::ZoomOut, &InfoPanel::ZoomOut},
                         Key{"actZoomActual", QKeySequence(QStringLiteral("Ctrl+0")), nullptr}}) {
        auto* a = new QAction(QString::fromLatin1(k.name), this);
        a->setObjectName(QString::fromLatin1(k.name));
        a->setShortcut(k.key);
        a->setShortcutContext(Qt::WindowShortcut);
        if (k.run) connect(a, &QAction::triggered, this, k.run);
        else connect(a, &QAction::triggered, this, [this] { SetZoom(1); });
        addAction(a);
    }
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->viewport()->installEventFilter(this);
    picInfo_ = new QLabel(scroll_);
    picInfo_->setObjectName(QStringLiteral("picInfo"));
    picInfo_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll_->setWidget(picInfo_);
    scroll_->setWidgetResizable(false);
    clientSide_ = new ClientSideView(this, settings_);
    auto* pictures = new QHBoxLayout;
    pictures->addWidget(scroll_, 1);
    pictures->addWidget(clientSide_, 1);
    layout->addLayout(pictures, 3);
    const int stored = OpenSettingsStore()->value(kZoomKey, 0).toInt();
    zoom_ = std::find(kZooms.begin(), kZooms.end(), stored) != kZooms.end() ? stored : 0;
    ClearFacts();
}

void InfoPanel::SetPicture(const QImage& picture, std::optional<QRgb> transparent) {
    picture_ = picture;
    transparent_ = transparent;
    Redraw();
}

void InfoPanel::ClearPicture() {
    picture_ = QImage();
    transparent_.reset();
    lastPicture_.reset();
    Redraw();
}

void InfoPanel::SetZoom(int zoom) {
    zoom_ = zoom;
    OpenSettingsStore()->setValue(kZoomKey, zoom_);
    Redraw();
    ShowClientSide();
}

void InfoPanel::ZoomIn() {
    const auto at = std::find(kZooms.begin(), kZooms.end(), zoom_);
    if (at != kZooms.end() && at + 1 != kZooms.end()) SetZoom(*(at + 1));
}

void InfoPanel::ZoomOut() {
    const auto at = std::find(kZooms.begin(), kZooms.end(), zoom_);
    if (at != kZooms.end() && at != kZooms.begin()) SetZoom(*(at - 1));
}

QSize InfoPanel::ShownSize() const {
    if (zoom_ != 0) return picture_.size() * zoom_;
    return picture_.size().scaled(scroll_->viewport()->size().expandedTo({1, 1}), Qt::KeepAspectRatio);
}

QImage InfoPanel::Shown() const {
    if (picture_.isNull()) return {};
    return DrawnPicture(picture_, transparent_, ShownSize());
}

void InfoPanel::Redraw() {
    // Without a picture the table below the facts gets the room.
    for (std::size_t i = 0; i < kZooms.size(); ++i) {
        zoomButtons_[i]->setChecked(kZooms[i] == zoom_);
        zoomButtons_[i]->setVisible(!picture_.isNull());
    }
    scroll_->setVisible(!picture_.isNull());
    if (picture_.isNull()) {
        picInfo_->clear();
        picInfo_->resize(0, 0);
        return;
    }
    const QImage shown = Shown();
    picInfo_->setPixmap(QPixmap::fromImage(shown));
    picInfo_->resize(shown.size());
}

bool InfoPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            if (wheel->angleDelta().y() > 0) ZoomIn();
            else if (wheel->angleDelta().y() < 0) ZoomOut();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void InfoPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (zoom_ != 0 || picture_.isNull()) return;
    Redraw();
    ShowClientSide();
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
        SetPicture(GridToImage(PictureColors(facts.picture), palette().color(QPalette::Button).rgb()));
}

void InfoPanel::ShowNode(BlockId id, const QString& text) {
    ClearFacts();
    lblHeading_->clear();
    for (QLabel* l : lblInfo_) l->clear();
    if (lastPicture_ != id) ClearPicture();

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
    for (std::size_t i = 0; i < lblInfo_.size(); ++i) lblInfo_[i]->setText(QString::fromStdString(info.lines[i]));
    node_ = id;
    ShowClientSide();
}

void InfoPanel::ShowClientSide() {
    if (!node_ || !node_->IsBlock()) {
        clientSide_->Clear();
        return;
    }
    // The client's picture at the scale of the patch's: the fitted one's, or the zoom.
    std::optional<BlockPicture> patch;
    double scale = std::max(zoom_, 1);
    if (!picture_.isNull()) {
        patch = BlockPicture{picture_, transparent_};
        scale = static_cast<double>(ShownSize().width()) / picture_.width();
    }
    const PatchBlock* block = document_.patch().LiveBlock(node_->fileId, node_->blockNumber);
    clientSide_->Show(*node_, block ? ByteView(block->bytes) : ByteView(), patch, scale);
    // The table marks what differs from the client's block, read as the patch's is.
    if (facts_->rowCount() == 0 || clientSide_->isHidden() || settings_.ClientFolder.empty()) return;
    const std::optional<PatchBlock>& client = clientSide_->ClientData();
    std::optional<BlockFacts> theirs =
        DescribeBlockData(node_->fileId, node_->blockNumber, client ? ByteView(client->bytes) : ByteView());
    facts_->SetClientTable(theirs ? std::optional<FactTable>(std::move(theirs->table)) : FactTable{});
}

void InfoPanel::Preview(BlockId id, const PatchBlock& block) {
    const QRgb background = palette().color(QPalette::Button).rgb();
    switch (id.fileId) {
        case kMap:
        case kAnim:
        case kArt:
        case kGumps:
            // A gump is drawn once for as long as it stays the shown block.
            if (id.fileId == kGumps && lastPicture_ == id) break;
            if (auto picture = PictureOfBlock(id, block, settings_.RadarColors, background))
                SetPicture(picture->image, picture->transparent);
            if (id.fileId == kGumps) lastPicture_ = id;
            break;
        default:
            if (const auto facts = DescribeBlockData(id.fileId, id.blockNumber, block.bytes)) {
                ShowFacts(*facts);
                cmdPlay_->setVisible(id.fileId == kSound && block.bytes.size() >= kSoundHeaderSize);
            }
            break;
    }
}
