#include "app/main_window.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "app/anim_player.h"
#include "app/block_commands.h"
#include "app/block_tree_model.h"
#include "app/bake_dialog.h"
#include "app/client_browser.h"
#include "app/convert_dialog.h"
#include "app/client_comparison.h"
#include "app/export_dialog.h"
#include "app/file_dialogs.h"
#include "app/file_drops.h"
#include "app/filter_line.h"
#include "app/icons.h"
#include "app/import_dialog.h"
#include "app/info_panel.h"
#include "app/map_view.h"
#include "app/open_instead.h"
#include "app/out_of_memory.h"
#include "app/patch_document.h"
#include "app/picture_view.h"
#include "app/prompts.h"
#include "app/recent_files.h"
#include "app/settings_dialog.h"
#include "app/status_texts.h"
#include "app/wait_window.h"
#include "gamefiles/forms/form.h"
#include "gamefiles/forms/usual_names.h"
#include "gamefiles/import.h"
#include "patch/file_types.h"

namespace {
const QString kPatchFilter = FormFilter(Form::kPatchFile, "UOP Patchfile");

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

// The platform's key for `key`, or `fallback` where the platform has none.
QKeySequence KeyOr(QKeySequence::StandardKey key, const char* fallback) {
    const QKeySequence standard(key);
    return standard.isEmpty() ? QKeySequence(QString::fromLatin1(fallback)) : standard;
}
}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmStart"));
    resize(900, 620);
    settings_.Load();
    document_ = new PatchDocument(this);

    auto* picBack = new QWidget(this);
    picBack->setObjectName(QStringLiteral("picBack"));
    setCentralWidget(picBack);

    comparison_ = new ClientComparison(*document_, this);
    model_ = new BlockTreeModel(*document_, this);
    model_->SetComparison(comparison_);
    connect(comparison_, &ClientComparison::StatesChanged, this, [this] {
        // Under a state word the tree shows the blocks in that state as they are now.
        if (model_->StateFilter()) {
            OnBlocksChanged();
            txtFilter_->Apply();
        } else {
            model_->MarksChanged();
        }
        panel_->ShowClientSide();
    });
    connect(comparison_, &ClientComparison::Failed, this, &MainWindow::Report);
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
            &MainWindow::OnSelectionChanged);
    connect(tvBlocks_, &QTreeView::clicked, this, &MainWindow::OnSelectionChanged);

    auto* frames = new QWidget(picBack);
    auto* stack = new QGridLayout(frames);
    stack->setContentsMargins(0, 0, 0, 0);
    for (std::size_t i = 0; i < frMenu_.size(); ++i) {
        frMenu_[i] = new QFrame(frames);
        frMenu_[i]->setObjectName(QStringLiteral("frMenu%1").arg(i));
        frMenu_[i]->setFrameShape(QFrame::NoFrame);
        stack->addWidget(frMenu_[i], 0, 0);
    }

    txtFilter_ = new FilterLine(tvBlocks_, model_, picBack);
    connect(txtFilter_, &FilterLine::Wanted, this, &MainWindow::Select);
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
    connect(commands_, &BlockCommands::Reported, this, &MainWindow::Report);
    connect(panel_, &InfoPanel::PlayRequested, commands_, &BlockCommands::PlaySound);
    connect(panel_, &InfoPanel::ClientBlockAdded, this, [this](BlockId id) { Select(id); });
    connect(&panel_->Player(), &AnimPlayer::Wanted, this, [this](int block) {
        if (Select({kAnim, block})) return;
        // A block only the client holds has no node: the tree lets go of its
        // selection, so that no block command acts on a block not shown.
        tvBlocks_->selectionModel()->clearSelection();
        panel_->ShowClientBlock({kAnim, block});
        copy_->setEnabled(!panel_->Picture().isNull());
        ShowFrame(1);
    });
    browser_ = new ClientBrowser(this, *document_, *comparison_, settings_);
    addDockWidget(Qt::LeftDockWidgetArea, browser_);
    browser_->hide();
    connect(browser_, &ClientBrowser::Reported, this, &MainWindow::Report);
    connect(browser_, &ClientBrowser::SettingsWanted, this, &MainWindow::ShowSettings);
    connect(browser_, &ClientBrowser::MapWanted, this, [this](std::int32_t block) {
        MapView* view = ShowMap()->View();
        if (block < 0) return;
        // Close enough to see the block's cells, with the block in the middle.
        view->SetZoom(4);
        view->CentreOn(QPoint(block / kMapBlockRows * kCellsPerBlockSide + kCellsPerBlockSide / 2,
                              block % kMapBlockRows * kCellsPerBlockSide + kCellsPerBlockSide / 2));
    });
    connect(panel_, &InfoPanel::PictureArrived, this, [this] { copy_->setEnabled(!panel_->Picture().isNull()); });
    connect(browser_, &ClientBrowser::Wanted, this, [this](BlockId id) {
        tvBlocks_->selectionModel()->clearSelection();
        panel_->ShowClientBlock(id);
        copy_->setEnabled(!panel_->Picture().isNull());
        ShowFrame(1);
    });
    BuildMenus();
    BuildToolbar();
    connect(tvBlocks_, &QWidget::customContextMenuRequested, this, &MainWindow::ShowContextMenu);
    auto* shiftF10 = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), tvBlocks_);
    shiftF10->setContext(Qt::WidgetShortcut);
    connect(shiftF10, &QShortcut::activated, this, &MainWindow::ShowContextMenu);

    connect(document_, &PatchDocument::BlocksChanged, this, &MainWindow::OnBlocksChanged);
    connect(document_, &PatchDocument::PathChanged, this, &MainWindow::UpdateCaption);
    connect(document_, &PatchDocument::Failed, this,
            [this](const QString& title, const QString& text) { CurrentPrompts().Message(this, text, title); });
    connect(document_, &PatchDocument::Stepped, this, [this](bool undone, const QString& name) {
        Report((undone ? QStringLiteral("Undone: %1") : QStringLiteral("Redone: %1")).arg(name));
    });
    connect(document_->UndoStack(), &QUndoStack::cleanChanged, this,
            [this](bool clean) { setWindowModified(!clean); });
    connect(new FileDrops(this), &FileDrops::Dropped, this, [this](const QString& path, QPoint pos) { OpenFile(path, pos); });
    browser_->TakeDropsOn(tvBlocks_->viewport());
    // Tab from the filter line goes down to its tree. Set last: moving the
    // tree's column into the splitter and adding the panel reorder the chain.
    setTabOrder(txtFilter_, tvBlocks_);
    ShowFrame(0);
    UpdateCaption();
    setWindowIcon(PatchIcon(2));
    RestoreLayout();
    comparison_->SetClient(QString::fromStdString(settings_.ClientFolder), settings_.ClientVerdata);
}

