// The commands of the block tree's context menu and the Delete key. Every
// command acts on the tree's selected node.
#pragma once

#include <QObject>
#include <cstdint>

class QMenu;
class frmStart;

class BlockCommands : public QObject {
    Q_OBJECT
public:
    BlockCommands(frmStart* window, QMenu* popup);

    // Sets the captions and visibility of the six menu items for the
    // selected node; false when no node is selected.
    bool PrepareMenu();
    // A click on menu item `index` (0..5).
    void OnMenuItem(int index);
    // The Delete key: removes the selected block.
    void OnDeleteKey();

    void SaveBlockToDatafile(std::uint8_t fileId, std::int32_t blockNumber);
    void LoadFromDatafile(std::uint8_t fileId);
    void SaveToBmp();
    void LoadFromBmp();
    void AddFile();
    void ChangeFlags(std::uint8_t fileId, std::int32_t blockNumber);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString SelectedKey() const;
    void RemoveSelected();

    frmStart* window_;
    QMenu* popup_;
};
