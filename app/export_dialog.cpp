#include "app/export_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/wait_window.h"
#include "app/file_dialogs.h"
#include "app/widgets.h"
#include "app/out_of_memory.h"
#include "app/prompts.h"
#include "app/status_texts.h"
#include "gamefiles/forms/verdata.h"
#include "io/binary_io.h"
#include "io/save_file.h"

ExportDialog::ExportDialog(QWidget* owner, const Patch& patch, const std::string& patchPath, const std::string& verdataPath)
    : QDialog(owner), patch_(patch), patchPath_(patchPath), verdataPath_(verdataPath) {
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(QStringLiteral("Export to verdata.mul"));

    auto* cmdExport = new QPushButton(QStringLiteral("Export"), this);
    cmdExport->setObjectName(QStringLiteral("cmdExport"));
    cmdExport->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    txtFile_ = new QLineEdit(this);
    txtFile_->setObjectName(QStringLiteral("txtFile"));
    txtFile_->setMinimumWidth(300);
    auto* cmdFile = BrowseButton(this, "cmdFile");
    auto* Label2 = new QLabel(QStringLiteral("Export to:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    chkInclude_ = new QCheckBox(QStringLiteral("Include origional verdata"), this);
    chkInclude_->setObjectName(QStringLiteral("chkInclude"));
    chkInclude_->setChecked(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label2, 0, 0);
    grid->addWidget(txtFile_, 0, 1);
    grid->addWidget(cmdFile, 0, 2);
    grid->addWidget(chkInclude_, 1, 1);
    grid->addWidget(cmdExport, 0, 3);
    grid->addWidget(cmdCancel, 1, 3);
    SetTabOrder({txtFile_, cmdFile, chkInclude_, cmdExport, cmdCancel});
    txtFile_->setFocus();

    connect(cmdExport, &QPushButton::clicked, this, &ExportDialog::Export);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::close);
    connect(cmdFile, &QPushButton::clicked, this, &ExportDialog::Browse);
}

void ExportDialog::Browse() {
    // Never the base verdata, which an export may not replace.
    const QString base = QFileInfo(QString::fromStdString(verdataPath_)).absoluteFilePath();
    const QString name = QFileInfo(QDir(StartFolder(this, Folder::GameFiles)).filePath(QStringLiteral("verdata.mul")))
                                     .absoluteFilePath() == base
                             ? QStringLiteral("new-verdata.mul")
                             : QStringLiteral("verdata.mul");
    const QString path = ShowSaveDialog(this, FormFilter(Form::kVerdata, "Verdata"), QStringLiteral("Export to"),
                                        Folder::GameFiles, QStringLiteral("mul"), name);
    if (!path.isEmpty()) txtFile_->setText(path);
}

void ExportDialog::Export() {
    if (txtFile_->text().isEmpty()) {
        CurrentPrompts().Message(this, QStringLiteral("You must first select a filename for your new verdata.mul"),
                                 QStringLiteral("Export ot verdata.mul"));
        return;
    }
    std::string base;
    if (chkInclude_->isChecked()) {
        base = verdataPath_;
        if (!IsExistingFile(base)) {
            CurrentPrompts().Message(
                this, QStringLiteral("Cant find the origional verdata.mul. Check the settings in 'File|Settings'."),
                QStringLiteral("Export to verdata.mul"));
            return;
        }
    }
    const std::string target = txtFile_->text().toStdString();
    Status written = RefuseOverwriting(target, patchPath_, "the patch");
    if (written) {
        try {
            WaitScope wait(parentWidget(), QStringLiteral("Creating verdata.mul. Please wait."), QStringLiteral("Exporting"));
            written = WriteVerdata(target, patch_, base, wait.Cancellable());
        } catch (const std::bad_alloc&) {
            written = Error(OutOfMemoryText().toStdString(), ErrorCode::kOutOfMemory);
        }
    }
    if (!written && written.error().code == ErrorCode::kCancelled) {  // the target stays as it was, the dialog open
        emit Reported(QString::fromStdString(written.error().message));
        return;
    }
    if (!written) {
        CurrentPrompts().Message(this, QString::fromStdString(written.error().message),
                                 written.error().code == ErrorCode::kBaseMissing ? QStringLiteral("Save as Verdata.mul")
                                                                                : QStringLiteral("Export to verdata.mul"));
        return;
    }
    std::int64_t blocks = 0;
    for (int f = 0; f < Patch::kFileIds; ++f)
        patch_.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& b) { blocks += b.number >= 0; });
    emit Reported(QStringLiteral("Exported %1 to %2").arg(Blocks(blocks), txtFile_->text()));
    close();
}
