// The export dialog: writes a new verdata.mul from the patch, optionally
// merged over the client's own (`verdataPath`, the setting as it is when
// Export is clicked), never over that file nor over the patch's own file
// (`patchPath`, as it is then). Closing it hides it: the next showing
// starts with the file chosen before.
#pragma once

#include <QDialog>
#include <string>

class Patch;

class QCheckBox;
class QLineEdit;

class ExportDialog : public QDialog {
    Q_OBJECT
public:
    ExportDialog(QWidget* owner, const Patch& patch, const std::string& patchPath, const std::string& verdataPath);
    void Export();

signals:
    // What an export wrote, for the status bar.
    void Reported(const QString& text);

private:
    void Browse();

    QLineEdit* txtFile_;
    QCheckBox* chkInclude_;
    const Patch& patch_;
    const std::string& patchPath_;
    const std::string& verdataPath_;
};
