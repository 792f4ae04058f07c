#include "app/flags_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/prompts.h"
#include "patch/user_numbers.h"

FlagsDialog::FlagsDialog(QWidget* owner, std::int32_t flagA, std::int32_t flagB)
    : QDialog(owner), flagA_(flagA), flagB_(flagB) {
    setObjectName(QStringLiteral("frmChangeFlag"));
    setWindowTitle(QStringLiteral("Change Flags"));
    txtFlagA_ = new QLineEdit(QString::number(flagA), this);
    txtFlagA_->setObjectName(QStringLiteral("txtFlagA"));
    txtFlagB_ = new QLineEdit(QString::number(flagB), this);
    txtFlagB_->setObjectName(QStringLiteral("txtFlagB"));
    auto* cmdSave = new QPushButton(QStringLiteral("Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdSave->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Flag A:"), this), 0, 0);
    grid->addWidget(txtFlagA_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Flag B:"), this), 1, 0);
    grid->addWidget(txtFlagB_, 1, 1);
    grid->addWidget(cmdSave, 0, 2);
    grid->addWidget(cmdCancel, 1, 2);
    connect(cmdSave, &QPushButton::clicked, this, &FlagsDialog::Save);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void FlagsDialog::Save() {
    const auto ra = ParseEditorNumber(txtFlagA_->text().toStdString(), INT32_MIN, INT32_MAX);
    const auto rb = ParseEditorNumber(txtFlagB_->text().toStdString(), INT32_MIN, INT32_MAX);
    if (!ra || !rb) {
        CurrentPrompts().Message(this, QStringLiteral("The flags must be whole numbers."),
                                 QStringLiteral("Change Flags"));
        return;
    }
    flagA_ = static_cast<std::int32_t>(*ra);
    flagB_ = static_cast<std::int32_t>(*rb);
    accept();
}
