#include "app/client_browser.h"

#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "app/client_browser_model.h"
#include "app/client_comparison.h"
#include "app/client_take.h"
#include "app/file_dialogs.h"
#include "app/settings.h"
#include "app/widgets.h"
#include "codecs/file_ids.h"

namespace {
constexpr std::array<int, 7> kSides = {32, 48, 64, 96, 128, 192, 256};
constexpr int kDefaultSide = 64;

// A thumbnail with the tree's mark in its corner, where the patch holds the block.
class MarkedThumbnail : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        const QIcon mark = qvariant_cast<QIcon>(index.data(ClientBrowserModel::MarkRole));
        if (!mark.isNull()) mark.paint(painter, QRect(option.rect.topLeft() + QPoint(2, 2), QSize(16, 16)));
    }
    // Every cell of the grid takes a whole thumbnail and its number, decoded or not yet.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        if (item.decorationPosition != QStyleOptionViewItem::Top) return QStyledItemDelegate::sizeHint(option, index);
        // The view's icon size, not the picture's: the first entry's would size them all.
        return {std::max(option.decorationSize.width(), 56) + 8, option.decorationSize.height() + item.fontMetrics.height() + 8};
    }
};

bool IsZoomKey(const QKeyEvent* key) {
    return key->matches(QKeySequence::ZoomIn) || key->matches(QKeySequence::ZoomOut) ||
           (key->modifiers().testFlag(Qt::ControlModifier) && key->key() == Qt::Key_Equal);
}
}  // namespace

ClientBrowser::ClientBrowser(QWidget* parent, PatchDocument& document, const ClientComparison& comparison,
                             const Settings& settings)
    : QDockWidget(QStringLiteral("Client"), parent), document_(document), comparison_(comparison), settings_(settings) {
    setObjectName(QStringLiteral("dckClient"));
    model_ = new ClientBrowserModel(document, this);
    model_->SetComparison(&comparison);
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    cmbType_ = Named(new QComboBox(body), "cmbClientType");
    for (const ClientBrowserType& type : ClientBrowserTypes()) cmbType_->addItem(QString::fromLatin1(type.label));
    txtFilter_ = Named(new QLineEdit(body), "txtClientFilter");
    txtFilter_->setPlaceholderText(QStringLiteral("Find: 0x4000-0x40FF, anvil, item 0x0E75, patch, !patch, empty"));
    txtFilter_->setClearButtonEnabled(true);
    lblSource_ = Named(new QLabel(body), "lblClientSource");
    lblSource_->setWordWrap(true);
    cmdSettings_ = Named(new QPushButton(QStringLiteral("&Settings..."), body), "cmdClientSettings");
    view_ = Named(new QListView(body), "lvClient");
    view_->setModel(model_);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setUniformItemSizes(true);
    view_->setResizeMode(QListView::Adjust);
    view_->setMovement(QListView::Static);
    view_->setDragEnabled(true);
    view_->setDragDropMode(QAbstractItemView::DragOnly);
    view_->setContextMenuPolicy(Qt::ActionsContextMenu);
    view_->installEventFilter(this);
    auto* buttons = new QHBoxLayout;
    auto* cmdAdd = Named(new QPushButton(QStringLiteral("&Add to patch"), body), "cmdAddToPatch");
    auto* cmdReplace = Named(new QPushButton(QStringLiteral("Replace with &file..."), body), "cmdReplaceWithFile");
    buttons->addWidget(cmdAdd);
    buttons->addWidget(cmdReplace);
    cmdOpenMap_ = Named(new QPushButton(QStringLiteral("Open the &whole map"), body), "cmdOpenMap");
    buttons->addWidget(cmdOpenMap_);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->addWidget(cmbType_);
    top->addWidget(txtFilter_, 1);
    layout->addLayout(top);
    layout->addWidget(lblSource_);
    layout->addWidget(cmdSettings_, 0, Qt::AlignLeft);
    layout->addWidget(view_, 1);
    layout->addLayout(buttons);
    setWidget(body);

    add_ = Named(new QAction(QStringLiteral("Add to patch"), this), "actAddToPatch");
    add_->setShortcut(QKeySequence(QStringLiteral("Ctrl+Return")));
    add_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    replace_ = Named(new QAction(QStringLiteral("Replace with file..."), this), "actReplaceWithFile");
    view_->addActions({add_, replace_});
    addAction(add_);
    connect(add_, &QAction::triggered, this, &ClientBrowser::AddToPatch);
    connect(replace_, &QAction::triggered, this, &ClientBrowser::ReplaceWithFile);
    connect(cmdAdd, &QPushButton::clicked, add_, &QAction::trigger);
    connect(cmdReplace, &QPushButton::clicked, replace_, &QAction::trigger);
    connect(cmdSettings_, &QPushButton::clicked, this, &ClientBrowser::SettingsWanted);
    connect(cmdOpenMap_, &QPushButton::clicked, this, [this] {
        const QModelIndex current = view_->currentIndex();
        emit MapWanted(current.isValid() ? model_->NumberAt(current.row()) : -1);
    });
    connect(cmbType_, &QComboBox::currentIndexChanged, this, &ClientBrowser::ChooseType);
    connect(txtFilter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_->SetFilter(text);
        Refresh();
    });
    connect(view_, &QListView::activated, this, [this](const QModelIndex& index) {
        if (index.isValid()) emit Wanted({model_->Type().fileId, model_->NumberAt(index.row())});
    });
    connect(&comparison_, &ClientComparison::StatesChanged, model_, &ClientBrowserModel::MarksChanged);
    // A client folder is read when the view is first shown, not when the program starts.
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible && stale_) Reload();
        if (visible) view_->setFocus();
    });
    auto* delegate = new MarkedThumbnail(view_);
    view_->setItemDelegate(delegate);
    SetThumbnailSide(kDefaultSide);
    setTabOrder(cmbType_, txtFilter_);
    setTabOrder(txtFilter_, view_);
}

