// The export dialog: writes a new verdata.mul from the working patch,
// optionally merged over the client's own.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

class frmExport : public QDialog {
    Q_OBJECT
public:
    explicit frmExport(QWidget* owner);
    void Export();

private:
    void Browse();

    QLineEdit* txtFile_;
    QCheckBox* chkInclude_;
};
