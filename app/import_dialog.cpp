#include "app/import_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <filesystem>

#include "app/wait_window.h"
#include "app/file_dialogs.h"
#include "app/out_of_memory.h"
#include "app/widgets.h"
#include "app/prompts.h"
#include "app/status_texts.h"
#include "gamefiles/forms/block_source.h"
#include "gamefiles/forms/form.h"
#include "gamefiles/forms/usual_names.h"
#include "gamefiles/import.h"
#include "gamefiles/forms/package_names.h"
#include "patch/file_types.h"
#include "io/binary_io.h"
#include "patch/user_numbers.h"

namespace {

}  // namespace

ImportDialog::ImportDialog(QWidget* owner, std::function<bool(Patch&&, const ImportReport&)> accept)
    : QDialog(owner), accept_(std::move(accept)) {
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("Import"));
    auto* grid = new QGridLayout(this);

    grid->addWidget(Bold(Named(new QLabel(QStringLiteral("Select filetype:"), this), "Label15")), 0, 0, 1, 5);
    grid->addWidget(Named(new QLabel(QStringLiteral("Filetype:"), this), "Label5"), 1, 0);
    cboMULType_ = Named(new QComboBox(this), "cboMULType");
    cboMULType_->addItem(QStringLiteral("UOP Patchfile (*.UOP)"), kPatchFileType);
    cboMULType_->addItem(QStringLiteral("Verdata (Verdata.mul)"), kVerdataType);
    for (int f = 0; f <= kLastDataFileId; ++f)
        if (IsDataFileType(static_cast<std::uint8_t>(f)))
            cboMULType_->addItem(QStringLiteral("%1 (%2)").arg(QString::fromStdString(FileTypes()[f].name)).arg(f), f);
    grid->addWidget(cboMULType_, 1, 1, 1, 4);

    grid->addWidget(Bold(Named(new QLabel(QStringLiteral("Select file to import from:"), this), "Label6")), 2, 0, 1, 5);
    auto* lblMUL = Named(new QLabel(QStringLiteral("MUL:"), this), "lblMUL");
    txtMUL_ = Named(new QLineEdit(this), "txtMUL");
    txtMUL_->setMinimumWidth(300);
    auto* cmdMUL = BrowseButton(this, "cmdMUL");
    lblIDX_ = Named(new QLabel(QStringLiteral("IDX:"), this), "lblIDX");
    txtIDX_ = Named(new QLineEdit(this), "txtIDX");
    auto* cmdIDX = BrowseButton(this, "cmdIDX");
    cmdIDX_ = cmdIDX;
    grid->addWidget(lblMUL, 3, 0);
    grid->addWidget(txtMUL_, 3, 1, 1, 3);
    grid->addWidget(cmdMUL, 3, 4);
    grid->addWidget(lblIDX_, 4, 0);
    grid->addWidget(txtIDX_, 4, 1, 1, 3);
    grid->addWidget(cmdIDX, 4, 4);

    lblFileID_ = Named(new QLabel(QStringLiteral("Limit to fileID:"), this), "lblFileID");
    txtFileIDFrom_ = Named(new QLineEdit(QStringLiteral("0"), this), "txtFileIDFrom");
    lblFileIDTo_ = Named(new QLabel(QStringLiteral("->"), this), "lblFileIDTo");
    txtFileIDTo_ = Named(new QLineEdit(QStringLiteral("255"), this), "txtFileIDTo");
    grid->addWidget(lblFileID_, 5, 0);
    grid->addWidget(txtFileIDFrom_, 5, 1);
    grid->addWidget(lblFileIDTo_, 5, 2);
    grid->addWidget(txtFileIDTo_, 5, 3);
    txtBlockFrom_ = Named(new QLineEdit(QStringLiteral("0"), this), "txtBlockFrom");
    txtBlockTo_ = Named(new QLineEdit(QStringLiteral("2147483647"), this), "txtBlockTo");
    grid->addWidget(Named(new QLabel(QStringLiteral("Limit to block:"), this), "Label3"), 6, 0);
    grid->addWidget(txtBlockFrom_, 6, 1);
    grid->addWidget(Named(new QLabel(QStringLiteral("->"), this), "Label4"), 6, 2);
    grid->addWidget(txtBlockTo_, 6, 3);

    chkSkipAbsent_ = Named(new QCheckBox(QStringLiteral("Leave out blocks without data"), this), "chkSkipAbsent");
    grid->addWidget(chkSkipAbsent_, 7, 1, 1, 4);

    auto* cmdImport = Named(new QPushButton(QStringLiteral("Import"), this), "cmdImport");
    auto* cmdCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    cmdImport->setDefault(true);
    grid->addWidget(cmdImport, 8, 3);
    grid->addWidget(cmdCancel, 8, 4);
    grid->addWidget(Named(new QStatusBar(this), "StatusBar1"), 9, 0, 1, 5);

    SetTabOrder({cboMULType_, txtMUL_, cmdMUL, txtIDX_, cmdIDX, txtFileIDFrom_, txtFileIDTo_, txtBlockFrom_,
                 txtBlockTo_, chkSkipAbsent_, cmdImport, cmdCancel});
    cboMULType_->setFocus();

    connect(cboMULType_, &QComboBox::currentIndexChanged, this, &ImportDialog::OnTypeSelected);
    connect(txtMUL_, &QLineEdit::textChanged, this, &ImportDialog::OnMulChanged);
    connect(cmdMUL, &QPushButton::clicked, this, &ImportDialog::BrowseMul);
    connect(cmdIDX, &QPushButton::clicked, this, &ImportDialog::BrowseIdx);
    connect(cmdImport, &QPushButton::clicked, this, &ImportDialog::Import);
    connect(cmdCancel, &QPushButton::clicked, this, &ImportDialog::Cancel);
    cboMULType_->setCurrentIndex(0);
    ShowRows();
}

