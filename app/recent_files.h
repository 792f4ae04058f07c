// File ▸ Open Recent: the last patches opened or saved, newest first, kept
// with the settings.
#pragma once

#include <QObject>
#include <QString>

class QMenu;

class RecentFiles : public QObject {
    Q_OBJECT
public:
    RecentFiles(QMenu* menu, QObject* parent);
    // Puts `path` first.
    void Remember(const QString& path);

signals:
    void Chosen(const QString& path);

private:
    void Fill();
    QMenu* menu_;
};
