#include "app/compare_dialog.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/file_dialogs.h"
#include "app/widgets.h"
#include "app/prompts.h"
#include "gamefiles/forms/form.h"
#include "gamefiles/forms/usual_names.h"
#include "gamefiles/forms/package_names.h"
#include "patch/file_types.h"
#include "io/binary_io.h"

CompareDialog::CompareDialog(QWidget* owner, std::uint8_t fileId) : QDialog(owner), fileId_(fileId) {
    const FileTypeEntry& type = FileTypes()[fileId];
    packages_ = SchemeOfFileId(fileId) != nullptr;
    setObjectName(QStringLiteral("frmCompare"));
    setWindowTitle(QStringLiteral("Compare ") + QString::fromStdString(type.name));
    auto* grid = new QGridLayout(this);
    int row = 0;
    std::size_t indexRows = 0;
    auto line = [&](const char* name) {
        auto* l = Named(new QFrame(this), name);
        l->setFrameShape(QFrame::HLine);
        grid->addWidget(l, row++, 0, 1, 3);
    };
    auto pathRow = [&](const char* label, const char* labelName, const char* boxName, const char* buttonName,
                       bool index) {
        auto* l = Named(new QLabel(QString::fromLatin1(label), this), labelName);
        auto* box = Named(new QLineEdit(this), boxName);
        box->setMinimumWidth(300);
        auto* button = BrowseButton(this, buttonName);
        connect(button, &QPushButton::clicked, this, [this, box, index] { Browse(box, index); });
        grid->addWidget(l, row, 0);
        grid->addWidget(box, row, 1);
        grid->addWidget(button, row++, 2);
        if (index) idxRows_[indexRows++] = {l, box, button};
        return std::pair{box, button};
    };
    grid->addWidget(Named(new QLabel(QStringLiteral("Origional/base muls:"), this), "Label5"), row++, 0, 1, 3);
    auto [mul1, cmdMUL1] = pathRow("MUL:", "Label2", "txtMUL1", "cmdMUL1", false);
    auto [idx1, cmdIDX1] = pathRow("IDX:", "lblIDX1", "txtIDX1", "cmdIDX1", true);
    line("Line1");
    grid->addWidget(Named(new QLabel(QStringLiteral("Altered/New muls:"), this), "Label6"), row++, 0, 1, 3);
    auto [mul2, cmdMUL2] = pathRow("MUL:", "Label3", "txtMUL2", "cmdMUL2", false);
    auto [idx2, cmdIDX2] = pathRow("IDX:", "lblIDX2", "txtIDX2", "cmdIDX2", true);
    line("Line2");
    auto* cmdCompare = Named(new QPushButton(QStringLiteral("Compare"), this), "cmdCompare");
    cmdCompare->setDefault(true);
    auto* cmdCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "cmdCancel");
    grid->addWidget(cmdCompare, row, 1, Qt::AlignRight);
    grid->addWidget(cmdCancel, row, 2);
    txtMUL1_ = mul1, txtIDX1_ = idx1, txtMUL2_ = mul2, txtIDX2_ = idx2;

    SetTabOrder({mul1, cmdMUL1, idx1, cmdIDX1, mul2, cmdMUL2, idx2, cmdIDX2, cmdCompare, cmdCancel});
    mul1->setFocus();
    // A data file chosen beside its usual index fills in the index, unless the user chose another.
    for (auto [mul, idx] : {std::pair{mul1, idx1}, {mul2, idx2}})
        connect(mul, &QLineEdit::textChanged, this, [this, mul, idx] {
            QString& filled = filledIdx_[mul == txtMUL1_ ? 0 : 1];
            if (idx->text().isEmpty() || idx->text() == filled) {
                filled = QString::fromStdString(IndexBeside(mul->text().toStdString()));
                idx->setText(filled);
            }
            ShowIndexRows();
        });
    ShowIndexRows();
    connect(cmdCompare, &QPushButton::clicked, this, &CompareDialog::Compare);
    connect(cmdCancel, &QPushButton::clicked, this, &CompareDialog::Cancel);
}

bool CompareDialog::NeedsIndex(const QLineEdit* mul) {
    return SourceNeedsIndex(fileId_, probed_[mul == txtMUL1_ ? 0 : 1].FormOf(mul->text().toStdString()));
}

void CompareDialog::ShowIndexRows() {
    for (std::size_t side = 0; side < 2; ++side)
        for (QWidget* w : idxRows_[side]) w->setVisible(NeedsIndex(side == 0 ? txtMUL1_ : txtMUL2_));
}

void CompareDialog::Browse(QLineEdit* box, bool index) {
    QString dataFilter = FormFilter(Form::kIndexed, "MULfile");
    if (packages_) dataFilter += QStringLiteral("|") + FormFilter(Form::kPackage, "Game data package");
    const QString path =
        index ? ShowOpenDialog(this, QStringLiteral("Index file (*.idx *idx*.mul) |*.idx;*idx*.mul"),
                               QStringLiteral("Select index"), Folder::GameFiles)
              : ShowOpenDialog(this, dataFilter, QStringLiteral("Select mulfile"), Folder::GameFiles);
    if (!path.isEmpty()) box->setText(path);
}

void CompareDialog::Compare() {
    auto exists = [](QLineEdit* box) { return IsExistingFile(box->text().toStdString()); };
    const bool index1 = NeedsIndex(txtMUL1_), index2 = NeedsIndex(txtMUL2_);
    const bool ok =
        exists(txtMUL1_) && exists(txtMUL2_) && (!index1 || exists(txtIDX1_)) && (!index2 || exists(txtIDX2_));
    if (!ok) {
        CurrentPrompts().Message(this, QStringLiteral("Cannot find the files you selected."), QStringLiteral("Compare"));
        return;
    }
    choice_ = {{txtMUL1_->text().toStdString(), index1 ? txtIDX1_->text().toStdString() : std::string()},
               {txtMUL2_->text().toStdString(), index2 ? txtIDX2_->text().toStdString() : std::string()}};
    accept();
}

void CompareDialog::Cancel() { reject(); }
