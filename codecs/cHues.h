// Block access to a hues data file: fixed blocks of 708 bytes, block n at
// n * 708. The file must exist; it is never created.
#pragma once

#include <cstdint>
#include <string>

#include "codecs/hues.h"

class cHues {
public:
    cHues() = default;
    cHues(const cHues&) = delete;
    cHues& operator=(const cHues&) = delete;
    ~cHues();

    // Opens the file for reading and writing; "" or a message. While a file
    // is open, a second call keeps it and ignores `filename`.
    std::string OpenHues(const std::string& filename);
    void CloseHues();
    bool IsOpen() const { return fd_ >= 0; }

    // Reads block n; the part beyond the end of the file reads as 0. False
    // (buffer untouched) when no file is open or the read fails.
    bool LoadHuesBlock(const std::int32_t& blockNumber, HuesBlock& block) const;
    // Writes block n, extending the file when it lies beyond the end.
    bool SaveHuesBlock(const std::int32_t& blockNumber, const HuesBlock& block);

    static void HuesBlock2VerdataHuesBlock(const HuesBlock& source, VerdataHuesBlock& destination) {
        ::HuesBlock2VerdataHuesBlock(source, destination);
    }
    static void VerdataHuesBlock2HuesBlock(const VerdataHuesBlock& source, HuesBlock& destination) {
        ::VerdataHuesBlock2HuesBlock(source, destination);
    }

private:
    int fd_ = -1;
};
