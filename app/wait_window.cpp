#include "app/wait_window.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

WaitWindow::WaitWindow(QWidget* owner) : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("frmWait"));
    setAttribute(Qt::WA_DeleteOnClose);
    lblMessage_ = new QLabel(this);
    lblMessage_->setObjectName(QStringLiteral("lblMessage"));
    lblCount_ = new QLabel(this);
    lblCount_->setObjectName(QStringLiteral("lblCount"));
    for (QLabel* l : {lblMessage_, lblCount_}) l->setAlignment(Qt::AlignCenter);
    prgWait_ = new QProgressBar(this);
    prgWait_->setObjectName(QStringLiteral("prgWait"));
    cmdCancelWait_ = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancelWait_->setObjectName(QStringLiteral("cmdCancelWait"));
    prgWait_->hide();
    cmdCancelWait_->hide();
    connect(cmdCancelWait_, &QPushButton::clicked, this, [this] {
        cancelled_ = true;
        cmdCancelWait_->setEnabled(false);
    });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblMessage_);
    layout->addWidget(lblCount_);
    layout->addWidget(prgWait_);
    layout->addWidget(cmdCancelWait_, 0, Qt::AlignCenter);
    setMinimumWidth(320);
}

void WaitWindow::SetMessage(const QString& text) { lblMessage_->setText(text); }

void WaitWindow::ShowProgress() {
    prgWait_->show();
    cmdCancelWait_->show();
    adjustSize();
    // The keys go here: the owner, disabled meanwhile, would drop Escape.
    activateWindow();
    cmdCancelWait_->setFocus();
}

void WaitWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && cmdCancelWait_->isVisible()) {
        cmdCancelWait_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool WaitWindow::Report(std::int64_t done, std::int64_t total) {
    // The bar counts in per mille: a QProgressBar holds only int ranges.
    prgWait_->setRange(0, 1000);
    prgWait_->setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 0);
    // Grouped as the messages group their numbers ("2,000,000"), whatever the locale.
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    lblCount_->setText(QStringLiteral("%1 of %2").arg(english.toString(done), english.toString(total)));
    // The owner is disabled, so of all input only the Cancel button can act.
    QApplication::processEvents();
    return !cancelled_;
}

WaitScope::WaitScope(QWidget* owner, const QString& message, const QString& doing)
    : owner_(owner), ownerWasEnabled_(owner ? owner->isEnabled() : true), window_(new WaitWindow(owner)) {
    window_->SetMessage(message);
    window_->setWindowTitle(QStringLiteral("Palindra \u2014 %1\u2026").arg(doing));
    if (owner_) owner_->setEnabled(false);
    window_->setEnabled(true);
    window_->setWindowModality(Qt::WindowModal);
    window_->adjustSize();
    // Centred on the window it belongs to, not wherever the system puts tools.
    if (owner_) window_->move(owner_->window()->geometry().center() - window_->rect().center());
    window_->show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

Progress WaitScope::Cancellable() {
    window_->ShowProgress();
    if (owner_) window_->move(owner_->window()->geometry().center() - window_->rect().center());
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return {[window = window_](std::int64_t done, std::int64_t total) { return window->Report(done, total); }};
}

WaitScope::~WaitScope() {
    window_->close();
    if (owner_) owner_->setEnabled(ownerWasEnabled_);
}
