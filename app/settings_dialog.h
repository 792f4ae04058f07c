// The settings dialog: the paths of the client's verdata, tiledata and
// radarcol files. It reads and writes the settings store directly.
#pragma once

#include <QDialog>

class QLineEdit;

class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit SettingsDialog(QWidget* parent = nullptr);

private:
    void Browse(QLineEdit* box, const QString& title, const QString& filter);
    void SaveAndClose();

    QLineEdit* txtVerdata_;
    QLineEdit* txtTileData_;
    QLineEdit* txtRadarcol_;
    QLineEdit* txtClientFolder_;
};
