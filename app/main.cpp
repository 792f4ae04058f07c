#include <QApplication>

#include "app/frmStart.h"
#include "app/settings.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    LoadSettings();
    frmStart window;
    window.show();
    return app.exec();
}
