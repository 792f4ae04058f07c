#include "app/frmStart.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QGuiApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/BlockCommands.h"
#include "app/InfoPanel.h"
#include "app/block_tree_model.h"
#include "app/bake_dialog.h"
#include "app/frmExport.h"
#include "app/frmImport.h"
#include "app/frmSettings.h"
#include "app/frmWait.h"
#include "app/icons.h"
#include "app/mComdlg.h"
#include "app/open_instead.h"
#include "app/out_of_memory.h"
#include "app/patch_document.h"
#include "app/prompts.h"
#include "app/status_texts.h"
#include "gamefiles/data_source.h"
#include "gamefiles/import.h"
#include "patch/file_types.h"

namespace {
const QString kPatchFilter = QStringLiteral("UOP Patchfile (*.uop) |*.uop");

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text = QString()) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// Save waits while another program saves the patch; after a second it says so.
std::function<void()> SayWaiting(QStatusBar* bar) {
    return [bar] {
        bar->showMessage(QStringLiteral("Waiting for another program to finish saving the patch..."));
        bar->repaint();
    };
}
}  // namespace

frmStart::frmStart(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmStart"));
    resize(900, 620);
    settings_.Load();
    document_ = new PatchDocument(this);

    auto* picBack = new QWidget(this);
    picBack->setObjectName(QStringLiteral("picBack"));
    setCentralWidget(picBack);

    model_ = new BlockTreeModel(*document_, this);
    tvBlocks_ = new QTreeView(picBack);
    tvBlocks_->setObjectName(QStringLiteral("tvBlocks"));
    tvBlocks_->setHeaderHidden(true);
    tvBlocks_->setRootIsDecorated(true);
    tvBlocks_->setUniformRowHeights(true);
    tvBlocks_->setModel(model_);
    tvBlocks_->setContextMenuPolicy(Qt::CustomContextMenu);
    // Only a selection shows a node: the current row the view picks when it
    // first gets focus leaves the About frame in place.
    connect(tvBlocks_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &frmStart::OnSelectionChanged);
    connect(tvBlocks_, &QTreeView::clicked, this, &frmStart::OnSelectionChanged);

    auto* frames = new QWidget(picBack);
    auto* stack = new QGridLayout(frames);
    stack->setContentsMargins(0, 0, 0, 0);
    for (std::size_t i = 0; i < frMenu_.size(); ++i) {
        frMenu_[i] = new QFrame(frames);
        frMenu_[i]->setObjectName(QStringLiteral("frMenu%1").arg(i));
        frMenu_[i]->setFrameShape(QFrame::NoFrame);
        stack->addWidget(frMenu_[i], 0, 0);
    }

    txtFilter_ = new QLineEdit(picBack);
    txtFilter_->setObjectName(QStringLiteral("txtFilter"));
    txtFilter_->setPlaceholderText(QStringLiteral("Block number or file type"));
    txtFilter_->setClearButtonEnabled(true);
    connect(txtFilter_, &QLineEdit::textChanged, this, [this] { ApplyFilter(); });
    connect(txtFilter_, &QLineEdit::returnPressed, this, [this] { ApplyFilter(true); });
    auto* left = new QWidget(picBack);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(txtFilter_);
    leftLayout->addWidget(tvBlocks_, 1);
    left->setMinimumWidth(140);

    splitter_ = new QSplitter(Qt::Horizontal, picBack);
    splitter_->setObjectName(QStringLiteral("splBlocks"));
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(left);
    splitter_->addWidget(frames);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({220, 680});
    auto* layout = new QHBoxLayout(picBack);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(splitter_);

    auto* sbPatch = new QStatusBar(this);
    sbPatch->setObjectName(QStringLiteral("sbPatch"));
    setStatusBar(sbPatch);

    BuildFrames();
    commands_ = new BlockCommands(this, *document_, panel_);
    tvBlocks_->addActions(commands_->Actions());
    connect(commands_, &BlockCommands::Reported, this, &frmStart::Report);
    connect(panel_, &InfoPanel::PlayRequested, commands_, &BlockCommands::PlaySound);
    BuildMenus();
    BuildToolbar();
    connect(tvBlocks_, &QWidget::customContextMenuRequested, this, &frmStart::ShowContextMenu);
    auto* shiftF10 = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), tvBlocks_);
    shiftF10->setContext(Qt::WidgetShortcut);
    connect(shiftF10, &QShortcut::activated, this, &frmStart::ShowContextMenu);

    connect(document_, &PatchDocument::BlocksChanged, this, &frmStart::OnBlocksChanged);
    connect(document_, &PatchDocument::PathChanged, this, &frmStart::UpdateCaption);
    connect(document_->UndoStack(), &QUndoStack::cleanChanged, this,
            [this](bool clean) { setWindowModified(!clean); });
    ShowFrame(0);
    UpdateCaption();
    setWindowIcon(PatchIcon(2));
    setAcceptDrops(true);
    RestoreLayout();
}