void ClientBrowser::SettingsChanged() {
    if (isVisible()) Reload();
    else stale_ = true;
}

void ClientBrowser::Reload() {
    stale_ = false;
    model_->SetClient(settings_.ClientFolder, settings_.ClientVerdata,
                      std::make_shared<const std::vector<std::int32_t>>(settings_.RadarColors));
    Refresh();
}

void ClientBrowser::ChooseType(int type) {
    if (cmbType_->currentIndex() != type) cmbType_->setCurrentIndex(type);  // comes back here
    model_->SetType(type);
    Refresh();
}

void ClientBrowser::Refresh() {
    const bool pictures = model_->Type().pictures;
    view_->setViewMode(pictures ? QListView::IconMode : QListView::ListMode);
    view_->setWrapping(pictures);
    view_->setFlow(pictures ? QListView::LeftToRight : QListView::TopToBottom);
    SetThumbnailSide(model_->Thumbnails().Side());
    lblSource_->setText(model_->Source());
    cmdSettings_->setVisible(!model_->HasFolder());
    cmdOpenMap_->setVisible(model_->Type().fileId == kMap && model_->HasFolder());
    const bool reader = model_->Reader() != nullptr;
    add_->setEnabled(reader);
    replace_->setEnabled(reader);
}

void ClientBrowser::SetThumbnailSide(int side) {
    if (side != model_->Thumbnails().Side()) model_->Thumbnails().SetSide(side);
    if (model_->Type().pictures) {
        view_->setIconSize(QSize(side, side));
        view_->setGridSize(QSize(std::max(side, 56) + 12, side + fontMetrics().height() + 12));
    } else {
        view_->setIconSize(QSize(16, 16));
        view_->setGridSize(QSize());
    }
}

void ClientBrowser::Step(int direction) {
    const int side = model_->Thumbnails().Side();
    const auto at = std::lower_bound(kSides.begin(), kSides.end(), side);
    const auto index = std::clamp<std::ptrdiff_t>((at - kSides.begin()) + direction, 0, kSides.size() - 1);
    SetThumbnailSide(kSides[static_cast<std::size_t>(index)]);
    emit Reported(QStringLiteral("Thumbnails of %1 pixels").arg(model_->Thumbnails().Side()));
}

bool ClientBrowser::eventFilter(QObject* watched, QEvent* event) {
    // Ctrl+plus and Ctrl+minus size the thumbnails while the view has the
    // focus; elsewhere they stay the panel's zoom.
    if (watched == view_ && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (IsZoomKey(key)) {
            if (event->type() == QEvent::KeyPress) Step(key->matches(QKeySequence::ZoomOut) ? -1 : 1);
            event->accept();
            return true;
        }
    }
    // The window takes drops (files); a drag of the view's entries counts over the tree only.
    if (watched == window() && tree_ &&
        (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop)) {
        auto* drop = static_cast<QDropEvent*>(event);
        const auto dragged = ClientBrowserModel::Dragged(drop->mimeData());
        if (!dragged) return false;
        const QPoint at = tree_->mapFrom(window(), drop->position().toPoint());
        if (event->type() != QEvent::DragEnter && (!tree_->rect().contains(at) || !tree_->isVisible())) {
            drop->ignore();
            return true;
        }
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (event->type() == QEvent::Drop) Add(dragged->first, dragged->second);
        return true;
    }
    return QDockWidget::eventFilter(watched, event);
}

void ClientBrowser::TakeDropsOn(QWidget* tree) {
    // Drops reach the window, which takes files; this filter, installed
    // after the window's own, sees them first.
    tree_ = tree;
    window()->setAcceptDrops(true);
    window()->installEventFilter(this);
}

std::vector<std::int32_t> ClientBrowser::SelectedBlocks() const {
    std::vector<std::int32_t> blocks;
    for (const QModelIndex& index : view_->selectionModel()->selectedIndexes())
        for (const std::int32_t b : model_->BlocksOf(model_->NumberAt(index.row()))) blocks.push_back(b);
    return blocks;
}

void ClientBrowser::AddToPatch() {
    const std::vector<std::int32_t> blocks = SelectedBlocks();
    if (blocks.empty()) {
        emit Reported(QStringLiteral("Select the client's blocks to add first."));
        return;
    }
    Add(model_->Type().fileId, blocks);
}

void ClientBrowser::Add(std::uint8_t fileId, const std::vector<std::int32_t>& numbers) {
    ClientBlocks* reader = model_->Reader();
    if (!reader || reader->FileId() != fileId) return;
    const QString said = AddClientBlocks(window(), document_, *reader, numbers);
    if (!said.isEmpty()) emit Reported(said);
}

void ClientBrowser::ReplaceWithFile() {
    const QModelIndex current = view_->currentIndex();
    ClientBlocks* reader = model_->Reader();
    if (!current.isValid() || !reader) {
        emit Reported(QStringLiteral("Choose the client's block to replace first."));
        return;
    }
    const std::int32_t n = model_->NumberAt(current.row());
    const QString path = ShowOpenDialog(
        window(), QStringLiteral("Pictures and raw blocks (*.png *.bmp *.dat *.mul *.bin);;All files (*)"),
        QStringLiteral("Replace with file"), Folder::Pictures);
    if (path.isEmpty()) return;
    const QString said = ::ReplaceWithFile(window(), document_, *reader, n, path);
    if (!said.isEmpty()) emit Reported(said);
}
