#include "cli/progress_line.h"

namespace {
// Back to the start of the line and clear it.
constexpr char kWipe[] = "\r\033[K";
}  // namespace

ProgressLine::ProgressLine(std::ostream& out, std::ostream& err, std::string command)
    : out_(out), err_(err), command_(std::move(command)), outBuf_(*this, out.rdbuf()), errBuf_(*this, err.rdbuf()) {
    out_.rdbuf(&outBuf_);
    err_.rdbuf(&errBuf_);
}

ProgressLine::~ProgressLine() {
    Wipe();
    out_.rdbuf(outBuf_.Target());
    err_.rdbuf(errBuf_.Target());
}

void ProgressLine::Show(const std::string& step) {
    const std::string text = kWipe + ("palindra-cli " + command_ + ": " + step);
    errBuf_.Target()->sputn(text.data(), static_cast<std::streamsize>(text.size()));
    errBuf_.Target()->pubsync();
    shown_ = true;
}

void ProgressLine::Wipe() {
    if (!shown_) return;
    shown_ = false;
    errBuf_.Target()->sputn(kWipe, sizeof kWipe - 1);
    errBuf_.Target()->pubsync();
}

int ProgressLine::Wiping::overflow(int c) {
    line_.Wipe();
    return traits_type::eq_int_type(c, traits_type::eof()) ? traits_type::not_eof(c) : target_->sputc(static_cast<char>(c));
}

std::streamsize ProgressLine::Wiping::xsputn(const char* s, std::streamsize n) {
    line_.Wipe();
    return target_->sputn(s, n);
}
