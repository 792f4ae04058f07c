// The add-file dialog: reads the client's executable, readme or first map
// into its block of file ID kFiles, in a patch of its own that the caller takes.
#pragma once

#include <QDialog>

#include "patch/patch.h"

class QComboBox;
class QLineEdit;

class AddFileDialog : public QDialog {
    Q_OBJECT
public:
    explicit AddFileDialog(QWidget* owner);

    // The block read, once the dialog was accepted.
    Patch& Added() { return added_; }

private:
    void Add();

    QComboBox* cboType_;
    QLineEdit* txtFile_;
    Patch added_;
};
