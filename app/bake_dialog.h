// File -> "Write into client files...": bakes the patch into copies of the
// client's own files in an output folder, with progress and Cancel, and
// lists what it wrote. It never changes the patch.
#pragma once

#include <QDialog>
#include <string>

class Patch;
class QCheckBox;
class QLineEdit;
class QListWidget;

class BakeDialog : public QDialog {
    Q_OBJECT
public:
    // `clientFolder` is where the client folder box starts, `clientVerdata`
    // whether the client's verdata.mul is baked first.
    BakeDialog(QWidget* owner, const Patch& patch, const std::string& clientFolder, bool clientVerdata);
    void Write();

signals:
    // What the bake did, for the status bar.
    void Reported(const QString& text);

private:
    void Browse(QLineEdit* box, const QString& title);

    const Patch& patch_;
    QLineEdit* txtClientFolder_;
    QLineEdit* txtOutFolder_;
    QCheckBox* chkClientVerdata_;
    QCheckBox* chkCompact_;
    QListWidget* lstReport_;
};
