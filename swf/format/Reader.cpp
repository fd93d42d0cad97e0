#include "swf/format/Reader.h"
#include "swf/format/TagReaders.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace swf {

const char* tagName(std::uint16_t code)
{
    switch (static_cast<TagCode>(code)) {
    case TagCode::End: return "End";
    case TagCode::ShowFrame: return "ShowFrame";
    case TagCode::DefineShape: return "DefineShape";
    case TagCode::FreeCharacter: return "FreeCharacter";
    case TagCode::PlaceObject: return "PlaceObject";
    case TagCode::RemoveObject: return "RemoveObject";
    case TagCode::DefineBits: return "DefineBits";
    case TagCode::DefineButton: return "DefineButton";
    case TagCode::JpegTables: return "JPEGTables";
    case TagCode::SetBackgroundColor: return "SetBackgroundColor";
    case TagCode::DefineFont: return "DefineFont";
    case TagCode::DefineText: return "DefineText";
    case TagCode::DoAction: return "DoAction";
    case TagCode::DefineFontInfo: return "DefineFontInfo";
    case TagCode::DefineSound: return "DefineSound";
    case TagCode::StartSound: return "StartSound";
    case TagCode::DefineButtonSound: return "DefineButtonSound";
    case TagCode::SoundStreamHead: return "SoundStreamHead";
    case TagCode::SoundStreamBlock: return "SoundStreamBlock";
    case TagCode::DefineBitsLossless: return "DefineBitsLossless";
    case TagCode::DefineBitsJpeg2: return "DefineBitsJPEG2";
    case TagCode::DefineShape2: return "DefineShape2";
    case TagCode::DefineButtonCxform: return "DefineButtonCxform";
    case TagCode::Protect: return "Protect";
    case TagCode::PathsArePostScript: return "PathsArePostScript";
    case TagCode::PlaceObject2: return "PlaceObject2";
    case TagCode::RemoveObject2: return "RemoveObject2";
    case TagCode::SyncFrame: return "SyncFrame";
    case TagCode::FreeAll: return "FreeAll";
    case TagCode::DefineShape3: return "DefineShape3";
    case TagCode::DefineText2: return "DefineText2";
    case TagCode::DefineButton2: return "DefineButton2";
    case TagCode::DefineBitsJpeg3: return "DefineBitsJPEG3";
    case TagCode::DefineBitsLossless2: return "DefineBitsLossless2";
    case TagCode::DefineEditText: return "DefineEditText";
    case TagCode::DefineVideo: return "DefineVideo";
    case TagCode::DefineSprite: return "DefineSprite";
    case TagCode::NameCharacter: return "NameCharacter";
    case TagCode::ProductInfo: return "ProductInfo";
    case TagCode::DefineTextFormat: return "DefineTextFormat";
    case TagCode::FrameLabel: return "FrameLabel";
    case TagCode::SoundStreamHead2: return "SoundStreamHead2";
    case TagCode::DefineMorphShape: return "DefineMorphShape";
    case TagCode::GenerateFrame: return "GenerateFrame";
    case TagCode::DefineFont2: return "DefineFont2";
    case TagCode::GeneratorCommand: return "GeneratorCommand";
    case TagCode::DefineCommandObject: return "DefineCommandObject";
    case TagCode::CharacterSet: return "CharacterSet";
    case TagCode::ExternalFont: return "ExternalFont";
    case TagCode::ExportAssets: return "ExportAssets";
    case TagCode::ImportAssets: return "ImportAssets";
    case TagCode::EnableDebugger: return "EnableDebugger";
    case TagCode::DoInitAction: return "DoInitAction";
    case TagCode::DefineVideoStream: return "DefineVideoStream";
    case TagCode::VideoFrame: return "VideoFrame";
    case TagCode::DefineFontInfo2: return "DefineFontInfo2";
    case TagCode::DebugId: return "DebugID";
    case TagCode::EnableDebugger2: return "EnableDebugger2";
    case TagCode::ScriptLimits: return "ScriptLimits";
    case TagCode::SetTabIndex: return "SetTabIndex";
    case TagCode::FileAttributes: return "FileAttributes";
    case TagCode::PlaceObject3: return "PlaceObject3";
    case TagCode::ImportAssets2: return "ImportAssets2";
    case TagCode::DoAbc1: return "DoABC1";
    case TagCode::DefineFontAlignZones: return "DefineFontAlignZones";
    case TagCode::CsmTextSettings: return "CSMTextSettings";
    case TagCode::DefineFont3: return "DefineFont3";
    case TagCode::SymbolClass: return "SymbolClass";
    case TagCode::Metadata: return "Metadata";
    case TagCode::DefineScalingGrid: return "DefineScalingGrid";
    case TagCode::DoAbc: return "DoABC";
    case TagCode::DefineShape4: return "DefineShape4";
    case TagCode::DefineMorphShape2: return "DefineMorphShape2";
    case TagCode::DefineSceneAndFrameLabelData: return "DefineSceneAndFrameLabelData";
    case TagCode::DefineBinaryData: return "DefineBinaryData";
    case TagCode::DefineFontName: return "DefineFontName";
    case TagCode::StartSound2: return "StartSound2";
    case TagCode::DefineBitsJpeg4: return "DefineBitsJPEG4";
    case TagCode::DefineFont4: return "DefineFont4";
    case TagCode::EnableTelemetry: return "EnableTelemetry";
    }
    return "Unknown";
}