void ImportDialog::OnTypeSelected() {
    // The files chosen stay where they can serve the type: imported as
    // another type, the blocks of art.mul would become 16,000 empty gumps.
    if (!Serves(cboMULType_->currentData().toInt())) {
        txtMUL_->clear();
        txtIDX_->clear();
    }
    // The limits belong to a source of that type.
    txtFileIDFrom_->setText(QStringLiteral("0"));
    txtFileIDTo_->setText(QStringLiteral("255"));
    txtBlockFrom_->setText(QStringLiteral("0"));
    txtBlockTo_->setText(QStringLiteral("2147483647"));
    ShowRows();
}

bool ImportDialog::Serves(int code) const {
    const std::string mul = txtMUL_->text().toStdString();
    if (mul.empty()) return true;
    if (code != kPatchFileType && code != kVerdataType)
        return !OtherTypeNamed(static_cast<std::uint8_t>(code), {mul, txtIDX_->text().toStdString()});
    // A file that cannot be read is judged by its name.
    const Result<std::optional<Form>> form = ProbeSource(mul, true);
    if (!form) return !FileIdOfUsualName(std::filesystem::path(mul).filename().string());
    return *form && (**form == Form::kPatchFile || **form == Form::kVerdata);
}

void ImportDialog::OnMulChanged() {
    if (txtIDX_->text().isEmpty() || txtIDX_->text() == filledIdx_) {
        filledIdx_ = QString::fromStdString(IndexBeside(txtMUL_->text().toStdString()));
        txtIDX_->setText(filledIdx_);
    }
    ShowRows();
}

void ImportDialog::ShowRows() {
    const int code = cboMULType_->currentData().toInt();
    const bool projectOrVerdata = code == kPatchFileType || code == kVerdataType;
    const bool indexed = !projectOrVerdata && SourceNeedsIndex(static_cast<std::uint8_t>(code),
                                                               probed_.FormOf(txtMUL_->text().toStdString()));
    for (QWidget* w : {lblIDX_, static_cast<QWidget*>(txtIDX_), cmdIDX_}) w->setVisible(indexed);
    for (QWidget* w : {lblFileID_, static_cast<QWidget*>(txtFileIDFrom_), lblFileIDTo_, static_cast<QWidget*>(txtFileIDTo_)})
        w->setVisible(projectOrVerdata);
    // Patch files and verdata hold deliberate deletions; only data files have absent blocks to skip.
    chkSkipAbsent_->setVisible(!projectOrVerdata);
}

void ImportDialog::Prefill(int typeCode, const QString& mulPath) {
    const int row = typeCode >= 0 ? cboMULType_->findData(typeCode) : -1;
    if (row >= 0) cboMULType_->setCurrentIndex(row);
    txtMUL_->setText(mulPath);
}

void ImportDialog::BrowseMul() {
    QString title = QStringLiteral("Import from mul file"), filter = FormFilter(Form::kIndexed, "Mul file");
    if (cboMULType_->currentIndex() == 0) {
        title = QStringLiteral("Patchfile");
        filter = FormFilter(Form::kPatchFile, "Patchfile");
    } else if (cboMULType_->currentIndex() == 1) {
        title = QStringLiteral("Verdata.mul");
        filter = FormFilter(Form::kVerdata, "Verdata");
    }
    if (SchemeOfFileId(cboMULType_->currentData().toInt()))
        filter += QStringLiteral("|") + FormFilter(Form::kPackage, "Game data package");
    const QString path = ShowOpenDialog(this, filter, title, cboMULType_->currentIndex() == 0 ? Folder::Patches : Folder::GameFiles);
    if (!path.isEmpty()) txtMUL_->setText(path);
}

void ImportDialog::BrowseIdx() {
    const QString path = ShowOpenDialog(this, QStringLiteral("Index file (*.idx *idx*.mul) |*.idx;*idx*.mul"),
                                        QStringLiteral("Import from idx file"), Folder::GameFiles);
    if (!path.isEmpty()) txtIDX_->setText(path);
}

