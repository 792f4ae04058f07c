// The compare dialog: the base and the altered data files (with their index
// files where the type has them) of one file type.
#pragma once

#include <QDialog>
#include <cstdint>

class QLineEdit;

class frmCompare : public QDialog {
    Q_OBJECT
public:
    frmCompare(QWidget* owner, std::uint8_t fileId);

private:
    void Compare();
    void Cancel();
    void Browse(QLineEdit* box, bool index);

    bool indexed_;
    QLineEdit *txtMUL1_, *txtIDX1_, *txtMUL2_, *txtIDX2_;
};

// Shows the dialog for `fileId` and, unless it was cancelled, appends the
// blocks that differ to the working patch. The caller rebuilds the tree.
void RunCompare(QWidget* owner, std::uint8_t fileId);