std::string ParseError::describe() const
{
    char where[64];
    std::snprintf(where, sizeof where, " at 0x%llX: ", static_cast<unsigned long long>(offset));
    std::string s;
    if (tagCode)
        s = std::string(tagName(*tagCode)) + " (" + std::to_string(*tagCode) + ")";
    else
        s = "movie";
    return s + where + message;
}

namespace {

using namespace detail;

constexpr std::size_t HeaderPrefix = 8; // signature, version, declared length

// Grows an output buffer geometrically up to the limit, so a false length claim in the
// header never reserves memory the data does not fill.
struct Inflated {
    Bytes data; // the 8 header bytes, then the uncompressed body
    bool damaged = false;  // the compressed stream holds invalid data
    bool truncated = false; // the compressed stream ends early
    bool tooLarge = false;  // more than the limit
};

std::size_t nextCapacity(std::size_t current, std::uint64_t limit)
{
    const std::uint64_t next = std::max<std::uint64_t>(current * 2, 64 * 1024);
    return static_cast<std::size_t>(std::min<std::uint64_t>(next, limit + 1));
}

void inflateZlib(std::span<const std::uint8_t> in, std::uint64_t limit, std::uint64_t stopAt, Inflated& out)
{
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) {
        out.damaged = true;
        return;
    }
    std::size_t used = out.data.size();
    zs.next_in = const_cast<Bytef*>(in.data());
    zs.avail_in = static_cast<uInt>(std::min<std::size_t>(in.size(), UINT32_MAX));
    for (;;) {
        if (used == out.data.size()) {
            if (used > limit) {
                out.tooLarge = true;
                break;
            }
            out.data.resize(nextCapacity(out.data.size(), limit));
        }
        zs.next_out = out.data.data() + used;
        zs.avail_out = static_cast<uInt>(std::min<std::size_t>(out.data.size() - used, UINT32_MAX));
        const uInt before = zs.avail_out;
        const int rc = inflate(&zs, Z_NO_FLUSH);
        used += before - zs.avail_out;
        if (used >= stopAt)
            break;
        if (rc == Z_STREAM_END)
            break;
        if (rc == Z_BUF_ERROR && zs.avail_in == 0) {
            out.truncated = true;
            break;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            out.damaged = true;
            break;
        }
    }
    if (used > limit)
        out.tooLarge = true;
    inflateEnd(&zs);
    out.data.resize(std::min<std::uint64_t>(used, limit + 1));
}

