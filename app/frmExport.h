// The export dialog: writes a new verdata.mul from the patch, optionally
// merged over the client's own (`verdataPath` from the settings).
#pragma once

#include <QDialog>
#include <string>

class Patch;

class QCheckBox;
class QLineEdit;

class frmExport : public QDialog {
    Q_OBJECT
public:
    frmExport(QWidget* owner, const Patch& patch, std::string verdataPath);
    void Export();

private:
    void Browse();

    QLineEdit* txtFile_;
    QCheckBox* chkInclude_;
    const Patch& patch_;
    std::string verdataPath_;
};
