#include <cstdio>
#include <cstring>

#include "codecs/block_facts.h"
#include "codecs/facts_text.h"
#include "codecs/wav.h"

BlockFacts SoundFacts(ByteView block) {
    BlockFacts f;
    f.heading = "Sound";
    const FixedString name = FixedText(block, 0, kSoundHeaderSize);
    f.lines.push_back("Name: " + name.text);
    const std::size_t data = block.size() > kSoundHeaderSize ? block.size() - kSoundHeaderSize : 0;
    char duration[48];
    std::snprintf(duration, sizeof duration, "Duration: %.3f s", static_cast<double>(data / 2) / kSoundSampleRate);
    f.lines.push_back(duration);
    f.lines.push_back("Samples: " + std::to_string(data / 2));
    if (block.size() < kSoundHeaderSize)
        NoteProblem(f, HoldsBytes(block.size()) + "fewer than the 40 of a sound header.");
    else if (!name.terminated)
        NoteProblem(f, "The name fills the 40-byte header without a terminating zero.");
    if (data % 2 != 0) NoteProblem(f, "The samples end in half a sample: one byte is left over.");
    return f;
}

Result<Bytes> SoundToWav(ByteView block) {
    if (block.size() < kSoundHeaderSize)
        return Error("The sound block holds " + std::to_string(block.size()) + " bytes, fewer than its 40-byte header.");
    const std::size_t data = (block.size() - kSoundHeaderSize) & ~std::size_t{1};
    if (data > 0xFFFFFFFFu - 36) return Error("The sound block is too large for a WAV file.");
    Bytes out(44 + data);
    std::uint8_t* h = out.data();
    std::memcpy(h, "RIFF", 4);
    PutLE32(h + 4, static_cast<std::uint32_t>(36 + data));
    std::memcpy(h + 8, "WAVEfmt ", 8);
    PutLE32(h + 16, 16);  // the format chunk's size
    PutLE16(h + 20, 1);   // integer samples
    PutLE16(h + 22, 1);   // mono
    PutLE32(h + 24, kSoundSampleRate);
    PutLE32(h + 28, 2 * kSoundSampleRate);
    PutLE16(h + 32, 2);
    PutLE16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    PutLE32(h + 40, static_cast<std::uint32_t>(data));
    if (data) std::memcpy(h + 44, block.data() + kSoundHeaderSize, data);
    return out;
}