void MainWindow::RestoreLayout() {
    const auto store = OpenSettingsStore();
    restoreGeometry(store->value(kWindowGeometryKey).toByteArray());
    splitter_->restoreState(store->value(kSplitterStateKey).toByteArray());
}

void MainWindow::SaveLayout() const {
    const auto store = OpenSettingsStore();
    store->setValue(kWindowGeometryKey, saveGeometry());
    store->setValue(kSplitterStateKey, splitter_->saveState());
}

void MainWindow::Report(const QString& text) { statusBar()->showMessage(text); }

void MainWindow::BuildMenus() {
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    auto item = [&](const char* name, const QString& caption, const QKeySequence& key, auto slot) {
        QAction* a = mnuFile->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    auto separator = [&](const char* name) { mnuFile->addSeparator()->setObjectName(QString::fromLatin1(name)); };
    item("mnuNew", QStringLiteral("&New"), QKeySequence::New, &MainWindow::New);
    separator("D3");
    item("mnuOpen", QStringLiteral("&Open..."), QKeySequence::Open, &MainWindow::Open);
    QMenu* mnuRecent = mnuFile->addMenu(QStringLiteral("Open &Recent"));
    mnuRecent->setObjectName(QStringLiteral("mnuRecent"));
    recent_ = new RecentFiles(mnuRecent, this);
    connect(recent_, &RecentFiles::Chosen, this, &MainWindow::OpenPath);
    item("mnuClose", QStringLiteral("&Close"), QKeySequence(QStringLiteral("Ctrl+W")), &MainWindow::Close);
    separator("mnuD2");
    item("mnuSave", QStringLiteral("&Save"), QKeySequence::Save, &MainWindow::Save);
    item("mnuSaveAs", QStringLiteral("Save &As..."), KeyOr(QKeySequence::SaveAs, "Ctrl+Shift+S"), &MainWindow::SaveAs);
    QAction* bake = mnuFile->addAction(QStringLiteral("&Write into client files..."));
    bake->setObjectName(QStringLiteral("mnuBake"));
    connect(bake, &QAction::triggered, this, &MainWindow::ShowBake);
    QAction* convert = mnuFile->addAction(QStringLiteral("Con&vert client files..."));
    convert->setObjectName(QStringLiteral("mnuConvert"));
    connect(convert, &QAction::triggered, this, &MainWindow::ShowConvert);
    separator("mnuD");
    item("mnuSettings", QStringLiteral("Se&ttings..."), QKeySequence(), &MainWindow::ShowSettings);
    separator("mnuD4");
    item("mnuExit", QStringLiteral("E&xit"), QKeySequence::Quit, &QWidget::close);

    QMenu* mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    QAction* undo = document_->CreateUndoAction(this);
    undo->setObjectName(QStringLiteral("actUndo"));
    undo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    QAction* redo = document_->CreateRedoAction(this);
    redo->setObjectName(QStringLiteral("actRedo"));
    redo->setShortcuts({QKeySequence(QStringLiteral("Ctrl+Shift+Z")), QKeySequence(QStringLiteral("Ctrl+Y"))});
    mnuEdit->addActions({undo, redo});
    mnuEdit->addSeparator();
    // Ctrl+C copies the picture from the tree or the panel; in the filter
    // line it still copies text.
    copy_ = mnuEdit->addAction(QStringLiteral("&Copy Picture"));
    copy_->setObjectName(QStringLiteral("actCopyPicture"));
    copy_->setShortcut(QKeySequence::Copy);
    copy_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    copy_->setEnabled(false);
    tvBlocks_->addAction(copy_);
    panel_->addAction(copy_);
    connect(copy_, &QAction::triggered, this, [this] {
        const QImage picture = panel_->View().Visible();
        if (picture.isNull()) return;
        QGuiApplication::clipboard()->setImage(picture);
        Report(QStringLiteral("Copied the picture (%1 \u00D7 %2)").arg(picture.width()).arg(picture.height()));
    });
    QAction* find = mnuEdit->addAction(QStringLiteral("&Find Block..."));
    find->setObjectName(QStringLiteral("actFind"));
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        txtFilter_->setFocus(Qt::ShortcutFocusReason);
        txtFilter_->selectAll();
    });

    QMenu* mnuBlock = menuBar()->addMenu(QStringLiteral("&Block"));
    mnuBlock->setObjectName(QStringLiteral("mnuBlock"));
    import_ = mnuBlock->addAction(QStringLiteral("&Import..."), this, &MainWindow::ShowImport);
    import_->setObjectName(QStringLiteral("actImport"));
    import_->setShortcut(QKeySequence(QStringLiteral("Ctrl+I")));
    export_ = mnuBlock->addAction(QStringLiteral("&Export..."), this, &MainWindow::ShowExport);
    export_->setObjectName(QStringLiteral("actExport"));
    export_->setShortcut(QKeySequence(QStringLiteral("Ctrl+E")));
    mnuBlock->addSeparator();
    mnuBlock->addActions(commands_->Actions());
    mnuBlock->addSeparator();
    QAction* prune = mnuBlock->addAction(QStringLiteral("Remove blocks the client already &has"), this,
                                         &MainWindow::RemoveBlocksTheClientHas);
    prune->setObjectName(QStringLiteral("actRemoveClientHas"));
    prune->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+R")));

    QMenu* mnuView = menuBar()->addMenu(QStringLiteral("&View"));
    mnuView->setObjectName(QStringLiteral("mnuView"));
    QAction* client = browser_->toggleViewAction();
    client->setObjectName(QStringLiteral("actClientView"));
    client->setText(QStringLiteral("&Client"));
    client->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+C")));
    mnuView->addAction(client);
    QAction* map = mnuView->addAction(QStringLiteral("&Map"), this, &MainWindow::ShowMap);
    map->setObjectName(QStringLiteral("actMap"));
    map->setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+M")));

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

