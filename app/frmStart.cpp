#include "app/frmStart.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QSignalBlocker>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/frmSettings.h"
#include "app/BlockCommands.h"
#include "app/InfoPanel.h"
#include "app/frmWait.h"
#include "app/icons.h"
#include "app/mComdlg.h"
#include "app/prompts.h"
#include "app/settings.h"
#include "gamefiles/frmExport.h"
#include "gamefiles/frmImport.h"
#include "patch/app_values.h"
#include "patch/patch_file.h"

namespace {
const QString kPatchFilter = QStringLiteral("UOP Patchfile (*.uop) |*.uop");
constexpr int kKeyRole = Qt::UserRole;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text = QString()) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}
}  // namespace

frmStart::frmStart(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmStart"));
    resize(900, 620);

    auto* picBack = new QWidget(this);
    picBack->setObjectName(QStringLiteral("picBack"));
    setCentralWidget(picBack);

    tvBlocks_ = new QTreeWidget(picBack);
    tvBlocks_->setObjectName(QStringLiteral("tvBlocks"));
    tvBlocks_->setHeaderHidden(true);
    tvBlocks_->setFixedWidth(190);
    tvBlocks_->setRootIsDecorated(true);
    tvBlocks_->setUniformRowHeights(true);
    connect(tvBlocks_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { OnNodeClicked(item); });
    connect(tvBlocks_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item) OnNodeClicked(item);
    });

    auto* frames = new QWidget(picBack);
    auto* stack = new QGridLayout(frames);
    stack->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 3; ++i) {
        frMenu_[static_cast<std::size_t>(i)] = new QFrame(frames);
        frMenu_[static_cast<std::size_t>(i)]->setObjectName(QStringLiteral("frMenu%1").arg(i));
        frMenu_[static_cast<std::size_t>(i)]->setFrameShape(QFrame::NoFrame);
        stack->addWidget(frMenu_[static_cast<std::size_t>(i)], 0, 0);
    }

    auto* layout = new QHBoxLayout(picBack);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(tvBlocks_);
    layout->addWidget(frames, 1);

    auto* sbPatch = new QStatusBar(this);
    sbPatch->setObjectName(QStringLiteral("sbPatch"));
    setStatusBar(sbPatch);

    BuildMenus();
    BuildFrames();
    BuildToolbar();
    commands_ = new BlockCommands(this, mnuPopup_);
    tvBlocks_->viewport()->installEventFilter(commands_);
    tvBlocks_->installEventFilter(commands_);
    ShowFrame(0);
    RefreshTreeView();
}

