// The line on a terminal's stderr that follows a long command: what it is
// doing now. Anything the command writes to stdout or stderr first wipes the
// line, so no output lands behind it, and the line is gone when it ends.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

class ProgressLine {
public:
    // Routes `out` and `err` through the line until it is destroyed.
    ProgressLine(std::ostream& out, std::ostream& err, std::string command);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // Shows "palindra-cli COMMAND: step" in place of what the line said.
    void Show(const std::string& step);

private:
    // Passes writes on to a stream's own buffer, wiping the line first.
    class Wiping : public std::streambuf {
    public:
        Wiping(ProgressLine& line, std::streambuf* target) : line_(line), target_(target) {}
        std::streambuf* Target() const { return target_; }

    protected:
        int overflow(int c) override;
        std::streamsize xsputn(const char* s, std::streamsize n) override;
        int sync() override { return target_->pubsync(); }

    private:
        ProgressLine& line_;
        std::streambuf* target_;
    };
    void Wipe();

    std::ostream& out_;
    std::ostream& err_;
    std::string command_;
    Wiping outBuf_, errBuf_;
    bool shown_ = false;
};