void MainWindow::BuildToolbar() {
    QToolBar* tbPatch = addToolBar(QStringLiteral("Patch"));
    tbPatch->setObjectName(QStringLiteral("tbPatch"));
    tbPatch->setMovable(false);
    struct Button {
        const char* key;
        int image;
        const char* tooltip;
        QAction* runs;
    };
    const Button buttons[] = {{"D", 0, nullptr, nullptr},
                              {"NEW", 6, "New", findChild<QAction*>(QStringLiteral("mnuNew"))},
                              {"D2", 0, nullptr, nullptr},
                              {"OPEN", 4, "Open", findChild<QAction*>(QStringLiteral("mnuOpen"))},
                              {"SAVE", 5, "Save", findChild<QAction*>(QStringLiteral("mnuSave"))},
                              {"D3", 0, nullptr, nullptr},
                              {"IMPORT", 8, "Import", import_},
                              {"EXPORT", 9, "Export to verdata.mul", export_}};
    for (const Button& b : buttons) {
        QAction* a = b.tooltip ? tbPatch->addAction(PatchIcon(b.image), QString()) : tbPatch->addSeparator();
        a->setObjectName(QString::fromLatin1(b.key));
        if (!b.tooltip) continue;
        a->setToolTip(QString::fromLatin1(b.tooltip));
        connect(a, &QAction::triggered, b.runs, &QAction::trigger);
    }
}

