#include "swf/format/TagReaders.h"

namespace swf {

std::uint64_t DefineBitsLossless::expectedDataSize() const
{
    const std::uint64_t w = width;
    const std::uint64_t h = height;
    switch (format) {
    case LosslessFormat::ColorMapped8:
        return std::uint64_t(colorTableSize) * (version >= 2 ? 4 : 3) + ((w + 3) & ~std::uint64_t(3)) * h;
    case LosslessFormat::Rgb15:
        return ((w * 2 + 3) & ~std::uint64_t(3)) * h;
    case LosslessFormat::Rgb32:
        return w * 4 * h;
    }
    return 0;
}

namespace detail {

namespace {

SoundParams readSoundParams(BitReader& r)
{
    SoundParams p;
    p.format = static_cast<SoundFormat>(r.ub(4));
    p.rate = static_cast<std::uint8_t>(r.ub(2));
    p.is16Bit = r.flag();
    p.stereo = r.flag();
    return p;
}

} // namespace

DefineBitsJpeg readDefineBitsJpeg(BitReader& r, int version)
{
    DefineBitsJpeg b;
    b.version = static_cast<std::uint8_t>(version);
    b.id = r.u16();
    if (version < 3) {
        b.imageData = r.copyRest();
        return b;
    }
    const std::uint32_t alphaOffset = r.u32();
    if (version >= 4)
        b.deblocking = Fixed8{r.u16()};
    if (alphaOffset > r.remaining())
        throw ReadError("JPEG data longer than its tag");
    b.imageData = r.copy(alphaOffset);
    b.alphaData = r.copyRest();
    return b;
}

DefineBitsLossless readDefineBitsLossless(BitReader& r, int version)
{
    DefineBitsLossless b;
    b.version = static_cast<std::uint8_t>(version);
    b.id = r.u16();
    const std::uint8_t format = r.u8();
    if (format != 3 && format != 4 && format != 5)
        throw ReadError("unknown lossless bitmap format " + std::to_string(format));
    b.format = static_cast<LosslessFormat>(format);
    b.width = r.u16();
    b.height = r.u16();
    if (b.format == LosslessFormat::ColorMapped8)
        b.colorTableSize = static_cast<std::uint16_t>(r.u8() + 1);
    b.zlibData = r.copyRest();
    return b;
}

SoundInfo readSoundInfo(BitReader& r)
{
    SoundInfo s;
    const std::uint8_t flags = r.u8();
    s.syncStop = flags & 0x20;
    s.syncNoMultiple = flags & 0x10;
    if (flags & 0x01)
        s.inPoint = r.u32();
    if (flags & 0x02)
        s.outPoint = r.u32();
    if (flags & 0x04)
        s.loopCount = r.u16();
    if (flags & 0x08) {
        const std::uint8_t count = r.u8();
        for (unsigned i = 0; i < count; ++i) {
            SoundEnvelopePoint p;
            p.pos44 = r.u32();
            p.leftLevel = r.u16();
            p.rightLevel = r.u16();
            s.envelope.push_back(p);
        }
    }
    return s;
}

DefineSound readDefineSound(BitReader& r)
{
    DefineSound s;
    s.id = r.u16();
    s.params = readSoundParams(r);
    s.sampleCount = r.u32();
    s.data = r.copyRest();
    return s;
}

SoundStreamHead readSoundStreamHead(BitReader& r, int version)
{
    SoundStreamHead h;
    h.version = static_cast<std::uint8_t>(version);
    r.ub(4);
    h.playback.rate = static_cast<std::uint8_t>(r.ub(2));
    h.playback.is16Bit = r.flag();
    h.playback.stereo = r.flag();
    h.stream = readSoundParams(r);
    h.playback.format = h.stream.format;
    h.samplesPerBlock = r.u16();
    // The MP3 latency is missing from some movies whose stream has no blocks.
    if (h.stream.format == SoundFormat::Mp3 && r.remaining() >= 2)
        h.latencySeek = r.s16();
    return h;
}

DefineVideoStream readDefineVideoStream(BitReader& r)
{
    DefineVideoStream v;
    v.id = r.u16();
    v.frameCount = r.u16();
    v.width = r.u16();
    v.height = r.u16();
    r.ub(4);
    v.deblocking = static_cast<std::uint8_t>(r.ub(3));
    v.smoothing = r.flag();
    v.codec = r.u8();
    return v;
}

VideoFrame readVideoFrame(BitReader& r)
{
    VideoFrame v;
    v.streamId = r.u16();
    v.frame = r.u16();
    v.data = r.copyRest();
    return v;
}

} // namespace detail
} // namespace swf