void frmStart::RestoreLayout() {
    const auto store = OpenSettingsStore();
    restoreGeometry(store->value(kWindowGeometryKey).toByteArray());
    splitter_->restoreState(store->value(kSplitterStateKey).toByteArray());
}

void frmStart::SaveLayout() const {
    const auto store = OpenSettingsStore();
    store->setValue(kWindowGeometryKey, saveGeometry());
    store->setValue(kSplitterStateKey, splitter_->saveState());
}

void frmStart::Report(const QString& text) { statusBar()->showMessage(text); }

void frmStart::BuildMenus() {
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    auto item = [&](const char* name, const QString& caption, QKeySequence::StandardKey key, auto slot) {
        QAction* a = mnuFile->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    auto separator = [&](const char* name) { mnuFile->addSeparator()->setObjectName(QString::fromLatin1(name)); };
    item("mnuNew", QStringLiteral("&New"), QKeySequence::New, &frmStart::New);
    separator("D3");
    item("mnuOpen", QStringLiteral("&Open..."), QKeySequence::Open, &frmStart::Open);
    mnuRecent_ = mnuFile->addMenu(QStringLiteral("Open &Recent"));
    mnuRecent_->setObjectName(QStringLiteral("mnuRecent"));
    FillRecent();
    separator("mnuD2");
    item("mnuSave", QStringLiteral("&Save"), QKeySequence::Save, &frmStart::Save);
    item("mnuSaveAs", QStringLiteral("Save &As..."), QKeySequence::SaveAs, &frmStart::SaveAs);
    QAction* bake = mnuFile->addAction(QStringLiteral("&Write into client files..."));
    bake->setObjectName(QStringLiteral("mnuBake"));
    connect(bake, &QAction::triggered, this, &frmStart::ShowBake);
    separator("mnuD");
    QAction* settings = mnuFile->addAction(QStringLiteral("Se&ttings..."));
    settings->setObjectName(QStringLiteral("mnuSettings"));
    connect(settings, &QAction::triggered, this, &frmStart::ShowSettings);
    separator("mnuD4");
    item("mnuExit", QStringLiteral("E&xit"), QKeySequence::Quit, &QWidget::close);

    QMenu* mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    QAction* undo = document_->CreateUndoAction(this);
    undo->setObjectName(QStringLiteral("actUndo"));
    undo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    QAction* redo = document_->CreateRedoAction(this);
    redo->setObjectName(QStringLiteral("actRedo"));
    redo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    mnuEdit->addActions({undo, redo});
    mnuEdit->addSeparator();
    // Ctrl+C copies the picture from the tree or the panel; in the filter
    // line it still copies text.
    QAction* copy = mnuEdit->addAction(QStringLiteral("&Copy Picture"));
    copy->setObjectName(QStringLiteral("actCopyPicture"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    tvBlocks_->addAction(copy);
    panel_->addAction(copy);
    connect(copy, &QAction::triggered, this, [this] {
        if (panel_->Picture().isNull()) return;
        QGuiApplication::clipboard()->setImage(panel_->Picture());
        Report(QStringLiteral("Copied the picture (%1 \u00D7 %2)")
                   .arg(panel_->Picture().width())
                   .arg(panel_->Picture().height()));
    });

    QMenu* mnuBlock = menuBar()->addMenu(QStringLiteral("&Block"));
    mnuBlock->setObjectName(QStringLiteral("mnuBlock"));
    import_ = mnuBlock->addAction(QStringLiteral("&Import..."), this, &frmStart::ShowImport);
    import_->setObjectName(QStringLiteral("actImport"));
    import_->setShortcut(QKeySequence(QStringLiteral("Ctrl+I")));
    export_ = mnuBlock->addAction(QStringLiteral("&Export..."), this, &frmStart::ShowExport);
    export_->setObjectName(QStringLiteral("actExport"));
    export_->setShortcut(QKeySequence(QStringLiteral("Ctrl+E")));
    mnuBlock->addSeparator();
    mnuBlock->addActions(commands_->Actions());

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    QAction* about = mnuHelp->addAction(QStringLiteral("&About Palindra"));
    about->setObjectName(QStringLiteral("mnuAbout"));
    connect(about, &QAction::triggered, this, [this] {
        tvBlocks_->clearSelection();
        ShowFrame(0);
    });

    mnuPopup_ = new QMenu(this);
    mnuPopup_->setObjectName(QStringLiteral("mnuPopup"));
}

void frmStart::BuildToolbar() {
    QToolBar* tbPatch = addToolBar(QStringLiteral("Patch"));
    tbPatch->setObjectName(QStringLiteral("tbPatch"));
    tbPatch->setMovable(false);
    struct Button {
        const char* key;
        int image;
        const char* tooltip;
        void (frmStart::*run)();
    };
    const Button buttons[] = {{"D", 0, nullptr, nullptr},
                              {"NEW", 6, "New", &frmStart::New},
                              {"D2", 0, nullptr, nullptr},
                              {"OPEN", 4, "Open", &frmStart::Open},
                              {"SAVE", 5, "Save", nullptr},
                              {"D3", 0, nullptr, nullptr},
                              {"IMPORT", 8, "Import", nullptr},
                              {"EXPORT", 9, "Export to verdata.mul", nullptr}};
    for (const Button& b : buttons) {
        QAction* a = b.tooltip ? tbPatch->addAction(PatchIcon(b.image), QString()) : tbPatch->addSeparator();
        a->setObjectName(QString::fromLatin1(b.key));
        if (b.tooltip) a->setToolTip(QString::fromLatin1(b.tooltip));
        if (b.run) connect(a, &QAction::triggered, this, b.run);
    }
    connect(tbPatch->findChild<QAction*>(QStringLiteral("SAVE")), &QAction::triggered, this, &frmStart::Save);
    connect(tbPatch->findChild<QAction*>(QStringLiteral("IMPORT")), &QAction::triggered, import_, &QAction::trigger);
    connect(tbPatch->findChild<QAction*>(QStringLiteral("EXPORT")), &QAction::triggered, export_, &QAction::trigger);
}

void frmStart::ShowSettings() {
    frmSettings dialog(this);
    CurrentPrompts().Exec(&dialog);
    settings_.Load();
}

void frmStart::ShowBake() {
    BakeDialog dialog(this, document_->patch(), settings_.ClientFolder);
    connect(&dialog, &BakeDialog::Reported, this, &frmStart::Report);
    CurrentPrompts().Exec(&dialog);
}

QDialog* frmStart::ShowImport() {
    if (!importDialog_) {
        importDialog_ = new frmImport(this, [this](Patch&& imported, const ImportReport& report) {
            const QString into = Destination(imported);
            PatchEdit edit;
            edit.added = std::move(imported);
            if (!document_->Run(QStringLiteral("Import"), std::move(edit))) return false;
            Report(QStringLiteral("Imported %1 into %2").arg(Blocks(report.added), into) + LeftOut(report));
            return true;
        });
    }
    importDialog_->show();
    importDialog_->raise();
    importDialog_->activateWindow();
    return importDialog_;
}

QDialog* frmStart::ShowExport() {
    if (!exportDialog_) {
        exportDialog_ = new frmExport(this, document_->patch(), document_->Path(), settings_.VerdataPath);
        connect(exportDialog_, &frmExport::Reported, this, &frmStart::Report);
    }
    exportDialog_->show();
    exportDialog_->raise();
    exportDialog_->activateWindow();
    return exportDialog_;
}

void frmStart::BuildFrames() {
    // Frame 0: About.
    QFrame* about = frMenu_[0];
    auto* lblLogo = MakeLabel(about, "lblLogo", QStringLiteral("Palindra"));
    lblLogo->setFont(QFont(QStringLiteral("Arial"), 36, QFont::Bold));
    auto* lblVersion = MakeLabel(about, "lblVersion",
                                 QStringLiteral("Version %1.%2.%3")
                                     .arg(PALINDRA_VERSION_MAJOR)
                                     .arg(PALINDRA_VERSION_MINOR)
                                     .arg(PALINDRA_VERSION_PATCH));
    QFont versionFont = lblVersion->font();
    versionFont.setPointSize(12);
    versionFont.setBold(true);
    lblVersion->setFont(versionFont);
    auto* lblCopyright = MakeLabel(about, "lblCopyright",
                                   QStringLiteral("An editor for the patch data of the game client.\n"
                                                  "Copyright \u00A9 2026 the Palindra developers."));
    auto* aboutLayout = new QVBoxLayout(about);
    aboutLayout->addSpacing(40);
    for (QLabel* l : {lblLogo, lblVersion}) {
        l->setAlignment(Qt::AlignCenter);
        aboutLayout->addWidget(l);
    }
    aboutLayout->addStretch(1);
    lblCopyright->setAlignment(Qt::AlignCenter);
    aboutLayout->addWidget(lblCopyright);

    // Frame 1: Info, the block information panel and its preview.
    panel_ = new InfoPanel(frMenu_[1], *document_, settings_);
    (new QVBoxLayout(frMenu_[1]))->addWidget(panel_);

    // Frame 2: Tiledata, never shown.
    new QVBoxLayout(frMenu_[2]);
}

void frmStart::ShowFrame(int index) {
    for (std::size_t i = 0; i < frMenu_.size(); ++i) frMenu_[i]->setVisible(static_cast<int>(i) == index);
}

std::optional<BlockId> frmStart::Current() const {
    const QModelIndexList selected = tvBlocks_->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return std::nullopt;
    return BlockTreeModel::IdOf(selected.first());
}

bool frmStart::Select(BlockId id) {
    const QModelIndex index = model_->IndexOf(id);
    if (!index.isValid()) return false;
    tvBlocks_->setCurrentIndex(index);
    tvBlocks_->scrollTo(index);
    return true;
}

void frmStart::ShowContextMenu() {
    if (!commands_->PrepareMenu(mnuPopup_)) return;
    const QRect rect = tvBlocks_->visualRect(tvBlocks_->currentIndex());
    mnuPopup_->popup(tvBlocks_->viewport()->mapToGlobal(rect.isValid() ? rect.center() : QPoint()));
}

void frmStart::OnSelectionChanged() {
    const std::optional<BlockId> id = Current();
    commands_->SetCurrent(id);
    if (!id) return;
    ShowFrame(-1);
    const QModelIndex index = tvBlocks_->selectionModel()->selectedIndexes().first();
    // A "LOTS" node has no facts of its own.
    if (model_->IsLots(index)) return;
    panel_->ShowNode(*id, index.data().toString());
    ShowFrame(1);
}

void frmStart::OnBlocksChanged() {
    panel_->Forget();
    const std::optional<BlockId> current = Current();
    const bool onLots = model_->IsLots(tvBlocks_->currentIndex());
    std::vector<BlockId> expanded;  // file types; blockNumber 0 marks an expanded "LOTS"
    for (int row = 0; row < model_->rowCount(); ++row) {
        const QModelIndex file = model_->index(row, 0);
        if (!tvBlocks_->isExpanded(file)) continue;
        const BlockId id = *BlockTreeModel::IdOf(file);
        expanded.push_back(id);
        const QModelIndex lots = model_->index(0, 0, file);
        if (model_->IsLots(lots) && tvBlocks_->isExpanded(lots))
            expanded.push_back({id.fileId, 0});
    }
    model_->Rebuild();
    for (const BlockId& id : expanded) {
        const QModelIndex file = model_->IndexOf({id.fileId, -1});
        if (!id.IsBlock()) tvBlocks_->expand(file);
        else if (model_->rowCount(file) == 1) tvBlocks_->expand(model_->index(0, 0, file));
    }
    NarrowTree();
    // A vanished block leaves its file type selected.
    if (current && !Select(*current)) Select({current->fileId, -1});
    if (current && onLots) {
        const QModelIndex lots = model_->index(0, 0, model_->IndexOf({current->fileId, -1}));
        if (model_->IsLots(lots)) tvBlocks_->setCurrentIndex(lots);
    }
    // The panel shows the node as it is now, even where the selection stayed.
    if (Current()) {
        OnSelectionChanged();
    } else {
        commands_->SetCurrent(std::nullopt);
        ShowFrame(0);
    }
}

std::optional<std::int32_t> frmStart::FilterNumber() const {
    const QString text = txtFilter_->text().trimmed();
    bool ok = false;
    const qlonglong n = text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? text.mid(2).toLongLong(&ok, 16)
                                                                                 : text.toLongLong(&ok, 10);
    if (!ok || n < 0 || n > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(n);
}

void frmStart::NarrowTree() {
    const QString text = txtFilter_->text().trimmed();
    const bool number = FilterNumber().has_value();
    for (int row = 0; row < model_->rowCount(); ++row) {
        const bool shown = number || model_->index(row, 0).data().toString().contains(text, Qt::CaseInsensitive);
        tvBlocks_->setRowHidden(row, {}, !shown);
    }
}

void frmStart::ApplyFilter(bool next) {
    NarrowTree();
    const std::optional<std::int32_t> n = FilterNumber();
    if (!n) return;
    // The file types in tree order, from the current one (or the one after
    // it, for the next match) round to the one before it.
    const std::optional<BlockId> current = Current();
    const int rows = model_->rowCount();
    const int start = current ? model_->IndexOf({current->fileId, -1}).row() + (next ? 1 : 0) : 0;
    for (int i = 0; i < rows; ++i) {
        const BlockId id{BlockTreeModel::IdOf(model_->index((start + i) % rows, 0))->fileId, *n};
        if (model_->Holds(id)) {
            Select(id);
            return;
        }
    }
}

void frmStart::UpdateCaption() {
    const std::string& path = document_->Path();
    setProperty(kPatchPathProperty, QString::fromStdString(path));
    if (!path.empty()) Remember(QString::fromStdString(path));
    setWindowTitle(path.empty() ? QStringLiteral("Palindra - [New patch][*]")
                                : QStringLiteral("Palindra - [%1][*]").arg(QString::fromStdString(path)));
}

bool frmStart::MaySwitch() {
    if (!document_->IsModified()) return true;
    switch (CurrentPrompts().AskSaveChanges(this, QStringLiteral("The patch has unsaved changes. Save them first?"),
                                            QStringLiteral("Palindra"))) {
        case SaveChoice::Save: return Save();
        case SaveChoice::Discard: return true;
        case SaveChoice::Cancel: break;
    }
    return false;
}

void frmStart::closeEvent(QCloseEvent* event) {
    if (!MaySwitch()) {
        event->ignore();
        return;
    }
    SaveLayout();
    event->accept();
}

namespace {
// The file type a game data file's name tells, or -1: "gumpart.mul" is Gumps.
int GuessFileType(const QString& name) {
    static const std::pair<const char*, int> kNames[] = {
        {"animdata", kAnimdata}, {"gumpart", kGumps},   {"gumpidx", kGumps}, {"artidx", kArt},     {"art", kArt},
        {"statics", kStatics},   {"staidx", kStatics},  {"map", kMap},       {"anim", kAnim},      {"sound", kSound},
        {"texmaps", kTexmaps},   {"texidx", kTexmaps},  {"multi", kMultis},  {"skill", kSkills},   {"tiledata", kTiledata},
        {"hues", kHues}};
    const QString lower = name.toLower();
    for (const auto& [prefix, fileId] : kNames)
        if (lower.startsWith(QLatin1String(prefix))) return fileId;
    return -1;
}

std::vector<QString> DroppedFiles(const QMimeData* data) {
    std::vector<QString> paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) paths.push_back(url.toLocalFile());
    return paths;
}
}  // namespace

void frmStart::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).empty()) event->acceptProposedAction();
}