void MainWindow::ShowSettings() {
    SettingsDialog dialog(this);
    if (CurrentPrompts().Exec(&dialog) != QDialog::Accepted) return;
    settings_.Load();
    Report(QStringLiteral("Settings saved"));
    comparison_->SetClient(QString::fromStdString(settings_.ClientFolder), settings_.ClientVerdata);
    panel_->ShowClientSide();
    if (map_) map_->Reload();
    browser_->SettingsChanged();
}

void MainWindow::RemoveBlocksTheClientHas() {
    if (comparison_->Folder().isEmpty()) {
        Report(QStringLiteral("Choose the client folder in Settings first."));
        return;
    }
    if (!comparison_->Judged()) {
        Report(comparison_->Busy()
                   ? QStringLiteral("The patch is still being compared with the client; try again in a moment.")
                   : QStringLiteral("The patch could not be compared with the client folder."));
        return;
    }
    PatchEdit edit = comparison_->SameBlocksRemoved();
    const std::size_t removed = edit.removals.size();
    if (removed == 0) {
        Report(QStringLiteral("The patch holds no block the client already has."));
        return;
    }
    if (document_->Run(QStringLiteral("Remove blocks the client already has"), std::move(edit)))
        Report(QStringLiteral("Removed %1 the client already has.").arg(Blocks(static_cast<std::int64_t>(removed))));
}

void MainWindow::ShowBake() {
    BakeDialog dialog(this, document_->patch(), settings_.ClientFolder, settings_.ClientVerdata);
    connect(&dialog, &BakeDialog::Reported, this, &MainWindow::Report);
    CurrentPrompts().Exec(&dialog);
}

void MainWindow::ShowConvert() {
    ConvertDialog dialog(this, settings_.ClientFolder);
    connect(&dialog, &ConvertDialog::Reported, this, &MainWindow::Report);
    CurrentPrompts().Exec(&dialog);
}

