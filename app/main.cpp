#include <QApplication>
#include <cstdio>
#include <cstring>

#include "app/main_window.h"

int main(int argc, char** argv) {
    // Answered before QApplication so that they work without a display (the man page is made from them).
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("palindra %s\n", PALINDRA_VERSION);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::printf("Usage: palindra [FILE]\n"
                    "Edits the patch data of a role-playing game's client: assembles replacement blocks into a\n"
                    "patch project file (.uop), previews them and writes the client's verdata.mul.\n"
                    "Opens FILE when given: a patch project file (.uop) opens, a verdata.mul or another data\n"
                    "file opens the import dialog filled in. The command-line tool palindra-cli does the same work\n"
                    "without windows.\n\n"
                    "  --help     shows this text\n"
                    "  --version  shows the version\n");
        return 0;
    }
    QApplication app(argc, argv);
    MainWindow window;
    window.show();
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() >= 2) window.OpenFile(arguments[1]);
    return app.exec();
}
