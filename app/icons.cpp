#include "app/icons.h"

#include <QApplication>
#include <QHash>
#include <QStyle>

namespace {
QIcon LookUp(int number) {
    // The desktop theme's icon where there is one, the style's own otherwise.
    auto pick = [](const char* themeName, QStyle::StandardPixmap fallback) {
        return QIcon::fromTheme(QString::fromLatin1(themeName), QApplication::style()->standardIcon(fallback));
    };
    switch (number) {
        case 1: return pick("folder", QStyle::SP_DirIcon);
        case 2: return pick("text-x-generic", QStyle::SP_FileIcon);
        case 4: return pick("document-open", QStyle::SP_DialogOpenButton);
        case 5: return pick("document-save", QStyle::SP_DialogSaveButton);
        case 6: return pick("document-new", QStyle::SP_FileDialogNewFolder);
        case 8: return pick("document-import", QStyle::SP_ArrowDown);
        case 9: return pick("document-export", QStyle::SP_ArrowUp);
        default: return QIcon();
    }
}
}  // namespace

QIcon PatchIcon(int number) {
    // Theme look-ups are slow; the tree asks for an icon per node.
    static QHash<int, QIcon> cache;
    auto it = cache.find(number);
    if (it == cache.end()) it = cache.insert(number, LookUp(number));
    return *it;
}
