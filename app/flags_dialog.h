// The flag editor: the two flag words of a block as unsigned numbers. The
// caller applies the chosen values to the block.
#pragma once

#include <QDialog>
#include <cstdint>

class QLineEdit;

class FlagsDialog : public QDialog {
    Q_OBJECT
public:
    FlagsDialog(QWidget* owner, std::int32_t flagA, std::int32_t flagB);

    // The values typed, once the dialog was accepted.
    std::int32_t FlagA() const { return flagA_; }
    std::int32_t FlagB() const { return flagB_; }

private:
    void Save();

    QLineEdit* txtFlagA_;
    QLineEdit* txtFlagB_;
    std::int32_t flagA_, flagB_;
};
