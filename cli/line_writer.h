// Lines of words and numbers gathered in a large buffer that goes out in
// large pieces: a listing of hundreds of thousands of blocks costs little
// more than writing its bytes.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>

class LineWriter {
public:
    explicit LineWriter(std::ostream& out) : out_(out) {}
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;
    ~LineWriter() { Flush(); }

    // `word` (a short one, or none) and the numbers, separated by blanks,
    // then `last` (any length, or none).
    void Line(std::string_view word, std::initializer_list<std::int32_t> numbers, std::string_view last = {}) {
        if (text_.size() - used_ < kLongest + last.size()) Flush();
        if (text_.size() < kLongest + last.size()) text_.resize(kLongest + last.size());
        char* p = text_.data() + used_;
        char* const end = text_.data() + text_.size();
        if (!word.empty()) {
            p = std::copy(word.begin(), word.end(), p);
            *p++ = ' ';
        }
        for (const std::int32_t v : numbers) {
            p = std::to_chars(p, end, v).ptr;
            *p++ = ' ';
        }
        if (!last.empty()) {
            p = std::copy(last.begin(), last.end(), p);
            *p++ = ' ';
        }
        p[-1] = '\n';
        used_ = static_cast<std::size_t>(p - text_.data());
    }

    void Flush() {
        out_.write(text_.data(), static_cast<std::streamsize>(used_));
        used_ = 0;
    }

private:
    static constexpr std::size_t kLongest = 128;  // a word of up to 16 characters and 6 numbers
    std::ostream& out_;
    std::string text_ = std::string(1 << 16, '\0');
    std::size_t used_ = 0;
};
