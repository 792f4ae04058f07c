#include "app/recent_files.h"

#include <QMenu>

#include "app/settings.h"

namespace {
constexpr int kMostRecent = 8;
}

RecentFiles::RecentFiles(QMenu* menu, QObject* parent) : QObject(parent), menu_(menu) { Fill(); }

void RecentFiles::Remember(const QString& path) {
    const auto store = OpenSettingsStore();
    QStringList recent = store->value(kRecentFilesKey).toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    store->setValue(kRecentFilesKey, QStringList(recent.mid(0, kMostRecent)));
    Fill();
}

void RecentFiles::Fill() {
    menu_->clear();
    const QStringList recent = OpenSettingsStore()->value(kRecentFilesKey).toStringList();
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent[i];
        QAction* a = menu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path));
        connect(a, &QAction::triggered, this, [this, path] { emit Chosen(path); });
    }
    menu_->setEnabled(!recent.isEmpty());
}
