// File -> "Convert client files...": a type's whole files from data files
// into a game data package or back, with progress and Cancel, and what was
// written. It never touches the patch.
#pragma once

#include <QDialog>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

class ConvertDialog : public QDialog {
    Q_OBJECT
public:
    // `folder` is where the file choosers start.
    ConvertDialog(QWidget* owner, const std::string& folder);
    void Convert();

signals:
    // What the conversion did, for the status bar.
    void Reported(const QString& text);

private:
    void Browse(QLineEdit* box, bool target);

    QString folder_;
    QLineEdit* txtSource_;
    QLineEdit* txtSourceIndex_;
    QLineEdit* txtTarget_;
    QLineEdit* txtTargetIndex_;
    QLineEdit* txtBase_;
    QComboBox* cboType_;
    QComboBox* cboPackageVersion_;
    QComboBox* cboCompression_;
    QCheckBox* chkSkipDamaged_;
    QListWidget* lstReport_;
};
