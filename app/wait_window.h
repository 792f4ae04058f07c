// The small window that long operations show while they work.
#pragma once

#include <QWidget>

#include "io/progress.h"

class QLabel;
class QProgressBar;
class QPushButton;

class WaitWindow : public QWidget {
    Q_OBJECT
public:
    explicit WaitWindow(QWidget* owner);
    void SetMessage(const QString& text);
    // Shows the bar and the Cancel button.
    void ShowProgress();
    // Shows how far the work got and lets the Cancel button be pressed;
    // false once it was.
    bool Report(std::int64_t done, std::int64_t total);

protected:
    // Escape cancels as the button does.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* lblMessage_;
    QLabel* lblCount_;
    QProgressBar* prgWait_;
    QPushButton* cmdCancelWait_;
    bool cancelled_ = false;
};

// Shows the wait window for the length of one operation. The owner takes no
// input meanwhile, so no second command runs while the patch is changing.
class WaitScope {
public:
    // The window is titled "Palindra — <doing>…" ("Importing").
    WaitScope(QWidget* owner, const QString& message, const QString& doing);
    ~WaitScope();
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;
    // Adds a bar with counts and a Cancel button; the work reports through
    // the returned Progress and stops when it says so.
    Progress Cancellable();

private:
    QWidget* owner_;
    bool ownerWasEnabled_;
    WaitWindow* window_;
};
