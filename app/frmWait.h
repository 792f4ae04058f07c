// The small window that long operations show while they work.
#pragma once

#include <QWidget>

class QLabel;

class frmWait : public QWidget {
    Q_OBJECT
public:
    explicit frmWait(QWidget* owner);
    void SetMessage(const QString& text);

private:
    QLabel* lblMessage_;
    QLabel* lblCount_;
};

// Shows the wait window for the length of one operation. The owner takes no
// input meanwhile, so no second command runs while the patch is changing.
class WaitScope {
public:
    WaitScope(QWidget* owner, const QString& message);
    ~WaitScope();
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    QWidget* owner_;
    bool ownerWasEnabled_;
    frmWait* window_;
};
