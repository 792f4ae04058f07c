#include "app/frmWait.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>

frmWait::frmWait(QWidget* owner) : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("frmWait"));
    setWindowTitle(QString());
    setAttribute(Qt::WA_DeleteOnClose);
    lblMessage_ = new QLabel(this);
    lblMessage_->setObjectName(QStringLiteral("lblMessage"));
    lblCount_ = new QLabel(this);
    lblCount_->setObjectName(QStringLiteral("lblCount"));
    for (QLabel* l : {lblMessage_, lblCount_}) l->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblMessage_);
    layout->addWidget(lblCount_);
    setMinimumWidth(320);
}

void frmWait::SetMessage(const QString& text) { lblMessage_->setText(text); }

WaitScope::WaitScope(QWidget* owner, const QString& message)
    : owner_(owner), ownerWasEnabled_(owner ? owner->isEnabled() : true), window_(new frmWait(owner)) {
    window_->SetMessage(message);
    if (owner_) owner_->setEnabled(false);
    window_->setEnabled(true);
    window_->setWindowModality(Qt::WindowModal);
    window_->adjustSize();
    // Centred on the window it belongs to, not wherever the system puts tools.
    if (owner_) window_->move(owner_->window()->geometry().center() - window_->rect().center());
    window_->show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

WaitScope::~WaitScope() {
    window_->close();
    if (owner_) owner_->setEnabled(ownerWasEnabled_);
}
