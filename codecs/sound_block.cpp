#include "codecs/sound_block.h"

#include <algorithm>
#include <string>

Bytes SoundHeaderFor(std::optional<ByteView> replaced, std::string_view path, Notes& notes) {
    if (replaced && replaced->size() >= kSoundHeaderSize) return Bytes(replaced->begin(), replaced->begin() + kSoundHeaderSize);
    const std::string_view name = path.substr(path.find_last_of('/') + 1);
    std::size_t length = std::min(name.size(), kSoundHeaderSize - 1);
    if (length < name.size()) {
        // Not inside a character: a cut UTF-8 sequence would show as garbage.
        while (length > 0 && (static_cast<std::uint8_t>(name[length]) & 0xC0) == 0x80) --length;
        notes.push_back("The file's name is longer than the 39 bytes a sound's name holds: the sound is named '" +
                        std::string(name.substr(0, length)) + "'.");
    }
    Bytes header(kSoundHeaderSize, 0);
    std::copy_n(name.begin(), length, header.begin());
    return header;
}

Bytes SoundBlock(ByteView header, std::span<const std::int16_t> samples) {
    Bytes block(header.begin(), header.end());
    block.resize(header.size() + 2 * samples.size());
    std::uint8_t* at = block.data() + header.size();
    for (const std::int16_t s : samples) PutLE16(at, static_cast<std::uint16_t>(s)), at += 2;
    return block;
}

void NoteHalfSample(ByteView block, Notes& notes) {
    if (block.size() > kSoundHeaderSize && (block.size() - kSoundHeaderSize) % 2 != 0)
        notes.push_back("The block's samples end in half a sample: its last byte is left out.");
}