// The body of ZWS files: 4 bytes compressed length, 5 bytes of LZMA properties, then a
// raw LZMA stream of declared length - 8 bytes.
void inflateLzma(std::span<const std::uint8_t> in, std::uint64_t bodySize, std::uint64_t limit, std::uint64_t stopAt,
                 Inflated& out)
{
    if (in.size() < 9) {
        out.truncated = true;
        return;
    }
    // The alone decoder takes properties, dictionary size and uncompressed size. A
    // dictionary larger than the body is never used, so a claim beyond it is cut down
    // rather than allocated.
    std::uint8_t header[13];
    header[0] = in[4];
    std::uint32_t dict = in[5] | (in[6] << 8) | (in[7] << 16) | (static_cast<std::uint32_t>(in[8]) << 24);
    const std::uint64_t cap = std::max<std::uint64_t>(4096, std::min(bodySize, limit));
    dict = static_cast<std::uint32_t>(std::min<std::uint64_t>(dict, cap));
    for (int i = 0; i < 4; ++i)
        header[1 + i] = static_cast<std::uint8_t>(dict >> (8 * i));
    for (int i = 0; i < 8; ++i)
        header[5 + i] = static_cast<std::uint8_t>(bodySize >> (8 * i));

    lzma_stream zs = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&zs, UINT64_MAX) != LZMA_OK) {
        out.damaged = true;
        return;
    }
    std::size_t used = out.data.size();
    bool headerDone = false;
    for (;;) {
        if (!headerDone) {
            zs.next_in = header;
            zs.avail_in = sizeof header;
        } else if (zs.avail_in == 0 && zs.next_in != in.data() + in.size()) {
            zs.next_in = in.data() + 9;
            zs.avail_in = in.size() - 9;
        }
        if (used == out.data.size()) {
            if (used > limit) {
                out.tooLarge = true;
                break;
            }
            out.data.resize(nextCapacity(out.data.size(), limit));
        }
        zs.next_out = out.data.data() + used;
        zs.avail_out = out.data.size() - used;
        const std::size_t before = zs.avail_out;
        const lzma_ret rc = lzma_code(&zs, LZMA_RUN);
        used += before - zs.avail_out;
        if (!headerDone && zs.avail_in == 0)
            headerDone = true;
        if (used >= stopAt || rc == LZMA_STREAM_END)
            break;
        if (rc != LZMA_OK) {
            out.damaged = rc != LZMA_BUF_ERROR;
            out.truncated = rc == LZMA_BUF_ERROR;
            break;
        }
        if (headerDone && zs.avail_in == 0 && zs.next_in == in.data() + in.size() && zs.avail_out != 0) {
            out.truncated = true;
            break;
        }
    }
    lzma_end(&zs);
    if (used > limit)
        out.tooLarge = true;
    out.data.resize(std::min<std::uint64_t>(used, limit + 1));
}

// Produces the uncompressed file (header included). stopAt bounds the work for header-only
// reads. Returns false when the bytes are not a movie.
bool uncompress(std::span<const std::uint8_t> file, std::uint64_t limit, std::uint64_t stopAt, Header& header,
                Inflated& out, std::string& why)
{
    if (file.size() < HeaderPrefix) {
        why = "file too short for a movie header";
        return false;
    }
    const char c = static_cast<char>(file[0]);
    if (file[1] != 'W' || file[2] != 'S' || (c != 'F' && c != 'C' && c != 'Z')) {
        why = "not a movie (no FWS, CWS or ZWS signature)";
        return false;
    }
    header.compression = c == 'F' ? Compression::None : c == 'C' ? Compression::Zlib : Compression::Lzma;
    header.version = file[3];
    header.declaredLength = file[4] | (file[5] << 8) | (file[6] << 16) | (static_cast<std::uint32_t>(file[7]) << 24);
    out.data.assign(file.begin(), file.begin() + HeaderPrefix);
    const std::span<const std::uint8_t> rest = file.subspan(HeaderPrefix);
    switch (header.compression) {
    case Compression::None:
        if (file.size() > limit) {
            out.tooLarge = true;
        } else {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(rest.size(), stopAt));
            out.data.insert(out.data.end(), rest.begin(), rest.begin() + n);
        }
        break;
    case Compression::Zlib:
        inflateZlib(rest, limit, stopAt, out);
        break;
    case Compression::Lzma: {
        const std::uint64_t body = header.declaredLength > HeaderPrefix ? header.declaredLength - HeaderPrefix : 0;
        inflateLzma(rest, body, limit, stopAt, out);
        break;
    }
    }
    return true;
}

// Frame rect, rate and count after the 8 prefix bytes.
void readFrameHeader(BitReader& r, Header& header)
{
    r.seek(HeaderPrefix);
    header.frameRect = r.rect();
    header.frameRate = Fixed8{r.u16()};
    header.frameCount = r.u16();
}

class MovieReader {
public:
    MovieReader(std::uint8_t version, const ReadLimits& limits) : version_(version), limits_(limits) {}

