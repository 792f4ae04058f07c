#include "app/bake_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "app/wait_window.h"
#include "app/out_of_memory.h"
#include "app/prompts.h"
#include "app/widgets.h"
#include "gamefiles/bake.h"
#include "io/counted.h"

BakeDialog::BakeDialog(QWidget* owner, const Patch& patch, const std::string& clientFolder, bool clientVerdata)
    : QDialog(owner), patch_(patch) {
    setObjectName(QStringLiteral("BakeDialog"));
    setWindowTitle(QStringLiteral("Write into client files"));
    auto* grid = new QGridLayout(this);
    auto row = [&](int at, const char* label, const char* box, const char* button, const QString& text, const QString& title) {
        auto* caption = new QLabel(QString::fromLatin1(label), this);
        grid->addWidget(caption, at, 0);
        auto* edit = Named(new QLineEdit(text, this), box);
        caption->setBuddy(edit);
        edit->setMinimumWidth(320);
        auto* browse = Named(new QPushButton(QStringLiteral("..."), this), button);
        browse->setFixedWidth(32);
        connect(browse, &QPushButton::clicked, this, [this, edit, title] { Browse(edit, title); });
        grid->addWidget(edit, at, 1);
        grid->addWidget(browse, at, 2);
        return edit;
    };
    txtClientFolder_ = row(0, "&Client folder:", "txtClientFolder", "cmdClientFolder", QString::fromStdString(clientFolder),
                           QStringLiteral("Select the client folder"));
    txtOutFolder_ = row(1, "&Output folder (missing or empty):", "txtOutFolder", "cmdOutFolder", QString(),
                        QStringLiteral("Select the output folder"));
    chkClientVerdata_ = Named(new QCheckBox(QStringLiteral("&Bake the client's verdata.mul first"), this), "chkClientVerdata");
    chkClientVerdata_->setChecked(clientVerdata);
    chkCompact_ = Named(new QCheckBox(QStringLiteral("Co&mpact data files"), this), "chkCompact");
    grid->addWidget(chkClientVerdata_, 2, 1);
    grid->addWidget(chkCompact_, 3, 1);
    lstReport_ = Named(new QListWidget(this), "lstReport");
    grid->addWidget(lstReport_, 4, 0, 1, 4);

    auto* cmdWrite = Named(new QPushButton(QStringLiteral("&Write"), this), "cmdWrite");
    cmdWrite->setDefault(true);
    auto* cmdClose = Named(new QPushButton(QStringLiteral("Close"), this), "cmdClose");
    grid->addWidget(cmdWrite, 0, 3);
    grid->addWidget(cmdClose, 1, 3);
    connect(cmdWrite, &QPushButton::clicked, this, &BakeDialog::Write);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
}

void BakeDialog::Browse(QLineEdit* box, const QString& title) {
    // An output folder is usually chosen next to the client's.
    const QString start = box->text().isEmpty() ? txtClientFolder_->text() : box->text();
    const QString chosen = CurrentPrompts().ChooseFolder(
        this, title, start, box == txtOutFolder_ ? FolderUse::kNewOrExisting : FolderUse::kExisting);
    if (!chosen.isEmpty()) box->setText(chosen);
}

void BakeDialog::Write() {
    const QString title = QStringLiteral("Write into client files");
    if (txtClientFolder_->text().isEmpty() || txtOutFolder_->text().isEmpty()) {
        CurrentPrompts().Message(this, QStringLiteral("Choose the client folder and an output folder first."), title);
        return;
    }
    lstReport_->clear();
    // The bake takes the last copy of each block number, as a save settles them; the patch stays as it is.
    Result<BakeReport> report = Error("");
    try {
        WaitScope wait(parentWidget(), QStringLiteral("Writing into client files. Please wait."), QStringLiteral("Baking"));
        BakeOptions options;
        options.clientVerdata = chkClientVerdata_->isChecked();
        options.compact = chkCompact_->isChecked();
        options.progress = wait.Cancellable();
        report = Bake(patch_, txtClientFolder_->text().toStdString(), txtOutFolder_->text().toStdString(), options);
    } catch (const std::bad_alloc&) {
        report = Error(OutOfMemoryText().toStdString(), ErrorCode::kOutOfMemory);
    }
    if (!report) {
        const QString why = QString::fromStdString(report.error().message);
        lstReport_->addItem(report.error().code == ErrorCode::kCancelled ? QStringLiteral("Cancelled: nothing was written.")
                                                                         : why);
        if (report.error().code == ErrorCode::kCancelled) emit Reported(why);
        else CurrentPrompts().Message(this, why, title);
        return;
    }
    for (const BakedFile& f : report->files)
        lstReport_->addItem(QStringLiteral("%1: replaced %2, added %3, removed %4, left out %5; %6\nSHA-256 %7")
                                .arg(QString::fromStdString(f.name))
                                .arg(f.replaced)
                                .arg(f.added)
                                .arg(f.removed)
                                .arg(f.leftOut)
                                .arg(QString::fromStdString(Counted(f.size, "byte")), QString::fromStdString(f.sha256)));
    for (const LeftOutBlock& b : report->leftOut) lstReport_->addItem(QString::fromStdString(LeftOutText(b)));
    for (const std::string& note : report->notes) lstReport_->addItem(QString::fromStdString(note));
    const QString done = report->files.empty()
                             ? QStringLiteral("Nothing to write: the client's files already hold what the patch gives them.")
                             : QStringLiteral("Wrote %1 to %2")
                                   .arg(QString::fromStdString(Counted(std::ssize(report->files), "file")), txtOutFolder_->text());
    lstReport_->addItem(done);
    // Wide enough for the longest line (a SHA-256 is 64 digits), as far as the screen allows.
    const int wanted = width() - lstReport_->viewport()->width() +
                       static_cast<QAbstractItemView*>(lstReport_)->sizeHintForColumn(0);
    if (wanted > width()) resize(std::min(wanted, screen()->availableGeometry().width()), height());
    emit Reported(done);
}
