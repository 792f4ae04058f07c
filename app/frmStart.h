// The main window: menu, toolbar, block tree on the left, the About and Info
// frames on the right, status bar. It owns the commands of the File menu.
#pragma once

#include <QHash>
#include <QMainWindow>
#include <array>

#include "app/block_tree.h"

class BlockCommands;
class InfoPanel;
class QAction;
class QDialog;
class QFrame;
class QMenu;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

class frmStart : public QMainWindow {
    Q_OBJECT
public:
    explicit frmStart(QWidget* parent = nullptr);

    // Rebuilds the tree from the working patch, settling duplicate blocks.
    void RefreshTreeView();

    QTreeWidget* Tree() const { return tvBlocks_; }
    QTreeWidgetItem* NodeByKey(const QString& key) const { return nodes_.value(key); }
    static QString KeyOf(const QTreeWidgetItem* item);
    // Adds one node in its sorted place under its parent.
    void AddNode(const TreeNode& node);
    void RemoveNode(const QString& key);

    // Shows frame `index` of frMenu alone; -1 hides them all.
    void ShowFrame(int index);
    InfoPanel* Panel() const { return panel_; }

public slots:
    void New();
    void Open();
    void Save();
    void SaveAs();
    void Settings();
    // The import and export dialogs, shown without blocking the window.
    QDialog* ShowImport();
    QDialog* ShowExport();
    BlockCommands* Commands() const { return commands_; }
    // Fills the information panel for a node, as a click on it does.
    void ShowNodeInfo(QTreeWidgetItem* item);

private:
    void BuildMenus();
    void BuildToolbar();
    void BuildFrames();
    QTreeWidgetItem* MakeItem(const TreeNode& node);
    void OnToolbarAction(QAction* action);
    void OnNodeClicked(QTreeWidgetItem* item);

    QTreeWidget* tvBlocks_ = nullptr;
    QToolBar* tbPatch_ = nullptr;
    std::array<QFrame*, 3> frMenu_{};
    QMenu* mnuPopup_ = nullptr;
    QHash<QString, QTreeWidgetItem*> nodes_;
    InfoPanel* panel_ = nullptr;
    BlockCommands* commands_ = nullptr;
};