    // Reads tags from r (whose byte 0 lies at baseOffset of the file) until End or the
    // end of the data. On a broken tag sets error and returns.
    void readTags(BitReader& r, std::size_t baseOffset, int depth, std::vector<Tag>& out,
                  std::optional<ParseError>& error)
    {
        while (!r.atEnd()) {
            const std::size_t start = r.position();
            std::optional<std::uint16_t> knownCode; // none while the tag header itself is cut
            try {
                const std::uint16_t h = r.u16();
                const std::uint16_t code = h >> 6;
                knownCode = code;
                std::uint32_t length = h & 0x3F;
                if (length == 0x3F)
                    length = r.u32();
                if (length > r.remaining())
                    throw ReadError("tag of " + std::to_string(length) + " bytes runs past the end of the data");
                const std::size_t bodyStart = r.position();
                BitReader body(r.bytes(length));
                Tag tag;
                tag.code = code;
                tag.offset = static_cast<std::uint32_t>(baseOffset + start);
                tag.length = length;
                tag.body = readBody(code, body, baseOffset + bodyStart, depth, error);
                out.push_back(std::move(tag));
                if (error || code == 0)
                    return;
            } catch (const ReadError& e) {
                error = ParseError{knownCode, baseOffset + start, e.what()};
                return;
            }
        }
    }

private:
    TagBody readBody(std::uint16_t code, BitReader& r, std::size_t bodyOffset, int depth,
                     std::optional<ParseError>& error)
    {
        switch (static_cast<TagCode>(code)) {
        case TagCode::End: return End{};
        case TagCode::ShowFrame: return ShowFrame{};
        case TagCode::DefineShape: return readDefineShape(r, 1);
        case TagCode::DefineShape2: return readDefineShape(r, 2);
        case TagCode::DefineShape3: return readDefineShape(r, 3);
        case TagCode::DefineShape4: return readDefineShape(r, 4);
        case TagCode::DefineMorphShape: return readDefineMorphShape(r, 1);
        case TagCode::DefineMorphShape2: return readDefineMorphShape(r, 2);
        case TagCode::DefineScalingGrid: {
            DefineScalingGrid g;
            g.characterId = r.u16();
            g.splitter = r.rect();
            return g;
        }
        case TagCode::PlaceObject: return readPlaceObject(r, 1, version_);
        case TagCode::PlaceObject2: return readPlaceObject(r, 2, version_);
        case TagCode::PlaceObject3: return readPlaceObject(r, 3, version_);
        case TagCode::RemoveObject: {
            RemoveObject o;
            o.characterId = r.u16();
            o.depth = r.u16();
            return o;
        }
        case TagCode::RemoveObject2: {
            RemoveObject o;
            o.version = 2;
            o.depth = r.u16();
            return o;
        }
        case TagCode::JpegTables: return JpegTables{r.copyRest()};
        case TagCode::DefineBits: return readDefineBitsJpeg(r, 1);
        case TagCode::DefineBitsJpeg2: return readDefineBitsJpeg(r, 2);
        case TagCode::DefineBitsJpeg3: return readDefineBitsJpeg(r, 3);
        case TagCode::DefineBitsJpeg4: return readDefineBitsJpeg(r, 4);
        case TagCode::DefineBitsLossless: return readDefineBitsLossless(r, 1);
        case TagCode::DefineBitsLossless2: return readDefineBitsLossless(r, 2);
        case TagCode::DefineFont: return readDefineFont1(r);
        case TagCode::DefineFont2: return readDefineFont23(r, 2);
        case TagCode::DefineFont3: return readDefineFont23(r, 3);
        case TagCode::DefineFont4: return readDefineFont4(r);
        case TagCode::DefineFontInfo: return readDefineFontInfo(r, 1);
        case TagCode::DefineFontInfo2: return readDefineFontInfo(r, 2);
        case TagCode::DefineFontAlignZones: return readDefineFontAlignZones(r);
        case TagCode::DefineFontName: return readDefineFontName(r);
        case TagCode::CsmTextSettings: return readCsmTextSettings(r);
        case TagCode::DefineText: return readDefineText(r, 1);
        case TagCode::DefineText2: return readDefineText(r, 2);
        case TagCode::DefineEditText: return readDefineEditText(r);
        case TagCode::DefineButton: return readDefineButton(r, 1, version_);
        case TagCode::DefineButton2: return readDefineButton(r, 2, version_);
        case TagCode::DefineButtonCxform: {
            DefineButtonCxform c;
            c.buttonId = r.u16();
            c.colorTransform = r.colorTransform(false);
            return c;
        }
        case TagCode::DefineButtonSound: return readDefineButtonSound(r);
        case TagCode::DefineSound: return readDefineSound(r);
        case TagCode::StartSound: {
            StartSound s;
            s.soundId = r.u16();
            s.info = readSoundInfo(r);
            return s;
        }
        case TagCode::StartSound2: {
            StartSound s;
            s.className = r.string();
            s.info = readSoundInfo(r);
            return s;
        }
        case TagCode::SoundStreamHead: return readSoundStreamHead(r, 1);
        case TagCode::SoundStreamHead2: return readSoundStreamHead(r, 2);
        case TagCode::SoundStreamBlock: return SoundStreamBlock{r.copyRest()};
        case TagCode::DefineVideoStream: return readDefineVideoStream(r);
        case TagCode::VideoFrame: return readVideoFrame(r);
        case TagCode::DoAction: return DoAction{readActionBlock(r.rest(), version_)};
        case TagCode::DoInitAction: {
            DoInitAction a;
            a.spriteId = r.u16();
            a.actions = readActionBlock(r.rest(), version_);
            return a;
        }
        case TagCode::DefineSprite: {
            if (depth >= limits_.maxSpriteDepth)
                throw ReadError("sprites nested deeper than " + std::to_string(limits_.maxSpriteDepth));
            DefineSprite s;
            s.id = r.u16();
            s.frameCount = r.u16();
            readTags(r, bodyOffset, depth + 1, s.tags, error);
            return s;
        }
        case TagCode::SetBackgroundColor: return SetBackgroundColor{r.rgb()};
        case TagCode::FrameLabel: {
            FrameLabel l;
            l.name = r.string();
            l.namedAnchor = !r.atEnd() && r.u8() == 1;
            return l;
        }
        case TagCode::FileAttributes: {
            FileAttributes a;
            const std::uint8_t f = r.u8();
            a.useDirectBlit = f & 0x40;
            a.useGpu = f & 0x20;
            a.hasMetadata = f & 0x10;
            a.actionScript3 = f & 0x08;
            a.useNetwork = f & 0x01;
            return a;
        }
        case TagCode::Metadata: return Metadata{r.atEnd() ? std::string() : readTrailingString(r)};
        case TagCode::ExportAssets: return ExportAssets{readSymbols(r)};
        case TagCode::SymbolClass: return SymbolClass{readSymbols(r)};
        case TagCode::ImportAssets:
        case TagCode::ImportAssets2: {
            ImportAssets a;
            a.version = code == static_cast<std::uint16_t>(TagCode::ImportAssets2) ? 2 : 1;
            a.url = r.string();
            if (a.version == 2)
                r.skip(2); // reserved
            a.symbols = readSymbols(r);
            return a;
        }
        case TagCode::ScriptLimits: {
            ScriptLimits l;
            l.maxRecursionDepth = r.u16();
            l.timeoutSeconds = r.u16();
            return l;
        }
        case TagCode::SetTabIndex: {
            SetTabIndex t;
            t.depth = r.u16();
            t.tabIndex = r.u16();
            return t;
        }
        case TagCode::Protect: return Protect{r.atEnd() ? std::string() : readTrailingString(r)};
        case TagCode::EnableDebugger:
        case TagCode::EnableDebugger2: {
            EnableDebugger d;
            d.version = code == static_cast<std::uint16_t>(TagCode::EnableDebugger2) ? 2 : 1;
            if (d.version == 2 && r.remaining() >= 2)
                r.skip(2); // reserved
            d.passwordHash = r.atEnd() ? std::string() : readTrailingString(r);
            return d;
        }
        case TagCode::EnableTelemetry: {
            EnableTelemetry t;
            r.skip(2); // reserved
            t.passwordHash = r.copyRest();
            return t;
        }
        case TagCode::DebugId: return DebugId{r.copyRest()};
        case TagCode::ProductInfo: {
            ProductInfo p;
            p.product = r.u32();
            p.edition = r.u32();
            p.major = r.u8();
            p.minor = r.u8();
            p.build = r.u64();
            if (r.remaining() >= 8)
                p.compileDateMs = r.u64();
            return p;
        }
        case TagCode::DefineSceneAndFrameLabelData: {
            // The player ignores scene data it cannot read, so a broken list keeps the
            // entries before the break instead of ending the movie.
            DefineSceneAndFrameLabelData d;
            try {
                const std::uint32_t scenes = r.encodedU32();
                for (std::uint32_t i = 0; i < scenes; ++i)
                    d.scenes.push_back(readSceneEntry(r));
                const std::uint32_t labels = r.encodedU32();
                for (std::uint32_t i = 0; i < labels; ++i)
                    d.frameLabels.push_back(readSceneEntry(r));
            } catch (const ReadError&) {
            }
            return d;
        }
        case TagCode::DoAbc: {
            DoAbc a;
            a.lazyInitialize = r.u32() & 1;
            a.name = r.string();
            a.abc = r.copyRest();
            return a;
        }
        case TagCode::DoAbc1: return DoAbc{false, std::string(), r.copyRest()};
        case TagCode::DefineBinaryData: {
            DefineBinaryData d;
            d.id = r.u16();
            r.skip(4); // reserved
            d.data = r.copyRest();
            return d;
        }
        default: return UnknownTag{r.copyRest()};
        }
    }

