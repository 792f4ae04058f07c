// Opens the sample patch in the editor's main window, shows a gump, and saves
// pictures of the main window and of the import dialog. Run on a (virtual)
// display by the run script and by the script that makes the documentation's
// pictures.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QThread>
#include <QTreeView>
#include <cstdio>

#include "app/frmStart.h"
#include "app/settings.h"
#include "app/prompts.h"
#include "gamefiles/radarcol.h"
#include "app/block_tree_model.h"

namespace {
// Answers the one question the Open command asks: which file.
class OpenPrompt final : public Prompts {
public:
    explicit OpenPrompt(QString path) : path_(std::move(path)) {}
    QString OpenFile(QWidget*, const QString&, const QString&, const QString&) override { return path_; }
    QString SaveFile(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return {}; }
    void Message(QWidget*, const QString& text, const QString&) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    QString Input(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    bool Confirm(QWidget*, const QString&, const QString&, const QString&) override { return false; }
    SaveChoice AskSaveChanges(QWidget*, const QString&, const QString&) override { return SaveChoice::Cancel; }
    int Exec(QDialog*) override { return 0; }

private:
    QString path_;
};

void Settle() {
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(25);
    }
}

bool Save(QWidget* w, const QString& path) {
    Settle();
    if (!w->grab().save(path)) {
        std::fprintf(stderr, "palindra-screenshots: cannot save %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: palindra-screenshots SAMPLES-FOLDER OUT-FOLDER\n");
        return 2;
    }
    const QString samples = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString out = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(out);

    OpenPrompt prompt(samples + "/sample.uop");
    SetPrompts(&prompt);
    frmStart window;
    ReadRadarColors((samples + "/radarcol.mul").toStdString(), window.Values().RadarColors);
    window.resize(900, 620);
    window.show();
    window.Open();
    window.Tree()->expand(window.Model()->IndexOf({12, -1}));
    window.Tree()->expand(window.Model()->IndexOf({0, -1}));
    if (!window.Select({12, 1})) return 1;
    if (!Save(&window, out + "/main-window.png")) return 1;

    QDialog* import = window.ShowImport();
    auto* list = import->findChild<QComboBox*>(QStringLiteral("cboMULType"));
    list->setCurrentIndex(list->findText(QStringLiteral("Gumps (12)")));
    import->findChild<QLineEdit*>(QStringLiteral("txtMUL"))->setText(samples + "/gumpart.mul");
    import->findChild<QLineEdit*>(QStringLiteral("txtIDX"))->setText(samples + "/gumpidx.mul");
    import->findChild<QLineEdit*>(QStringLiteral("txtBlockTo"))->setText(QStringLiteral("2"));
    if (!Save(import, out + "/import-dialog.png")) return 1;
    SetPrompts(nullptr);
    return 0;
}
