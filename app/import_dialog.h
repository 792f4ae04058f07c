// The import dialog: reads blocks from a patch project file, a verdata file,
// or a block range of a game data file and its index, and hands them over.
// Closing it hides it: the next showing starts with what was chosen before.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "app/probed_file.h"
#include "gamefiles/import.h"
#include "patch/patch.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class ImportDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPatchFileType = 300;
    static constexpr int kVerdataType = 301;

    // `accept` receives the blocks read, to be appended to the document, and
    // what the import did; false when they could not be appended.
    ImportDialog(QWidget* owner, std::function<bool(Patch&&, const ImportReport&)> accept);

    // Chooses the file type (a file ID or kVerdataType; -1 keeps the one
    // chosen) and fills in the file.
    void Prefill(int typeCode, const QString& mulPath);
    void Import();
    void Cancel();

private:
    void OnTypeSelected();
    // Whether the files chosen can serve an import of type `code`: a
    // verdata or patch project file serves every type, a data file, index
    // or package one whose usual name is not another type's.
    bool Serves(int code) const;
    void BrowseMul();
    void BrowseIdx();
    // A data file chosen beside its usual index fills in the index, unless
    // the user chose another.
    void OnMulChanged();
    // Shows the rows the type and the chosen file need: a game data package
    // needs no index.
    void ShowRows();
    // The file ID and block limits (file IDs only when `fileIds`); nothing,
    // after saying why, when one is refused.
    std::optional<std::array<std::int64_t, 4>> ReadLimits(bool fileIds);
    // Checks the inputs and imports; false (after saying why) when refused.
    bool RunImport(int typeCode);

    std::function<bool(Patch&&, const ImportReport&)> accept_;
    QComboBox* cboMULType_;
    QCheckBox* chkSkipAbsent_;
    QLineEdit *txtMUL_, *txtIDX_, *txtFileIDFrom_, *txtFileIDTo_, *txtBlockFrom_, *txtBlockTo_;
    QWidget *lblIDX_, *cmdIDX_, *lblFileID_, *lblFileIDTo_;
    QString filledIdx_;  // the index filled in for the data file
    ProbedFile probed_;
};
