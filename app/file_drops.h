// Files dropped on the main window: the window's event filter hands each
// dropped local file on with the place it landed.
#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

class QWidget;

class FileDrops : public QObject {
    Q_OBJECT
public:
    // Accepts drops on `window` from now on.
    explicit FileDrops(QWidget* window);

signals:
    // `pos` is in the window's coordinates.
    void Dropped(const QString& path, QPoint pos);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
