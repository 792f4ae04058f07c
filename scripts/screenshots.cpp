// Opens the sample patch in the editor's main window, shows a gump, and saves
// pictures of the main window, of a zoomed gump, of hue swatches, of a
// tiledata table, of the animation player, of a changed gump beside the
// client's and of the import dialog. Run on a (virtual)
// display by the run script and by the script that makes the documentation's
// pictures.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>
#include <cstdio>

#include "app/anim_player.h"
#include "app/client_browser.h"
#include "app/client_browser_model.h"
#include "app/client_comparison.h"
#include "app/main_window.h"
#include "app/settings.h"
#include "app/prompts.h"
#include "gamefiles/radarcol.h"
#include "patch/file_types.h"
#include "app/import_dialog.h"
#include "app/info_panel.h"
#include "app/picture_view.h"
#include "app/block_tree_model.h"
#include "app/patch_document.h"
#include "images/bitmap.h"
#include "io/binary_io.h"

namespace {
// Answers the one question the Open command asks: which file.
class OpenPrompt final : public Prompts {
public:
    explicit OpenPrompt(QString path) : path_(std::move(path)) {}
    QString OpenFile(QWidget*, const QString&, const QString&, const QString&) override { return path_; }
    QString SaveFile(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return {}; }
    QString ChooseFolder(QWidget*, const QString&, const QString&, FolderUse) override { return {}; }
    void Message(QWidget*, const QString& text, const QString&) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    QString Input(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return {}; }
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

// A static tiledata group in the older layout: 32 records of 37 bytes, the
// flags first and the name at byte 17.
Bytes TiledataGroup() {
    Bytes group(4 + 32 * 37, 0);
    const char* names[] = {"wooden chair", "stone wall", "barrel", "lantern", "bookcase", "anvil", "forge", "loom"};
    for (std::size_t i = 0; i < 32; ++i) {
        std::uint8_t* record = group.data() + 4 + i * 37;
        const std::uint32_t flags = (0x00400040u << (i % 4)) | static_cast<std::uint32_t>(i);
        for (int b = 0; b < 4; ++b) record[b] = static_cast<std::uint8_t>(flags >> (8 * b));
        record[4] = static_cast<std::uint8_t>(10 + i);  // weight
        const std::string name = std::string(names[i % 8]) + (i >= 8 ? " " + std::to_string(i / 8 + 1) : "");
        std::copy(name.begin(), name.end(), record + 17);
    }
    return group;
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
    // The zoom and the folders the window remembers stay out of the user's own settings.
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    if (argc != 3) {
        std::fprintf(stderr, "usage: palindra-screenshots SAMPLES-FOLDER OUT-FOLDER\n");
        return 2;
    }
    const QString samples = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString out = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(out);

    // File names relative to the samples' folder: the pictures show no path of the machine they were made on.
    if (!QDir::setCurrent(samples)) return 1;
    OpenPrompt prompt(QStringLiteral("sample.uop"));
    SetPrompts(&prompt);
    MainWindow window;
    if (auto colors = ReadRadarColors("radarcol.mul")) window.Values().RadarColors = std::move(*colors);
    window.resize(1000, 700);
    window.show();
    window.Open();
    window.Tree()->expand(window.Model()->IndexOf({12, -1}));
    window.Tree()->expand(window.Model()->IndexOf({0, -1}));
    if (!window.Select({12, 1})) return 1;
    if (!Save(&window, out + "/main-window.png")) return 1;

    window.Panel()->View().SetZoom(4);
    if (!Save(&window, out + "/gump-zoomed.png")) return 1;
    window.Tree()->expand(window.Model()->IndexOf({32, -1}));
    window.Panel()->View().SetZoom(0);
    if (!window.Select({32, 0})) return 1;
    if (!Save(&window, out + "/hue-swatches.png")) return 1;
    PatchEdit edit;
    edit.added.Append(30, 512, TiledataGroup(), 0, 0);
    window.Document().Run(QStringLiteral("Import"), std::move(edit));
    window.Tree()->expand(window.Model()->IndexOf({30, -1}));
    if (!window.Select({30, 512})) return 1;
    if (!Save(&window, out + "/tiledata-table.png")) return 1;

    // The sample animation, paused with its arms up.
    window.Tree()->expand(window.Model()->IndexOf({kAnim, -1}));
    if (!window.Select({kAnim, 110})) return 1;
    AnimPlayer& player = window.Panel()->Player();
    player.Pause();
    while (player.Frame() != 2) player.StepForward();
    if (!Save(&window, out + "/anim-player.png")) return 1;

    // The sample gump changed (a blue square, a paler disc) beside the
    // client's own, then only the cells where the two differ.
    const PatchBlock* sampleGump = window.Document().patch().LiveBlock(kGumps, 1);
    if (!sampleGump) return 1;
    Result<QImage> changed = GumpPicture(*sampleGump);
    if (!changed) return 1;
    {
        QPainter painter(&*changed);
        painter.fillRect(10, 10, 20, 20, QColor(0x20, 0x50, 0xD0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xC0, 0x38, 0x38));
        painter.drawEllipse(QPoint(45, 55), 15, 15);
    }
    PatchEdit gump;
    if (!ImportGumpFromBmp(gump.added, 1, *changed)) return 1;
    window.Document().Run(QStringLiteral("Load from BMP"), std::move(gump));
    window.Values().ClientFolder = ".";
    window.Comparison()->SetClient(QStringLiteral("."), true);
    window.Comparison()->Wait();
    window.Tree()->expand(window.Model()->IndexOf({kGumps, -1}));
    window.Panel()->View().SetZoom(2);
    if (!window.Select({kGumps, 1})) return 1;
    if (!Save(&window, out + "/client-beside-patch.png")) return 1;
    window.Panel()->findChild<QCheckBox*>(QStringLiteral("chkDiffering"))->setChecked(true);
    if (!Save(&window, out + "/client-differing-cells.png")) return 1;
    window.Panel()->findChild<QCheckBox*>(QStringLiteral("chkDiffering"))->setChecked(false);
    window.Panel()->View().SetZoom(0);

    // The client's gumps in the "Client" view, the sample gump's entry chosen.
    ClientBrowser& browser = *window.Browser();
    browser.show();
    browser.Reload();
    browser.ChooseType(2);
    browser.View()->setCurrentIndex(browser.Model().index(std::min(1, browser.Model().rowCount() - 1)));
    Settle();
    browser.Model().Thumbnails().Wait();
    if (!Save(&window, out + "/client-browser.png")) return 1;
    browser.hide();

    QDialog* import = window.ShowImport();
    auto* list = import->findChild<QComboBox*>(QStringLiteral("cboMULType"));
    list->setCurrentIndex(list->findText(QStringLiteral("Gumps (12)")));
    import->findChild<QLineEdit*>(QStringLiteral("txtMUL"))->setText(QStringLiteral("gumpart.mul"));
    import->findChild<QLineEdit*>(QStringLiteral("txtBlockTo"))->setText(QStringLiteral("2"));
    if (!Save(import, out + "/import-dialog.png")) return 1;
    SetPrompts(nullptr);
    return 0;
}