    // A string that fills the rest of the tag; the terminator is optional.
    static std::string readTrailingString(BitReader& r) { return r.fixedString(r.remaining()); }

    static SceneEntry readSceneEntry(BitReader& r)
    {
        SceneEntry e;
        e.frame = r.encodedU32();
        e.name = r.string();
        return e;
    }

    static std::vector<SymbolName> readSymbols(BitReader& r)
    {
        std::vector<SymbolName> out;
        const std::uint16_t count = r.u16();
        for (std::uint16_t i = 0; i < count; ++i) {
            SymbolName s;
            s.id = r.u16();
            s.name = r.string();
            out.push_back(std::move(s));
        }
        return out;
    }

    std::uint8_t version_;
    ReadLimits limits_;
};

} // namespace

bool uncompressMovie(std::span<const std::uint8_t> file, Bytes& out, const ReadLimits& limits)
{
    Inflated body;
    Header header;
    std::string why;
    if (!uncompress(file, limits.maxBodySize, UINT64_MAX, header, body, why) || body.tooLarge || body.damaged)
        return false;
    out = std::move(body.data);
    out[0] = 'F';
    return true;
}

bool readHeader(std::span<const std::uint8_t> file, Header& header)
{
    Inflated body;
    std::string why;
    // 8 prefix bytes, a rect of at most 17 bytes, rate and count.
    if (!uncompress(file, ReadLimits{}.maxBodySize, 64, header, body, why))
        return false;
    try {
        BitReader r(body.data);
        readFrameHeader(r, header);
    } catch (const ReadError&) {
        return false;
    }
    return true;
}

