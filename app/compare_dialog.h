// The compare dialog: the base and the altered data files (with their index
// files where the type has them) of one file type.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

#include "app/probed_file.h"
#include "gamefiles/forms/form.h"

class QLineEdit;

// The files the user chose to compare; the index paths are "" for types
// without index files and for game data packages.
struct CompareChoice {
    SourceFiles base, altered;
};

class CompareDialog : public QDialog {
    Q_OBJECT
public:
    CompareDialog(QWidget* owner, std::uint8_t fileId);

    // What the user chose; valid once the dialog was accepted.
    const CompareChoice& Choice() const { return choice_; }

private:
    void Compare();
    void Cancel();
    void Browse(QLineEdit* box, bool index);
    // A side whose data file is a game data package needs no index.
    bool NeedsIndex(const QLineEdit* mul);
    void ShowIndexRows();

    std::uint8_t fileId_;
    bool packages_;  // the type can come from game data packages
    std::array<std::array<QWidget*, 3>, 2> idxRows_{};
    QLineEdit *txtMUL1_, *txtIDX1_, *txtMUL2_, *txtIDX2_;
    std::array<QString, 2> filledIdx_;  // the index filled in for each side's data file
    std::array<ProbedFile, 2> probed_;
    CompareChoice choice_;
};
