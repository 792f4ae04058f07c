#include <QApplication>

#include "app/frmStart.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    frmStart window;
    window.show();
    return app.exec();
}