Movie readMovie(std::span<const std::uint8_t> file, const ReadLimits& limits)
{
    Movie movie;
    Inflated body;
    std::string why;
    if (!uncompress(file, limits.maxBodySize, UINT64_MAX, movie.header, body, why)) {
        movie.error = ParseError{std::nullopt, 0, why};
        return movie;
    }
    if (body.tooLarge) {
        movie.error = ParseError{std::nullopt, 0,
                                 "uncompressed movie larger than " + std::to_string(limits.maxBodySize >> 20) + " MiB"};
        return movie;
    }
    movie.bodySize = body.data.size();
    BitReader r(body.data);
    try {
        readFrameHeader(r, movie.header);
    } catch (const ReadError&) {
        movie.error = ParseError{std::nullopt, HeaderPrefix, "movie header cut short"};
        return movie;
    }
    movie.headerValid = true;
    MovieReader reader(movie.header.version, limits);
    reader.readTags(r, 0, 0, movie.tags, movie.error);
    if (!movie.error && body.damaged)
        movie.error = ParseError{std::nullopt, body.data.size(), "compressed body is damaged"};
    return movie;
}

Movie readMovieFile(const std::string& path, const ReadLimits& limits)
{
    Movie movie;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        movie.error = ParseError{std::nullopt, 0, "cannot open " + path};
        return movie;
    }
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<std::uint64_t>(size) > limits.maxBodySize) {
        movie.error = ParseError{std::nullopt, 0, "file too large for a movie: " + path};
        return movie;
    }
    Bytes data(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(data.data()), size)) {
        movie.error = ParseError{std::nullopt, 0, "cannot read " + path};
        return movie;
    }
    return readMovie(data, limits);
}

} // namespace swf
