// The add-file dialog: reads the client's executable, readme or first map
// into its block of file ID 252.
#pragma once

#include <QDialog>

class QComboBox;
class QLineEdit;

class frmAddFile : public QDialog {
    Q_OBJECT
public:
    explicit frmAddFile(QWidget* owner);

private:
    void Add();

    QComboBox* cboType_;
    QLineEdit* txtFile_;
};
