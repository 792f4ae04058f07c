// The main window: menus, toolbar, the block tree with its filter line on the
// left, the About and Info frames on the right, status bar. It owns the
// document, runs the commands of the File menu and is the one that asks the
// user before anything is lost.
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
class ClientBrowser;
class ClientComparison;
class ExportDialog;
class FilterLine;
class ImportDialog;
class InfoPanel;
class MapWindow;
class PatchDocument;
class QDialog;
class QFrame;
class QMenu;
class QSplitter;
class QTreeView;
class RecentFiles;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    PatchDocument& Document() const { return *document_; }
    BlockTreeModel* Model() const { return model_; }
    QTreeView* Tree() const { return tvBlocks_; }
    BlockCommands* Commands() const { return commands_; }
    InfoPanel* Panel() const { return panel_; }
    ClientComparison* Comparison() const { return comparison_; }
    ClientBrowser* Browser() const { return browser_; }
    ::Settings& Values() { return settings_; }

    // Makes a node current and selected, as a click on it does; false when
    // the tree has no such node.
    bool Select(BlockId id);
    // The node the commands act on.
    std::optional<BlockId> Current() const;
    // Opens the context menu of the current node at that node.
    void ShowContextMenu();

    // Shows frame `index` of frMenu alone; -1 hides them all.
    void ShowFrame(int index);

public slots:
    void New();
    void Open();
    // Closes the patch (after asking about unsaved changes): a new one starts.
    void Close();
    // Opens that patch project file (after asking about unsaved changes);
    // false when it was not opened.
    bool OpenPath(const QString& path);
    // What a file named on the command line or dropped on the window (at
    // `pos`, in window coordinates) does: a patch opens, a picture becomes a
    // gump block, a verdata or data file opens the import dialog with it.
    void OpenFile(const QString& path, std::optional<QPoint> pos = std::nullopt);
    bool Save();
    bool SaveAs();
    void ShowSettings();
    // File -> "Write into client files...", modal.
    void ShowBake();
    // File -> "Convert client files...", modal.
    void ShowConvert();
    // Block -> "Remove blocks the client already has": one undoable step.
    void RemoveBlocksTheClientHas();
    // The import and export dialogs, shown without blocking the window; one
    // of each, which keeps what was chosen in it between showings.
    ImportDialog* ShowImport();
    QDialog* ShowExport();
    // View -> Map: the client's map with the patch's blocks on it, shown without blocking the window.
    MapWindow* ShowMap();
    // Shows the result of a command in the status bar.
    void Report(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildToolbar();
    void BuildFrames();
    // Window geometry and splitter position, kept with the other settings.
    void RestoreLayout();
    void SaveLayout() const;
    // The patch changed: the tree follows; a removed block's place goes to
    // the block after it.
    void OnBlocksChanged();
    void OnSelectionChanged();
    void UpdateCaption();
    // Opens the patch without asking first.
    bool Load(const QString& path);
    // Saves the patch to `path`; a failure is said under `title`. A file
    // changed on disk since it was read is overwritten only when the user says so.
    bool SaveTo(const std::string& path, const QString& title);
    // Asks Save / Discard / Cancel when there are unsaved changes; false
    // when the user cancelled (or the save failed).
    bool MaySwitch();

    ::Settings settings_;
    PatchDocument* document_ = nullptr;
    BlockTreeModel* model_ = nullptr;
    ClientComparison* comparison_ = nullptr;
    ClientBrowser* browser_ = nullptr;
    QTreeView* tvBlocks_ = nullptr;
    FilterLine* txtFilter_ = nullptr;
    QSplitter* splitter_ = nullptr;
    std::array<QFrame*, 3> frMenu_{};
    QMenu* mnuPopup_ = nullptr;
    RecentFiles* recent_ = nullptr;
    InfoPanel* panel_ = nullptr;
    BlockCommands* commands_ = nullptr;
    QAction* import_ = nullptr;
    QAction* export_ = nullptr;
    QAction* copy_ = nullptr;
    QPointer<ImportDialog> importDialog_;
    QPointer<ExportDialog> exportDialog_;
    QPointer<MapWindow> map_;
};