void frmStart::BuildMenus() {
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("File"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    auto item = [&](const char* name, const QString& caption, QKeySequence::StandardKey key, auto slot) {
        QAction* a = mnuFile->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    auto separator = [&](const char* name) { mnuFile->addSeparator()->setObjectName(QString::fromLatin1(name)); };
    item("mnuNew", QStringLiteral("New"), QKeySequence::New, &frmStart::New);
    separator("D3");
    item("mnuOpen", QStringLiteral("Open"), QKeySequence::Open, &frmStart::Open);
    separator("mnuD2");
    item("mnuSave", QStringLiteral("Save"), QKeySequence::Save, &frmStart::Save);
    item("mnuSaveAs", QStringLiteral("Save As"), QKeySequence::SaveAs, &frmStart::SaveAs);
    separator("mnuD");
    QAction* settings = mnuFile->addAction(QStringLiteral("Settings"));
    settings->setObjectName(QStringLiteral("mnuSettings"));
    connect(settings, &QAction::triggered, this, &frmStart::Settings);
    separator("mnuD4");
    item("mnuExit", QStringLiteral("Exit"), QKeySequence::Quit, &QWidget::close);

    QMenu* mnuHelp = menuBar()->addMenu(QStringLiteral("Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelp->addAction(QStringLiteral("About"))->setObjectName(QStringLiteral("mnuAbout"));
    mnuHelp->menuAction()->setVisible(false);

    mnuPopup_ = new QMenu(this);
    mnuPopup_->setObjectName(QStringLiteral("mnuPopup"));
    for (int i = 0; i < 6; ++i) {
        QAction* a = mnuPopup_->addAction(QString());
        a->setObjectName(QStringLiteral("mnuPop%1").arg(i));
        a->setVisible(false);
    }
}

void frmStart::BuildToolbar() {
    tbPatch_ = addToolBar(QStringLiteral("Patch"));
    tbPatch_->setObjectName(QStringLiteral("tbPatch"));
    tbPatch_->setMovable(false);
    tbPatch_->clear();
    struct Button {
        const char* key;
        int image;
        const char* tooltip;
    };
    const Button buttons[] = {{"D", 0, nullptr},         {"NEW", 6, "New"},
                              {"D2", 0, nullptr},        {"OPEN", 4, "Open"},
                              {"SAVE", 5, "Save"},       {"D3", 0, nullptr},
                              {"IMPORT", 8, "Import"},   {"EXPORT", 9, "Export to verdata.mul"}};
    for (const Button& b : buttons) {
        QAction* a = b.tooltip ? tbPatch_->addAction(PatchIcon(b.image), QString()) : tbPatch_->addSeparator();
        a->setObjectName(QString::fromLatin1(b.key));
        if (b.tooltip) a->setToolTip(QString::fromLatin1(b.tooltip));
    }
    connect(tbPatch_, &QToolBar::actionTriggered, this, &frmStart::OnToolbarAction);
}

void frmStart::OnToolbarAction(QAction* action) {
    const QString key = action->objectName();
    if (key == QLatin1String("NEW")) New();
    else if (key == QLatin1String("OPEN")) Open();
    else if (key == QLatin1String("SAVE")) Save();
    else if (key == QLatin1String("IMPORT")) ShowImport();
    else if (key == QLatin1String("EXPORT")) ShowExport();
}

void frmStart::Settings() {
    frmSettings dialog(this);
    CurrentPrompts().Exec(&dialog);
    LoadSettings();
}

QDialog* frmStart::ShowImport() {
    auto* dialog = new frmImport(this, [this] { RefreshTreeView(); });
    dialog->show();
    return dialog;
}

QDialog* frmStart::ShowExport() {
    auto* dialog = new frmExport(this);
    dialog->show();
    return dialog;
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
    panel_ = new InfoPanel(frMenu_[1]);
    (new QVBoxLayout(frMenu_[1]))->addWidget(panel_);

    // Frame 2: Tiledata, never shown.
    new QVBoxLayout(frMenu_[2]);
}

void frmStart::ShowFrame(int index) {
    for (int i = 0; i < 3; ++i) frMenu_[static_cast<std::size_t>(i)]->setVisible(i == index);
}

QString frmStart::KeyOf(const QTreeWidgetItem* item) {
    return item ? item->data(0, kKeyRole).toString() : QString();
}

QTreeWidgetItem* frmStart::MakeItem(const TreeNode& node) {
    auto* item = new QTreeWidgetItem(QStringList{QString::fromStdString(node.text)});
    const QString key = QString::fromStdString(node.key);
    item->setData(0, kKeyRole, key);
    if (node.image) item->setIcon(0, PatchIcon(node.image));
    nodes_.insert(key, item);
    return item;
}

void frmStart::ShowNodeInfo(QTreeWidgetItem* item) { OnNodeClicked(item); }

void frmStart::OnNodeClicked(QTreeWidgetItem* item) {
    if (!item) return;
    ShowFrame(-1);
    if (panel_->ShowNode(KeyOf(item), item->text(0))) ShowFrame(1);
}

void frmStart::RefreshTreeView() {
    WaitScope wait(this, QStringLiteral("Refreshing data. Please wait."));
    panel_->Forget();
    QSignalBlocker quiet(tvBlocks_);
    tvBlocks_->clear();
    nodes_.clear();
    const std::string& current = App().CurrentPatchFile;
    setWindowTitle(current.empty() ? QStringLiteral("Palindra - [New patch]")
                                   : QStringLiteral("Palindra - [%1]").arg(QString::fromStdString(current)));

    const std::vector<TreeNode> plan =
        BuildTreeNodes(App().WorkingPatch, FileTypes(), [&](std::int64_t total) { wait.SetCount(total); });

    // Items are created first and handed to the tree in one batch per parent.
    QList<QTreeWidgetItem*> topLevel;
    QHash<QString, QList<QTreeWidgetItem*>> children;
    std::size_t made = 0;
    for (const TreeNode& node : plan) {
        // Creating hundreds of thousands of items takes a while: keep painting.
        if (++made % 5000 == 0) wait.KeepPainting();
        QTreeWidgetItem* item = MakeItem(node);
        if (node.parentKey.empty()) topLevel.append(item);
        else children[QString::fromStdString(node.parentKey)].append(item);
    }
    tvBlocks_->addTopLevelItems(topLevel);
    for (auto it = children.begin(); it != children.end(); ++it) {
        QTreeWidgetItem* parent = nodes_.value(it.key());
        parent->addChildren(it.value());
        parent->sortChildren(0, Qt::AscendingOrder);
    }
}

void frmStart::AddNode(const TreeNode& node) {
    QTreeWidgetItem* parent = nodes_.value(QString::fromStdString(node.parentKey));
    if (!parent) return;
    RemoveNode(QString::fromStdString(node.key));
    QTreeWidgetItem* item = MakeItem(node);
    const QString text = item->text(0);
    int at = 0;
    while (at < parent->childCount() && parent->child(at)->text(0) < text) ++at;
    parent->insertChild(at, item);
}

void frmStart::RemoveNode(const QString& key) {
    delete nodes_.take(key);
}

void frmStart::New() {
    App().WorkingPatch.Clear();
    App().CurrentPatchFile.clear();
    RefreshTreeView();
}

void frmStart::Open() {
    const QString path = ShowOpenDialog(this, kPatchFilter, QStringLiteral("Open"), ProgramFolder());
    if (path.isEmpty()) return;
    Patch fresh;
    std::string error;
    {
        WaitScope wait(this, QStringLiteral("Loading data. Please wait."));
        error = ReadPatchFile(path.toStdString(), fresh, true, 0, 255, 0, kMaxBlockNumber);
    }
    if (!error.empty()) {
        CurrentPrompts().Message(this, QString::fromStdString(error), QStringLiteral("Open"));
        return;
    }
    App().WorkingPatch = std::move(fresh);
    App().CurrentPatchFile = path.toStdString();
    RefreshTreeView();
}

void frmStart::Save() {
    if (App().CurrentPatchFile.empty()) {
        SaveAs();
        return;
    }
    std::string error;
    {
        WaitScope wait(this, QStringLiteral("Saving data. Please wait."));
        error = WritePatchFile(App().CurrentPatchFile, App().WorkingPatch);
    }
    if (!error.empty()) CurrentPrompts().Message(this, QString::fromStdString(error), QStringLiteral("Save"));
}

void frmStart::SaveAs() {
    const QString path = ShowSaveDialog(this, kPatchFilter, QStringLiteral("Save As"), ProgramFolder());
    if (path.isEmpty()) return;
    std::string error;
    {
        WaitScope wait(this, QStringLiteral("Saving data. Please wait."));
        error = WritePatchFile(path.toStdString(), App().WorkingPatch);
    }
    if (!error.empty()) {
        CurrentPrompts().Message(this, QString::fromStdString(error), QStringLiteral("Save As"));
        return;
    }
    App().CurrentPatchFile = path.toStdString();
}

