#include "codecs/sound_file.h"

#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "codecs/notes.h"
#include "codecs/wav.h"

namespace {
// libsndfile reads through these callbacks from the bytes in memory.
struct Memory {
    ByteView bytes;
    sf_count_t at = 0;
};

sf_count_t Length(void* memory) { return static_cast<sf_count_t>(static_cast<Memory*>(memory)->bytes.size()); }

sf_count_t Seek(sf_count_t offset, int whence, void* memory) {
    auto& m = *static_cast<Memory*>(memory);
    const sf_count_t from = whence == SEEK_CUR ? m.at : whence == SEEK_END ? Length(memory) : 0;
    const sf_count_t to = from + offset;
    if (to < 0 || to > Length(memory)) return -1;
    return m.at = to;
}

sf_count_t Read(void* out, sf_count_t count, void* memory) {
    auto& m = *static_cast<Memory*>(memory);
    const sf_count_t n = std::clamp<sf_count_t>(Length(memory) - m.at, 0, std::max<sf_count_t>(count, 0));
    if (n > 0) std::memcpy(out, m.bytes.data() + m.at, static_cast<std::size_t>(n));
    m.at += n;
    return n;
}

sf_count_t Write(const void*, sf_count_t, void*) { return 0; }
sf_count_t Tell(void* memory) { return static_cast<Memory*>(memory)->at; }

struct CloseSound {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

bool StartsWith(ByteView bytes, std::size_t at, const char* magic) {
    const std::size_t n = std::strlen(magic);
    return bytes.size() >= at + n && std::memcmp(bytes.data() + at, magic, n) == 0;
}

// Only these are offered to libsndfile, whose readers of rarer formats see little use.
bool LooksLikeOurs(ByteView file) {
    return (StartsWith(file, 0, "RIFF") && StartsWith(file, 8, "WAVE")) || StartsWith(file, 0, "fLaC") ||
           StartsWith(file, 0, "OggS");
}

std::string SampleFormatOf(SNDFILE* sound, int format) {
    switch (format & SF_FORMAT_SUBMASK) {
        case SF_FORMAT_PCM_S8:
        case SF_FORMAT_PCM_U8: return "8-bit";
        case SF_FORMAT_PCM_24: return "24-bit";
        case SF_FORMAT_PCM_32: return "32-bit";
        case SF_FORMAT_FLOAT: return "32-bit float";
        case SF_FORMAT_DOUBLE: return "64-bit float";
        // Compressed samples have no size of their own: decoding them is reading them.
        case SF_FORMAT_PCM_16:
        case SF_FORMAT_VORBIS:
        case SF_FORMAT_OPUS: return "";
        default: break;
    }
    SF_FORMAT_INFO info{};
    info.format = format & SF_FORMAT_SUBMASK;
    if (sf_command(sound, SFC_GET_FORMAT_INFO, &info, sizeof info) == 0 && info.name) return info.name;
    return "encoded";
}
}  // namespace

std::string ConversionNote(const SoundFormat& from) {
    std::string parts;
    auto add = [&parts](const std::string& part) { parts += (parts.empty() ? "" : " ") + part; };
    if (from.rate != static_cast<std::int32_t>(kSoundSampleRate)) add(Grouped(from.rate) + " Hz");
    if (from.channels == 2) add("stereo");
    else if (from.channels != 1) add(std::to_string(from.channels) + "-channel");
    if (!from.sampleFormat.empty()) add(from.sampleFormat);
    return parts.empty() ? "" : "converted from " + parts;
}

Result<DecodedSound> DecodeSoundFile(ByteView file, const std::string& name) {
    if (!LooksLikeOurs(file)) return Error("'" + name + "' is not a WAV, FLAC or Ogg Vorbis file.");
    Memory memory{file};
    SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, CloseSound> sound(sf_open_virtual(&io, SFM_READ, &info, &memory));
    if (!sound) return Error("Cannot read the sound '" + name + "': " + sf_strerror(nullptr) + ".");
    const int major = info.format & SF_FORMAT_TYPEMASK;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX && major != SF_FORMAT_FLAC && major != SF_FORMAT_OGG)
        return Error("'" + name + "' is not a WAV, FLAC or Ogg Vorbis file.");
    if (info.channels <= 0 || info.samplerate <= 0)
        return Error("The sound '" + name + "' has no channels or no sample rate.");
    const SoundFormat format{info.samplerate, info.channels, SampleFormatOf(sound.get(), info.format)};
    const double ratio = static_cast<double>(kSoundSampleRate) / info.samplerate;
    if (!src_is_valid_ratio(ratio))
        return Error("The sound '" + name + "' is at " + Grouped(info.samplerate) +
                     " Hz, too far from 22,050 Hz to convert.");
    const Error tooLong("The sound '" + name + "' is too long: a sound block holds at most " +
                        Grouped(kMaxSoundSamples) + " samples.");

    // Mixed to mono as it is read, so a file of many channels costs no more.
    const auto channels = static_cast<std::size_t>(info.channels);
    const sf_count_t chunk = std::max<sf_count_t>(1, 65536 / info.channels);
    std::vector<float> frames(static_cast<std::size_t>(chunk) * channels);
    std::vector<float> mono;
    for (sf_count_t got; (got = sf_readf_float(sound.get(), frames.data(), chunk)) > 0;) {
        if (static_cast<std::int64_t>(mono.size()) + got > kMaxSoundSamples ||
            static_cast<double>(mono.size() + static_cast<std::size_t>(got)) * ratio > kMaxSoundSamples)
            return tooLong;
        for (sf_count_t f = 0; f < got; ++f) {
            const float* frame = &frames[static_cast<std::size_t>(f) * channels];
            float sum = 0;
            for (std::size_t c = 0; c < channels; ++c) sum += frame[c];
            mono.push_back(sum / static_cast<float>(channels));
        }
    }
    if (sf_error(sound.get()) != SF_ERR_NO_ERROR)
        return Error("Cannot read the sound '" + name + "': " + sf_strerror(sound.get()) + ".");

    if (info.samplerate != static_cast<int>(kSoundSampleRate) && !mono.empty()) {
        // The best of the library's converters: game sounds are short, so its
        // cost is small, and its band limit keeps the resampled sound free of
        // the aliasing and dulling of the faster ones.
        std::vector<float> resampled(static_cast<std::size_t>(std::ceil(static_cast<double>(mono.size()) * ratio)) + 16);
        SRC_DATA data{};
        data.data_in = mono.data();
        data.input_frames = static_cast<long>(mono.size());
        data.data_out = resampled.data();
        data.output_frames = static_cast<long>(resampled.size());
        data.src_ratio = ratio;
        if (const int failed = src_simple(&data, SRC_SINC_BEST_QUALITY, 1))
            return Error("Cannot convert the sound '" + name + "': " + src_strerror(failed) + ".");
        resampled.resize(static_cast<std::size_t>(data.output_frames_gen));
        mono = std::move(resampled);
    }
    DecodedSound out{std::vector<std::int16_t>(mono.size()), ConversionNote(format)};
    // Rounded to 16 bits and held within them (a float file may go past 1.0).
    src_float_to_short_array(mono.data(), out.samples.data(), static_cast<int>(mono.size()));
    return out;
}