void frmStart::dropEvent(QDropEvent* event) {
    const std::vector<QString> paths = DroppedFiles(event->mimeData());
    if (paths.empty()) return;
    event->acceptProposedAction();
    DropFile(paths.front(), event->position().toPoint());
}

void frmStart::DropFile(const QString& path, QPoint pos) {
    const QFileInfo file(path);
    const QString suffix = file.suffix().toLower();
    if (suffix == QLatin1String("uop")) {
        OpenPath(path);
        return;
    }
    if (suffix == QLatin1String("bmp") || suffix == QLatin1String("png")) {
        const QModelIndex under = tvBlocks_->indexAt(tvBlocks_->viewport()->mapFrom(this, pos));
        std::optional<BlockId> target = under.isValid() ? BlockTreeModel::IdOf(under) : Current();
        if (!target || target->fileId != kGumps) {
            CurrentPrompts().Message(this, QStringLiteral("Drop a picture on the Gumps node or on a gump block."),
                                     QStringLiteral("Import Gump from Bmp"));
            return;
        }
        commands_->LoadGumpPicture(path, *target);
        return;
    }
    auto* import = static_cast<frmImport*>(ShowImport());
    // A file that cannot be read is named by its name.
    const Result<std::optional<SourceForm>> form = ProbeSource(path.toStdString(), true);
    if ((form && *form == SourceForm::kVerdata) ||
        file.fileName().compare(QLatin1String("verdata.mul"), Qt::CaseInsensitive) == 0)
        import->Prefill(frmImport::kVerdataType, path);
    else
        import->Prefill(GuessFileType(file.fileName()), path);
}

