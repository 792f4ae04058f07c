#include "app/convert_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/out_of_memory.h"
#include "app/prompts.h"
#include "app/wait_window.h"
#include "app/widgets.h"
#include "codecs/file_ids.h"
#include "gamefiles/convert.h"
#include "io/counted.h"
#include "patch/file_types.h"

namespace {
const QString kTitle = QStringLiteral("Convert client files");
// The types that convert, in the order the box lists them after "as the files tell".
constexpr std::uint8_t kTypes[] = {kArt, kGumps, kMap, kSound, kMultis};
}  // namespace

ConvertDialog::ConvertDialog(QWidget* owner, const std::string& folder)
    : QDialog(owner), folder_(QString::fromStdString(folder)) {
    setObjectName(QStringLiteral("ConvertDialog"));
    setWindowTitle(kTitle);
    auto* grid = new QGridLayout(this);
    int at = 0;
    auto file = [&](const char* label, const char* box, const char* button, bool target) {
        auto* caption = new QLabel(QString::fromLatin1(label), this);
        auto* edit = Named(new QLineEdit(this), box);
        caption->setBuddy(edit);
        edit->setMinimumWidth(320);
        auto* browse = Named(new QPushButton(QStringLiteral("..."), this), button);
        browse->setFixedWidth(32);
        connect(browse, &QPushButton::clicked, this, [this, edit, target] { Browse(edit, target); });
        grid->addWidget(caption, at, 0);
        grid->addWidget(edit, at, 1);
        grid->addWidget(browse, at++, 2);
        return edit;
    };
    txtSource_ = file("&Source (data file or package):", "txtSource", "cmdSource", false);
    txtSourceIndex_ = file("Source &index (data files):", "txtSourceIndex", "cmdSourceIndex", false);
    txtTarget_ = file("&Target (package or data file):", "txtTarget", "cmdTarget", true);
    txtTargetIndex_ = file("Target inde&x (data files):", "txtTargetIndex", "cmdTargetIndex", true);
    txtBase_ = file("&Base package (housing.bin):", "txtBase", "cmdBase", false);
    auto combo = [&](const char* label, const char* name, const QStringList& items) {
        auto* caption = new QLabel(QString::fromLatin1(label), this);
        auto* box = Named(new QComboBox(this), name);
        box->addItems(items);
        caption->setBuddy(box);
        grid->addWidget(caption, at, 0);
        grid->addWidget(box, at++, 1);
        return box;
    };
    QStringList types = {QStringLiteral("As the files tell")};
    for (const std::uint8_t id : kTypes) types << QString::fromStdString(TypeName(id));
    cboType_ = combo("T&ype:", "cboType", types);
    cboPackageVersion_ = combo("Package &version:", "cboPackageVersion",
                               {QStringLiteral("As the client's own"), QStringLiteral("4"), QStringLiteral("5")});
    cboCompression_ = combo("&Compression:", "cboCompression",
                            {QStringLiteral("As the client's own"), QStringLiteral("None"), QStringLiteral("zlib"),
                             QStringLiteral("zlib over the second stage")});
    chkSkipDamaged_ = Named(new QCheckBox(QStringLiteral("Lea&ve out damaged entries"), this), "chkSkipDamaged");
    grid->addWidget(chkSkipDamaged_, at++, 1);
    lstReport_ = Named(new QListWidget(this), "lstReport");
    grid->addWidget(lstReport_, at, 0, 1, 4);

    auto* cmdConvert = Named(new QPushButton(QStringLiteral("C&onvert"), this), "cmdConvert");
    cmdConvert->setDefault(true);
    auto* cmdClose = Named(new QPushButton(QStringLiteral("Close"), this), "cmdClose");
    grid->addWidget(cmdConvert, 0, 3);
    grid->addWidget(cmdClose, 1, 3);
    connect(cmdConvert, &QPushButton::clicked, this, &ConvertDialog::Convert);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
}

void ConvertDialog::Browse(QLineEdit* box, bool target) {
    const QString start = box->text().isEmpty() ? folder_ : box->text();
    const QString filter = QStringLiteral("Client files (*.mul *.idx *.uop);;All files (*)");
    const QString chosen = target ? CurrentPrompts().SaveFile(this, filter, QStringLiteral("Write the converted file as"), start, QString())
                                  : CurrentPrompts().OpenFile(this, filter, QStringLiteral("Choose a client file"), start);
    if (chosen.isEmpty()) return;
    box->setText(chosen);
    folder_ = QFileInfo(chosen).absolutePath();
}

void ConvertDialog::Convert() {
    std::vector<std::string> paths;
    for (const QLineEdit* box : {txtSource_, txtSourceIndex_, txtTarget_, txtTargetIndex_})
        if (!box->text().isEmpty()) paths.push_back(box->text().toStdString());
    if (txtSource_->text().isEmpty() || txtTarget_->text().isEmpty()) {
        CurrentPrompts().Message(this, QStringLiteral("Choose the source and the target first."), kTitle);
        return;
    }
    lstReport_->clear();
    ConvertOptions options;
    if (cboType_->currentIndex() > 0) options.fileId = kTypes[cboType_->currentIndex() - 1];
    if (cboPackageVersion_->currentIndex() > 0) options.packageVersion = cboPackageVersion_->currentIndex() == 1 ? 4u : 5u;
    options.compression = static_cast<EntryCompression>(cboCompression_->currentIndex());
    options.base = txtBase_->text().toStdString();
    options.skipDamaged = chkSkipDamaged_->isChecked();
    Result<ConvertReport> report = Error("");
    try {
        WaitScope wait(parentWidget(), QStringLiteral("Converting client files. Please wait."), QStringLiteral("Converting"));
        options.progress = wait.Cancellable();
        report = ::Convert(paths, options);
    } catch (const std::bad_alloc&) {
        report = Error(OutOfMemoryText().toStdString(), ErrorCode::kOutOfMemory);
    }
    if (!report) {
        const QString why = QString::fromStdString(report.error().message);
        lstReport_->addItem(report.error().code == ErrorCode::kCancelled ? QStringLiteral("Cancelled: nothing was written.") : why);
        if (report.error().code == ErrorCode::kCancelled) emit Reported(why);
        else CurrentPrompts().Message(this, why, kTitle);
        return;
    }
    for (const ConvertedFile& f : report->files)
        lstReport_->addItem(QStringLiteral("%1: %2 written, %3 left out, %4 empty, %5 lossy; %6\nSHA-256 %7")
                                .arg(QString::fromStdString(f.path))
                                .arg(f.written)
                                .arg(f.leftOut)
                                .arg(f.empty)
                                .arg(f.lossy)
                                .arg(QString::fromStdString(Counted(f.size, "byte")), QString::fromStdString(f.sha256)));
    for (const std::string& d : report->damaged) lstReport_->addItem(QStringLiteral("Left out ") + QString::fromStdString(d));
    for (const std::string& l : report->lossy) lstReport_->addItem(QStringLiteral("Lossy ") + QString::fromStdString(l));
    for (const std::string& m : report->missing) lstReport_->addItem(QStringLiteral("Not carried: ") + QString::fromStdString(m));
    const QString done = QStringLiteral("Converted %1 into %2.")
                             .arg(QString::fromStdString(report->from), QString::fromStdString(report->to));
    lstReport_->addItem(done);
    emit Reported(done);
}
