#include "app/settings_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/file_dialogs.h"
#include "app/prompts.h"
#include "app/widgets.h"
#include "app/settings.h"
#include "io/binary_io.h"

SettingsDialog::SettingsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    const auto store = OpenSettingsStore();
    auto* grid = new QGridLayout(this);

    auto* Label15 = Bold(Named(new QLabel(QStringLiteral("Orginal muls:"), this), "Label15"));
    grid->addWidget(Label15, 0, 0, 1, 3);

    struct Row {
        const char* label;
        const char* labelText;
        const char* box;
        const char* button;
        const char* key;
        const char* title;
        const char* filter;
        const char* missing;
    };
    const Row rows[] = {
        {"Label16", "Verdata.mul:", "txtVerdata", "cmdGetVerdata", kVerdataPathKey, "Select verdata.mul",
         "Origional verdata (*.mul) |*.mul", "lblVerdataMissing"},
        {"Label1", "Tiledata.mul:", "txtTileData", "cmdGetTiledata", kTiledataPathKey, "Select tiledata.mul",
         "Origional tiledata (*.mul) |*.mul", "lblTileDataMissing"},
        {"Label2", "Radarcol.mul:", "txtRadarcol", "cmdGetRadarcol", kRadarcolPathKey, "Select radarcol.mul",
         "Origional radarcol (*.mul) |*.mul", "lblRadarcolMissing"},
    };
    QLineEdit* boxes[3];
    QPushButton* buttons[3];
    for (int i = 0; i < 3; ++i) {
        const Row& r = rows[i];
        auto* label = new QLabel(QString::fromLatin1(r.labelText), this);
        label->setObjectName(QString::fromLatin1(r.label));
        boxes[i] = new QLineEdit(store->value(r.key).toString(), this);
        boxes[i]->setObjectName(QString::fromLatin1(r.box));
        boxes[i]->setMinimumWidth(320);
        buttons[i] = BrowseButton(this, r.button);
        const QString title = QString::fromLatin1(r.title), filter = QString::fromLatin1(r.filter);
        QLineEdit* box = boxes[i];
        connect(buttons[i], &QPushButton::clicked, this, [this, box, title, filter] { Browse(box, title, filter); });
        // A path that names no file is said at once, not when the data is missing later.
        auto* missing = Named(new QLabel(QStringLiteral("This file does not exist."), this), r.missing);
        missing->setStyleSheet(QStringLiteral("color: #b00020;"));
        auto check = [box, missing] {
            missing->setHidden(box->text().isEmpty() || IsExistingFile(box->text().toStdString()));
        };
        connect(box, &QLineEdit::textChanged, this, check);
        check();
        grid->addWidget(label, 2 * i + 1, 0);
        grid->addWidget(boxes[i], 2 * i + 1, 1);
        grid->addWidget(buttons[i], 2 * i + 1, 2);
        grid->addWidget(missing, 2 * i + 2, 1);
    }
    // The client folder a bake copies and the patch is compared with; empty
    // means the verdata's folder.
    auto* lblClient = Named(new QLabel(QStringLiteral("Client folder:"), this), "lblClientFolder");
    txtClientFolder_ = Named(new QLineEdit(store->value(kClientFolderKey).toString(), this), "txtClientFolder");
    auto* cmdGetClientFolder = BrowseButton(this, "cmdGetClientFolder");
    connect(cmdGetClientFolder, &QPushButton::clicked, this, [this] {
        const QString folder = CurrentPrompts().ChooseFolder(
            this, QStringLiteral("Select the client folder"),
            txtClientFolder_->text().isEmpty() ? StartFolder(this, Folder::GameFiles) : txtClientFolder_->text(),
            FolderUse::kExisting);
        if (!folder.isEmpty()) txtClientFolder_->setText(folder);
    });
    chkClientVerdata_ = Named(new QCheckBox(QStringLiteral("The client's verdata.mul lies over its data files"), this),
                              "chkClientVerdata");
    chkClientVerdata_->setChecked(store->value(kClientVerdataKey, true).toBool());
    grid->addWidget(lblClient, 7, 0);
    grid->addWidget(txtClientFolder_, 7, 1);
    grid->addWidget(cmdGetClientFolder, 7, 2);
    grid->addWidget(chkClientVerdata_, 8, 1);

    txtVerdata_ = boxes[0];
    txtTileData_ = boxes[1];
    txtRadarcol_ = boxes[2];

    auto* cmdSave = new QPushButton(QStringLiteral("Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    grid->addWidget(cmdSave, 0, 3);
    grid->addWidget(cmdCancel, 1, 3);
    connect(cmdSave, &QPushButton::clicked, this, &SettingsDialog::SaveAndClose);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    SetTabOrder({boxes[0], buttons[0], boxes[1], buttons[1], boxes[2], buttons[2], txtClientFolder_, cmdGetClientFolder,
                 chkClientVerdata_, cmdSave, cmdCancel});
    boxes[0]->setFocus();
}

void SettingsDialog::Browse(QLineEdit* box, const QString& title, const QString& filter) {
    const QString path = ShowOpenDialog(this, filter, title, Folder::GameFiles);
    if (!path.isEmpty()) box->setText(path);
}

void SettingsDialog::SaveAndClose() {
    const auto store = OpenSettingsStore();
    store->setValue(kVerdataPathKey, txtVerdata_->text());
    store->setValue(kTiledataPathKey, txtTileData_->text());
    store->setValue(kRadarcolPathKey, txtRadarcol_->text());
    store->setValue(kClientFolderKey, txtClientFolder_->text());
    store->setValue(kClientVerdataKey, chkClientVerdata_->isChecked());
    accept();
}