void frmStart::New() {
    if (!MaySwitch()) return;
    document_->Reset(Patch{}, "");
}

void frmStart::Open() {
    if (!MaySwitch()) return;
    const QString path = ShowOpenDialog(this, kPatchFilter, QStringLiteral("Open"), Folder::Patches);
    if (!path.isEmpty()) Load(path);
}

bool frmStart::OpenPath(const QString& path) { return MaySwitch() && Load(path); }

bool frmStart::Load(const QString& path) {
    Status opened;
    {
        WaitScope wait(this, QStringLiteral("Loading data. Please wait."));
        opened = document_->Open(path.toStdString());
    }
    if (!opened) {
        RunGuarded(this, QStringLiteral("Open"), [&] { OfferInstead(*this, path.toStdString(), opened.error()); });
        return false;
    }
    Report(QStringLiteral("Opened %1: %2").arg(path, Blocks(document_->patch().LiveCount())));
    return true;
}

void frmStart::Remember(const QString& path) {
    const auto store = OpenSettingsStore();
    QStringList recent = store->value(kRecentFilesKey).toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    store->setValue(kRecentFilesKey, QStringList(recent.mid(0, 8)));
    FillRecent();
}

void frmStart::FillRecent() {
    mnuRecent_->clear();
    const QStringList recent = OpenSettingsStore()->value(kRecentFilesKey).toStringList();
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent[i];
        QAction* a = mnuRecent_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
        connect(a, &QAction::triggered, this, [this, path] { OpenPath(path); });
    }
    mnuRecent_->setEnabled(!recent.isEmpty());
}

bool frmStart::Save() {
    if (document_->Path().empty()) return SaveAs();
    return SaveTo(document_->Path(), QStringLiteral("Save"));
}

bool frmStart::SaveAs() {
    const QString path =
        ShowSaveDialog(this, kPatchFilter, QStringLiteral("Save As"), Folder::Patches, QStringLiteral("uop"));
    return !path.isEmpty() && SaveTo(path.toStdString(), QStringLiteral("Save As"));
}

bool frmStart::SaveTo(const std::string& path, const QString& title) {
    Status saved;
    {
        WaitScope wait(this, QStringLiteral("Saving data. Please wait."));
        saved = document_->Save(path, SayWaiting(statusBar()));
    }
    statusBar()->clearMessage();
    if (!saved) CurrentPrompts().Message(this, QString::fromStdString(saved.error().message), title);
    else Report(QStringLiteral("Saved %1").arg(QString::fromStdString(document_->Path())));
    return saved.has_value();
}