ImportDialog* MainWindow::ShowImport() {
    if (!importDialog_) {
        importDialog_ = new ImportDialog(this, [this](Patch&& imported, const ImportReport& report) {
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

QDialog* MainWindow::ShowExport() {
    if (!exportDialog_) {
        exportDialog_ = new ExportDialog(this, document_->patch(), document_->Path(), settings_.VerdataPath);
        connect(exportDialog_, &ExportDialog::Reported, this, &MainWindow::Report);
    }
    exportDialog_->show();
    exportDialog_->raise();
    exportDialog_->activateWindow();
    return exportDialog_;
}

MapWindow* MainWindow::ShowMap() {
    if (!map_) {
        map_ = new MapWindow(this, *document_, settings_);
        connect(map_, &MapWindow::Reported, this, &MainWindow::Report);
        connect(map_, &MapWindow::BlockWanted, this, [this](BlockId id, bool inPatch) {
            if (inPatch && Select(id)) return;
            // The client's block has no node: the tree lets go of its selection, as for the animation player.
            tvBlocks_->selectionModel()->clearSelection();
            panel_->ShowClientBlock(id);
            copy_->setEnabled(!panel_->Picture().isNull());
            ShowFrame(1);
        });
    }
    map_->show();
    map_->raise();
    map_->activateWindow();
    return map_;
}

void MainWindow::BuildFrames() {
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

void MainWindow::ShowFrame(int index) {
    for (std::size_t i = 0; i < frMenu_.size(); ++i) frMenu_[i]->setVisible(static_cast<int>(i) == index);
}

std::optional<BlockId> MainWindow::Current() const {
    const QModelIndexList selected = tvBlocks_->selectionModel()->selectedIndexes();
    if (selected.isEmpty()) return std::nullopt;
    return BlockTreeModel::IdOf(selected.first());
}

bool MainWindow::Select(BlockId id) {
    const QModelIndex index = model_->IndexOf(id);
    if (!index.isValid()) return false;
    tvBlocks_->setCurrentIndex(index);
    tvBlocks_->scrollTo(index);
    return true;
}

void MainWindow::ShowContextMenu() {
    if (!commands_->PrepareMenu(mnuPopup_)) return;
    const QRect rect = tvBlocks_->visualRect(tvBlocks_->currentIndex());
    mnuPopup_->popup(tvBlocks_->viewport()->mapToGlobal(rect.isValid() ? rect.center() : QPoint()));
}

void MainWindow::OnSelectionChanged() {
    const std::optional<BlockId> id = Current();
    commands_->SetCurrent(id);
    if (!id) return;
    const QModelIndex index = tvBlocks_->selectionModel()->selectedIndexes().first();
    // A "LOTS" node stands for its file type.
    if (model_->IsLots(index)) panel_->ShowNode(*id, index.parent().data().toString());
    else panel_->ShowNode(*id, index.data().toString());
    copy_->setEnabled(!panel_->Picture().isNull());
    ShowFrame(1);
}

void MainWindow::OnBlocksChanged() {
    // What the status bar says belongs to the state before this change.
    statusBar()->clearMessage();
    const QModelIndex before = tvBlocks_->currentIndex();
    const std::optional<BlockId> current = Current();
    const bool belowLots = model_->IsLots(before.parent());
    model_->Update();
    if (current && current->IsBlock() && !model_->Holds(*current)) {
        // The block after a removed one takes its place, else the one before, else its file type.
        QModelIndex parent = model_->IndexOf({current->fileId, -1});
        if (belowLots && model_->IsLots(model_->index(0, 0, parent))) parent = model_->index(0, 0, parent);
        const int rows = model_->rowCount(parent);
        tvBlocks_->setCurrentIndex(rows > 0 ? model_->index(std::min(before.row(), rows - 1), 0, parent)
                                            : model_->IndexOf({current->fileId, -1}));
    } else if (current && !tvBlocks_->selectionModel()->hasSelection()) {
        Select(*current);
    }
    // The panel shows the node as it is now, even where the selection stayed.
    if (Current()) {
        OnSelectionChanged();
    } else {
        commands_->SetCurrent(std::nullopt);
        copy_->setEnabled(false);
        ShowFrame(0);
    }
}

void MainWindow::UpdateCaption() {
    const std::string& path = document_->Path();
    setProperty(kPatchPathProperty, QString::fromStdString(path));
    if (!path.empty()) recent_->Remember(QString::fromStdString(path));
    setWindowTitle(path.empty() ? QStringLiteral("Palindra - [New patch][*]")
                                : QStringLiteral("Palindra - [%1][*]").arg(QString::fromStdString(path)));
    setWindowModified(document_->IsModified());
}

bool MainWindow::MaySwitch() {
    if (!document_->IsModified()) return true;
    switch (CurrentPrompts().AskSaveChanges(this, QStringLiteral("The patch has unsaved changes. Save them first?"),
                                            QStringLiteral("Palindra"))) {
        case SaveChoice::Save: return Save();
        case SaveChoice::Discard: return true;
        case SaveChoice::Cancel: break;
    }
    return false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!MaySwitch()) {
        event->ignore();
        return;
    }
    SaveLayout();
    event->accept();
}

void MainWindow::OpenFile(const QString& path, std::optional<QPoint> pos) {
    const QFileInfo file(path);
    const QString suffix = file.suffix().toLower();
    // A file that cannot be read is taken by its name.
    const Result<std::optional<Form>> form = ProbeSource(path.toStdString(), true);
    if (suffix == QLatin1String("uop") || (form && *form == Form::kPatchFile)) {
        OpenPath(path);
        return;
    }
    if (suffix == QLatin1String("bmp") || suffix == QLatin1String("png")) {
        const QModelIndex under = pos ? tvBlocks_->indexAt(tvBlocks_->viewport()->mapFrom(this, *pos)) : QModelIndex();
        std::optional<BlockId> target = under.isValid() ? BlockTreeModel::IdOf(under) : Current();
        if (target && (target->fileId == kArt || target->fileId == kTexmaps)) {
            commands_->LoadBlockFile(*target, path);
            return;
        }
        if (!target || target->fileId != kGumps) {
            CurrentPrompts().Message(this, QStringLiteral("Drop a picture on the Gumps node or on a gump block."),
                                     QStringLiteral("Import Gump from Bmp"));
            return;
        }
        commands_->LoadGumpPicture(path, *target);
        return;
    }
    ImportDialog* import = ShowImport();
    if ((form && *form == Form::kVerdata) ||
        file.fileName().compare(QLatin1String("verdata.mul"), Qt::CaseInsensitive) == 0)
        import->Prefill(ImportDialog::kVerdataType, path);
    else
        import->Prefill(FileIdOfName(file.fileName().toStdString()).value_or(-1), path);
}

void MainWindow::New() {
    if (!MaySwitch()) return;
    document_->Reset(Patch{}, "");
    txtFilter_->clear();  // it narrowed the patch that is gone
    Report(QStringLiteral("Started a new patch"));
}

void MainWindow::Close() {
    if (!MaySwitch()) return;
    const QString closed = QString::fromStdString(document_->Path());
    document_->Reset(Patch{}, "");
    txtFilter_->clear();
    Report(closed.isEmpty() ? QStringLiteral("Closed the patch") : QStringLiteral("Closed %1").arg(closed));
}

void MainWindow::Open() {
    if (!MaySwitch()) return;
    const QString path = ShowOpenDialog(this, kPatchFilter, QStringLiteral("Open"), Folder::Patches);
    if (!path.isEmpty()) Load(path);
}

bool MainWindow::OpenPath(const QString& path) { return MaySwitch() && Load(path); }

bool MainWindow::Load(const QString& path) {
    Status opened;
    {
        WaitScope wait(this, QStringLiteral("Loading data. Please wait."), QStringLiteral("Opening"));
        opened = document_->Open(path.toStdString());
    }
    if (!opened) {
        RunGuarded(this, QStringLiteral("Open"), [&] { OfferInstead(*this, path.toStdString(), opened.error()); });
        return false;
    }
    txtFilter_->clear();
    Report(QStringLiteral("Opened %1: %2").arg(path, Blocks(document_->patch().LiveCount())));
    return true;
}

bool MainWindow::Save() {
    if (document_->Path().empty()) return SaveAs();
    return SaveTo(document_->Path(), QStringLiteral("Save"));
}

bool MainWindow::SaveAs() {
    const QString name = document_->Path().empty() ? QStringLiteral("patch.uop")
                                                   : QFileInfo(QString::fromStdString(document_->Path())).fileName();
    const QString path = ShowSaveDialog(this, kPatchFilter, QStringLiteral("Save As"), Folder::Patches,
                                        QStringLiteral("uop"), name);
    return !path.isEmpty() && SaveTo(path.toStdString(), QStringLiteral("Save As"));
}

bool MainWindow::SaveTo(const std::string& path, const QString& title) {
    auto save = [&](bool overwriteChanges) {
        WaitScope wait(this, QStringLiteral("Saving data. Please wait."), QStringLiteral("Saving"));
        return document_->Save(path, SayWaiting(statusBar()), overwriteChanges);
    };
    Status saved = save(false);
    if (!saved && saved.error().code == ErrorCode::kChangedOnDisk) {
        const QString changed = QString::fromStdString(saved.error().message);
        if (!CurrentPrompts().Confirm(this, changed + QStringLiteral(" Overwrite those changes with this patch?"), title,
                                      QStringLiteral("Overwrite"))) {
            Report(QStringLiteral("Not saved: %1").arg(changed));
            return false;
        }
        saved = save(true);
    }
    statusBar()->clearMessage();
    if (!saved) CurrentPrompts().Message(this, QString::fromStdString(saved.error().message), title);
    else Report(QStringLiteral("Saved %1").arg(QString::fromStdString(document_->Path())));
    return saved.has_value();
}
