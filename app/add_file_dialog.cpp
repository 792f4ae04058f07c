#include "app/add_file_dialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/file_dialogs.h"
#include "app/widgets.h"
#include "app/prompts.h"
#include "gamefiles/forms/whole_files.h"
#include "io/binary_io.h"

AddFileDialog::AddFileDialog(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmAddFile"));
    setWindowTitle(QStringLiteral("Add file"));
    auto* Label15 = Named(new QLabel(QStringLiteral("Select filetype:"), this), "Label15");
    auto* Label6 = Named(new QLabel(QStringLiteral("Select file to add:"), this), "Label6");
    for (QLabel* l : {Label15, Label6}) Bold(l);
    cboType_ = Named(new QComboBox(this), "cboType");
    cboType_->addItems({QStringLiteral("Client.exe"), QStringLiteral("Readme.txt"), QStringLiteral("Map0.mul")});
    txtFile_ = Named(new QLineEdit(this), "txtFile");
    txtFile_->setMinimumWidth(300);
    auto* cmdFile = BrowseButton(this, "cmdFile");
    auto* cmdAdd = Named(new QPushButton(QStringLiteral("Add"), this), "cmdAdd");
    cmdAdd->setDefault(true);
    auto* cmdCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label15, 0, 0, 1, 3);
    grid->addWidget(Named(new QLabel(QStringLiteral("Filetype:"), this), "Label5"), 1, 0);
    grid->addWidget(cboType_, 1, 1);
    grid->addWidget(Label6, 2, 0, 1, 3);
    grid->addWidget(Named(new QLabel(QStringLiteral("File:"), this), "lblMUL"), 3, 0);
    grid->addWidget(txtFile_, 3, 1);
    grid->addWidget(cmdFile, 3, 2);
    grid->addWidget(cmdAdd, 0, 3);
    grid->addWidget(cmdCancel, 1, 3);
    SetTabOrder({cboType_, txtFile_, cmdFile, cmdAdd, cmdCancel});
    cboType_->setFocus();

    connect(cmdFile, &QPushButton::clicked, this, [this] {
        const QString path = ShowOpenDialog(this, QString(), QStringLiteral("Add file"), Folder::GameFiles);
        if (!path.isEmpty()) txtFile_->setText(path);
    });
    connect(cmdAdd, &QPushButton::clicked, this, &AddFileDialog::Add);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void AddFileDialog::Add() {
    const std::string path = txtFile_->text().toStdString();
    if (!IsExistingFile(path)) {
        CurrentPrompts().Message(this, QStringLiteral("You must select a file to add first."), QStringLiteral("Add file"));
        return;
    }
    added_.Clear();
    if (Status added = AddWholeFile(added_, cboType_->currentIndex(), path); !added) {
        CurrentPrompts().Message(this, QString::fromStdString(added.error().message), QStringLiteral("Add file"));
        return;
    }
    accept();
}
