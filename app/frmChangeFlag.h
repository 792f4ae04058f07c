// The flag editor: the two flag words of a block as unsigned numbers.
// It works on EditFlagA and EditFlagB; the caller applies them to the block.
#pragma once

#include <QDialog>

class QLineEdit;

class frmChangeFlag : public QDialog {
    Q_OBJECT
public:
    explicit frmChangeFlag(QWidget* owner);

private:
    void Save();

    QLineEdit* txtFlagA_;
    QLineEdit* txtFlagB_;
};
