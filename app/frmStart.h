// The main window: menus, toolbar, the block tree on the left, the About and
// Info frames on the right, status bar. It owns the document and runs the
// commands of the File menu.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <optional>
#include <string>

#include "app/settings.h"
#include "patch/block_tree.h"

class BlockCommands;
class BlockTreeModel;
class InfoPanel;
class PatchDocument;
class QDialog;
class QFrame;
class QLineEdit;
class QMenu;
class QSplitter;
class QTreeView;
class frmExport;
class frmImport;

class frmStart : public QMainWindow {
    Q_OBJECT
public:
    explicit frmStart(QWidget* parent = nullptr);

    PatchDocument& Document() const { return *document_; }
    BlockTreeModel* Model() const { return model_; }
    QTreeView* Tree() const { return tvBlocks_; }
    BlockCommands* Commands() const { return commands_; }
    InfoPanel* Panel() const { return panel_; }
    ::Settings& Values() { return settings_; }

    // Makes a node current and selected, as a click on it does; false when
    // the tree has no such node.
    bool Select(BlockId id);
    // The node the commands act on.
    std::optional<BlockId> Current() const;
    // Opens the context menu of the current node at that node.
    void ShowContextMenu();

    // The filter line: a block number (decimal, or 0x hexadecimal) selects
    // that block in the current file type, else in the first that holds it;
    // `next` (Enter) moves on to the next file type holding it. Any other
    // text shows only the file types whose name contains it.
    void ApplyFilter(bool next = false);

    // Shows frame `index` of frMenu alone; -1 hides them all.
    void ShowFrame(int index);

public slots:
    void New();
    void Open();
    // Opens that patch project file (after asking about unsaved changes);
    // false when it was not opened.
    bool OpenPath(const QString& path);
    bool Save();
    bool SaveAs();
    void ShowSettings();
    // File -> "Write into client files...", modal.
    void ShowBake();
    // The import and export dialogs, shown without blocking the window; one
    // of each at a time (a second call raises the open one).
    QDialog* ShowImport();
    QDialog* ShowExport();
    // Shows the result of a command in the status bar.
    void Report(const QString& text);

    // What a file dropped on the window (at `pos`, in window coordinates)
    // does: a patch opens, a picture becomes a gump block, a data file opens
    // the import dialog with it.
    void DropFile(const QString& path, QPoint pos);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    void BuildToolbar();
    void BuildFrames();
    // Window geometry and splitter position, kept with the other settings.
    void RestoreLayout();
    void SaveLayout() const;
    // The patch changed: the tree is planned afresh, keeping what was
    // expanded and selected wherever it still exists.
    void OnBlocksChanged();
    void OnSelectionChanged();
    void UpdateCaption();
    // Opens the patch without asking first.
    bool Load(const QString& path);
    // Saves the patch to `path`; a failure is said under `title`.
    bool SaveTo(const std::string& path, const QString& title);
    // The last patches opened or saved, newest first, in the File menu.
    void Remember(const QString& path);
    void FillRecent();
    // The block number the filter line holds, if it holds one.
    std::optional<std::int32_t> FilterNumber() const;
    // Hides the file types whose name does not contain the filter's text.
    void NarrowTree();
    // Asks Save / Discard / Cancel when there are unsaved changes; false
    // when the user cancelled (or the save failed).
    bool MaySwitch();

    ::Settings settings_;
    PatchDocument* document_ = nullptr;
    BlockTreeModel* model_ = nullptr;
    QTreeView* tvBlocks_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QLineEdit* txtFilter_ = nullptr;
    std::array<QFrame*, 3> frMenu_{};
    QMenu* mnuPopup_ = nullptr;
    QMenu* mnuRecent_ = nullptr;
    InfoPanel* panel_ = nullptr;
    BlockCommands* commands_ = nullptr;
    QAction* import_ = nullptr;
    QAction* export_ = nullptr;
    QPointer<frmImport> importDialog_;
    QPointer<frmExport> exportDialog_;
};
