// The sentences the status bar reports results in.
#pragma once

#include <QString>
#include <cstdint>

class Patch;
struct ImportReport;

// "1 block", "3 blocks".
QString Blocks(std::int64_t n);
// The file type all live blocks of `blocks` belong to, else "N file types".
QString Destination(const Patch& blocks);
// What an import or compare left out, led by ". "; "" when nothing was.
QString LeftOut(const ImportReport& report);
// The same a line a sentence, for a message box.
QString LeftOutLines(const ImportReport& report);
