// The "Client" view beside the patch tree: the blocks the client folder of
// the settings holds, a type at a time, as thumbnails or a list; a filter
// line to find them; "Add to patch" of a selection (or a drag onto the
// tree), "Replace with file..." of one; Enter or a double-click shows the
// client's block in the panel; the Map entry opens the whole map too.
#pragma once

#include <QDockWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "patch/block_tree.h"

class ClientBrowserModel;
class ClientComparison;
class PatchDocument;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
struct Settings;

class ClientBrowser : public QDockWidget {
    Q_OBJECT
public:
    ClientBrowser(QWidget* parent, PatchDocument& document, const ClientComparison& comparison,
                  const Settings& settings);

    // Reads the client folder of the settings afresh.
    void Reload();
    // The settings changed: reads the folder afresh now, or when next shown.
    void SettingsChanged();
    ClientBrowserModel& Model() const { return *model_; }
    QListView* View() const { return view_; }
    // Chooses a type by its place in ClientBrowserTypes().
    void ChooseType(int type);

    // Adds the selected entries' blocks (the client's bytes and flags) as one undoable step.
    void AddToPatch();
    // Asks for a file and makes the current entry's block of it.
    void ReplaceWithFile();
    // Takes drops of the view's entries on `tree` (the patch tree): they are added as by AddToPatch.
    void TakeDropsOn(QWidget* tree);
    // Adds the client's blocks `numbers` of `fileId`; the type shown must be `fileId`'s.
    void Add(std::uint8_t fileId, const std::vector<std::int32_t>& numbers);

    // Thumbnail size in pixels; Ctrl+plus and Ctrl+minus step it.
    void SetThumbnailSide(int side);

signals:
    // Enter or a double-click on an entry: the panel shows the client's block.
    void Wanted(BlockId id);
    void Reported(const QString& text);
    // "Settings..." of the view without a client folder.
    void SettingsWanted();
    // "Open the whole map" of the Map entry: the map window, at block `block`
    // (-1: as it was).
    void MapWanted(std::int32_t block);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Refresh();
    std::vector<std::int32_t> SelectedBlocks() const;
    void Step(int direction);

    PatchDocument& document_;
    const ClientComparison& comparison_;
    const Settings& settings_;
    ClientBrowserModel* model_;
    QComboBox* cmbType_;
    QLineEdit* txtFilter_;
    QLabel* lblSource_;
    QPushButton* cmdSettings_;
    QPushButton* cmdOpenMap_;
    QListView* view_;
    QAction *add_, *replace_;
    QWidget* tree_ = nullptr;
    bool stale_ = true;  // the settings changed while hidden
};
