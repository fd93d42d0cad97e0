#pragma once
// Sound and video tags. Samples and video frames stay encoded.
#include "swf/format/Units.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace swf {

enum class SoundFormat : std::uint8_t {
    UncompressedNativeEndian = 0,
    Adpcm = 1,
    Mp3 = 2,
    UncompressedLittleEndian = 3,
    Nellymoser16k = 4,
    Nellymoser8k = 5,
    Nellymoser = 6,
    Speex = 11,
};

// Rate index 0..3 means 5512.5, 11025, 22050, 44100 Hz.
struct SoundParams {
    SoundFormat format = SoundFormat::UncompressedNativeEndian;
    std::uint8_t rate = 0;
    bool is16Bit = false;
    bool stereo = false;

    int sampleRateHz() const { return rate == 0 ? 5512 : 11025 << (rate - 1); }
};

struct DefineSound {
    std::uint16_t id = 0;
    SoundParams params;
    std::uint32_t sampleCount = 0;
    Bytes data;
};

struct SoundEnvelopePoint {
    std::uint32_t pos44 = 0; // position in 44 kHz samples
    std::uint16_t leftLevel = 0;
    std::uint16_t rightLevel = 0;
};

struct SoundInfo {
    bool syncStop = false;
    bool syncNoMultiple = false;
    std::optional<std::uint32_t> inPoint;
    std::optional<std::uint32_t> outPoint;
    std::optional<std::uint16_t> loopCount;
    std::vector<SoundEnvelopePoint> envelope;
};

// StartSound (by character id) and StartSound2 (by class name).
struct StartSound {
    std::uint16_t soundId = 0;
    std::string className; // StartSound2
    SoundInfo info;
};

// SoundStreamHead and SoundStreamHead2.
struct SoundStreamHead {
    std::uint8_t version = 1;
    SoundParams playback;
    SoundParams stream;
    std::uint16_t samplesPerBlock = 0;
    std::int16_t latencySeek = 0; // MP3 only
};

struct SoundStreamBlock {
    Bytes data;
};

struct DefineVideoStream {
    std::uint16_t id = 0;
    std::uint16_t frameCount = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint8_t deblocking = 0;
    bool smoothing = false;
    std::uint8_t codec = 0; // 2 Sorenson H.263, 3 screen video, 4 VP6, 5 VP6 alpha, 6 screen video 2
};

struct VideoFrame {
    std::uint16_t streamId = 0;
    std::uint16_t frame = 0;
    Bytes data;
};

} // namespace swf
