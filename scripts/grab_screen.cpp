// Saves a picture of the whole screen of the current display to a PNG file;
// the run script uses it to show the editor on a machine without a display.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: palindra-grab-screen OUT.png\n");
        return 2;
    }
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0);
    if (shot.isNull() || !shot.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "palindra-grab-screen: cannot save %s\n", argv[1]);
        return 1;
    }
    return 0;
}