void ImportDialog::Cancel() { close(); }

void ImportDialog::Import() {
    if (!RunImport(cboMULType_->currentData().toInt())) return;
    close();
}

std::optional<std::array<std::int64_t, 4>> ImportDialog::ReadLimits(bool fileIds) {
    auto refuse = [this](const QString& message) {
        CurrentPrompts().Message(this, message, QStringLiteral("Import"));
        return std::nullopt;
    };
    QLineEdit* boxes[4] = {txtFileIDFrom_, txtFileIDTo_, txtBlockFrom_, txtBlockTo_};
    std::array<std::int64_t, 4> limits = {0, 255, 0, 0};
    for (int i = fileIds ? 0 : 2; i < 4; ++i) {
        const auto value = ParseEditorNumber(boxes[i]->text().toStdString());
        if (!value)
            return refuse((i < 2 ? QStringLiteral("The file ID limit '%1' is not a number.")
                                 : QStringLiteral("The block limit '%1' is not a number."))
                              .arg(boxes[i]->text()));
        if (i < 2 && (*value < 0 || *value > 255))
            return refuse(QStringLiteral("The file ID limits must lie between 0 and 255."));
        if (*value < INT32_MIN || *value > INT32_MAX)
            return refuse(QStringLiteral("The block limits must lie between -2147483648 and 2147483647."));
        limits[static_cast<std::size_t>(i)] = *value;
    }
    return limits;
}

bool ImportDialog::RunImport(int code) {
    const bool projectOrVerdata = code == kPatchFileType || code == kVerdataType;
    // The limits are checked before anything is read.
    const auto limits = ReadLimits(projectOrVerdata);
    if (!limits) return false;
    SourceFiles source{txtMUL_->text().toStdString(), ""};
    const bool indexed = !projectOrVerdata && SourceNeedsIndex(static_cast<std::uint8_t>(code), source.data);
    if (indexed) source.index = txtIDX_->text().toStdString();
    QLineEdit* missing = !IsExistingFile(source.data)                  ? txtMUL_
                         : indexed && !IsExistingFile(source.index) ? txtIDX_
                                                                     : nullptr;
    if (missing) {
        CurrentPrompts().Message(this, QStringLiteral("Cannot find the file '%1'!").arg(missing->text()), missing->text());
        missing->setFocus();
        return false;
    }
    if (const std::optional<OtherTypeName> other =
            projectOrVerdata ? std::nullopt : OtherTypeNamed(static_cast<std::uint8_t>(code), source);
        other && !CurrentPrompts().Confirm(this,
                                           QStringLiteral("%1 is usually the %2 file. Import it as %3?")
                                               .arg(QString::fromStdString(other->name),
                                                    QString::fromStdString(TypeWord(other->fileId)),
                                                    QString::fromStdString(TypeWord(static_cast<std::uint8_t>(code)))),
                                           QStringLiteral("Import"), QStringLiteral("Import")))
        return false;

    Patch imported;
    Result<ImportReport> report = [&]() -> Result<ImportReport> {
        try {
            WaitScope wait(parentWidget(), QStringLiteral("Importing data. Please wait."), QStringLiteral("Importing"));
            const ImportSelection what =
                projectOrVerdata ? ImportSelection::EveryType(static_cast<std::uint8_t>((*limits)[0]),
                                                              static_cast<std::uint8_t>((*limits)[1]))
                                 : ImportSelection::OneType(static_cast<std::uint8_t>(code));
            const BlockRange blocks{static_cast<std::int32_t>((*limits)[2]), static_cast<std::int32_t>((*limits)[3])};
            return ImportBlocks(imported, what, source, blocks, {chkSkipAbsent_->isChecked()},
                                projectOrVerdata ? Progress{} : wait.Cancellable());
        } catch (const std::bad_alloc&) {
            return Error(OutOfMemoryText().toStdString(), ErrorCode::kOutOfMemory);
        }
    }();
    // A stopped import changes nothing and needs no box; the dialog stays open.
    if (!report && report.error().code == ErrorCode::kCancelled) return false;
    if (!report) {
        CurrentPrompts().Message(this, QString::fromStdString(report.error().message), QStringLiteral("Import"));
        return false;
    }
    // Asked before the blocks go in; the dialog stays open for another file.
    if (!report->unusualSize.empty() &&
        !CurrentPrompts().Confirm(this, QString::fromStdString(report->unusualSize), QStringLiteral("Import"),
                                  QStringLiteral("Import")))
        return false;
    report->unusualSize.clear();
    if (!accept_(std::move(imported), *report)) return false;
    if (const QString more = LeftOutLines(*report); !more.isEmpty())
        CurrentPrompts().Message(this, QStringLiteral("Imported %1.\n").arg(Blocks(report->added)) + more,
                                 QStringLiteral("Import"));
    return true;
}
