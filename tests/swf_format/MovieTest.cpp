// Whole movies: the three body kinds, the header, limits, broken input, and the tags
// that carry data through unread.
#include "swf/format/Reader.h"
#include "tests/swf_format/FixtureWriter.h"

#include <gtest/gtest.h>

using namespace swf;
using fixture::BitWriter;

namespace {

Bytes sampleTags()
{
    BitWriter label;
    label.str("start").u8(1);
    return fixture::concat({fixture::tag(9, {0x10, 0x20, 0x30}), fixture::tag(43, label.data()), fixture::tag(1, {}),
                            fixture::tag(0, {})});
}

Bytes sprite(int depth)
{
    Bytes inner = fixture::concat({fixture::tag(1, {}), fixture::tag(0, {})});
    for (int i = 0; i < depth; ++i) {
        BitWriter w;
        w.u16(static_cast<std::uint16_t>(i + 1)).u16(1).bytes(inner);
        inner = fixture::concat({fixture::tag(39, w.data(), true), fixture::tag(0, {})});
    }
    return inner;
}

} // namespace

TEST(Movie, UncompressedZlibAndLzmaBodiesReadAlike)
{
    const Bytes tags = sampleTags();
    for (const Bytes& file : {fixture::fws(10, tags, 3), fixture::cws(10, tags, 3), fixture::zws(13, tags, 3)}) {
        SCOPED_TRACE(static_cast<char>(file[0]));
        const Movie m = readMovie(file);
        ASSERT_TRUE(m.ok()) << m.error->describe();
        EXPECT_EQ(m.header.frameRect.xMax.value, 11000);
        EXPECT_EQ(m.header.frameRect.yMax.value, 8000);
        EXPECT_DOUBLE_EQ(m.header.frameRate.toDouble(), 24.5);
        EXPECT_EQ(m.header.frameCount, 3);
        EXPECT_EQ(m.header.declaredLength, m.bodySize);
        ASSERT_EQ(m.tags.size(), 4u);
        EXPECT_EQ(fixture::bodyAt<SetBackgroundColor>(m, 0)->color, (Rgba{0x10, 0x20, 0x30, 255}));
        const FrameLabel* l = fixture::bodyAt<FrameLabel>(m, 1);
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->name, "start");
        EXPECT_TRUE(l->namedAnchor);
        EXPECT_EQ(m.tags[2].tagCode(), TagCode::ShowFrame);
        EXPECT_EQ(m.tags[3].tagCode(), TagCode::End);
        Header h;
        ASSERT_TRUE(readHeader(file, h));
        EXPECT_EQ(h.frameCount, 3);
        EXPECT_EQ(h.compression, m.header.compression);
    }
    EXPECT_EQ(readMovie(fixture::cws(10, tags)).header.compression, Compression::Zlib);
    EXPECT_EQ(readMovie(fixture::zws(13, tags)).header.compression, Compression::Lzma);
}

TEST(Movie, TagOffsetsLengthsAndUnknownTagsKeptRaw)
{
    const Bytes tags = fixture::concat({fixture::tag(1, {}, true), fixture::tag(300, {1, 2, 3}), fixture::tag(0, {})});
    const Movie m = fixture::readTags(8, tags);
    ASSERT_TRUE(m.ok()) << m.error->describe();
    ASSERT_EQ(m.tags.size(), 3u);
    EXPECT_EQ(m.tags[0].offset, 21u); // prefix 8, rect 9, rate and count 4
    EXPECT_EQ(m.tags[0].length, 0u);
    EXPECT_EQ(m.tags[1].offset, 27u); // after a long-form header of 6 bytes
    EXPECT_EQ(m.tags[1].code, 300);
    EXPECT_EQ(fixture::bodyAt<UnknownTag>(m, 1)->data, (Bytes{1, 2, 3}));
}

TEST(Movie, NotAMovie)
{
    for (const Bytes& file : {Bytes{}, Bytes{'F', 'W', 'S'}, Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0},
                              Bytes{'F', 'W', 'S', 8, 100, 0, 0, 0}}) {
        const Movie m = readMovie(file);
        EXPECT_FALSE(m.headerValid);
        ASSERT_TRUE(m.error);
        EXPECT_FALSE(m.error->tagCode);
        Header h;
        EXPECT_FALSE(readHeader(file, h));
    }
    const Movie missing = readMovieFile("/nonexistent/movie.swf");
    EXPECT_FALSE(missing.headerValid);
    ASSERT_TRUE(missing.error);
}

TEST(Movie, TruncatedFilesKeepTheTagsBeforeTheCut)
{
    const Bytes full = fixture::fws(8, fixture::concat({fixture::tag(1, {}), fixture::tag(2, Bytes(40, 0)), fixture::tag(1, {})}));
    // Cut inside the second tag's body, inside its header, and in the frame header.
    for (std::size_t keep : {full.size() - 10, std::size_t{24}, std::size_t{12}}) {
        SCOPED_TRACE(keep);
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(keep));
        const Movie m = readMovie(cut);
        ASSERT_TRUE(m.error);
        if (keep == 12) {
            EXPECT_FALSE(m.headerValid);
            continue;
        }
        EXPECT_TRUE(m.headerValid);
        if (keep == 24)
            EXPECT_FALSE(m.error->tagCode); // the cut header has no code yet
        else
            EXPECT_EQ(m.error->tagCode, 2);
        EXPECT_EQ(m.error->offset, 23u);
        ASSERT_EQ(m.tags.size(), 1u);
        EXPECT_EQ(m.tags[0].code, 1);
    }
    // The compressed form cut short reads the same way.
    const Bytes zipped = fixture::cws(8, fixture::concat({fixture::tag(1, {}), fixture::tag(2, Bytes(400, 7))}));
    const Movie m = readMovie(Bytes(zipped.begin(), zipped.end() - 8));
    ASSERT_TRUE(m.error);
    EXPECT_EQ(m.tags.size(), 1u);
}

TEST(Movie, DamagedCompressedBodyIsAnErrorNotACrash)
{
    Bytes file = fixture::cws(8, fixture::concat({fixture::tag(1, {}), fixture::tag(2, Bytes(4000, 0)), fixture::tag(0, {})}));
    for (std::size_t i = 20; i < file.size(); i += 3)
        file[i] ^= 0x5A;
    const Movie m = readMovie(file);
    EXPECT_TRUE(m.error);
    Bytes lzma = fixture::zws(13, fixture::concat({fixture::tag(1, {}), fixture::tag(2, Bytes(4000, 1))}));
    for (std::size_t i = 30; i < lzma.size(); i += 5)
        lzma[i] ^= 0xA5;
    EXPECT_TRUE(readMovie(lzma).error);
}

TEST(Movie, SpritesNestUpTo64Deep)
{
    const Movie ok = fixture::readTags(8, sprite(64));
    ASSERT_TRUE(ok.ok()) << ok.error->describe();
    const DefineSprite* s = fixture::bodyAt<DefineSprite>(ok);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->id, 64);
    ASSERT_EQ(s->tags.size(), 2u);
    EXPECT_EQ(s->tags[0].code, 39);
    EXPECT_GT(s->tags[0].offset, ok.tags[0].offset); // offsets stay absolute inside sprites

    const Movie deep = fixture::readTags(8, sprite(65));
    ASSERT_TRUE(deep.error);
    EXPECT_EQ(deep.error->tagCode, 39);
    EXPECT_NE(deep.error->message.find("64"), std::string::npos);
    EXPECT_EQ(deep.tags.size(), 1u); // the outer sprite, with what it read
}

TEST(Movie, BrokenTagInsideASpriteEndsReadingAndKeepsThePartialSprite)
{
    BitWriter w;
    w.u16(1).u16(2).bytes(fixture::concat({fixture::tag(1, {}), fixture::tag(26, {0x02})}));
    const Movie m = fixture::readTags(8, fixture::concat({fixture::tag(39, w.data()), fixture::tag(1, {})}));
    ASSERT_TRUE(m.error);
    EXPECT_EQ(m.error->tagCode, 26);
    ASSERT_EQ(m.tags.size(), 1u);
    EXPECT_EQ(fixture::bodyAt<DefineSprite>(m)->tags.size(), 1u);
    EXPECT_NE(m.error->describe().find("PlaceObject2 (26) at 0x"), std::string::npos);
}

TEST(Movie, BodiesAboveTheLimitAreRefusedWithoutTheirMemory)
{
    // 3 MiB of zeros against a 1 MiB limit, in both compressed forms.
    const Bytes tags = fixture::concat({fixture::tag(87, Bytes(3 << 20, 0)), fixture::tag(0, {})});
    ReadLimits limits;
    limits.maxBodySize = 1 << 20;
    for (const Bytes& file : {fixture::cws(10, tags), fixture::zws(13, tags), fixture::fws(10, tags)}) {
        SCOPED_TRACE(static_cast<char>(file[0]));
        const Movie m = readMovie(file, limits);
        ASSERT_TRUE(m.error);
        EXPECT_NE(m.error->message.find("1 MiB"), std::string::npos);
        EXPECT_TRUE(m.tags.empty());
    }
}

TEST(Movie, DeclaredLengthIsNotTrusted)
{
    // A header claiming 4 GiB over a tiny body reads the body and nothing more.
    Bytes file = fixture::cws(8, sampleTags());
    file[4] = file[5] = file[6] = file[7] = 0xFF;
    const Movie m = readMovie(file);
    ASSERT_TRUE(m.ok()) << m.error->describe();
    EXPECT_EQ(m.header.declaredLength, 0xFFFFFFFFu);
    EXPECT_EQ(m.tags.size(), 4u);
    // The LZMA form takes its end from the declared length; a short claim ends the body early.
    Bytes lz = fixture::zws(13, sampleTags());
    lz[4] = 30;
    lz[5] = lz[6] = lz[7] = 0;
    const Movie s = readMovie(lz);
    EXPECT_TRUE(s.headerValid);
    EXPECT_EQ(s.bodySize, 30u);
}

TEST(Movie, LosslessBitmapsAreValidatedNotInflated)
{
    BitWriter huge;
    huge.u16(1).u8(5).u16(32768).u16(32768).bytes({0x78, 0x9C});
    BitWriter mapped;
    mapped.u16(2).u8(3).u16(3).u16(2).u8(255).bytes({1, 2, 3});
    const Movie m = fixture::readTags(8, fixture::concat({fixture::tag(36, huge.data()), fixture::tag(20, mapped.data())}));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    const DefineBitsLossless* a = fixture::bodyAt<DefineBitsLossless>(m, 0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->version, 2);
    EXPECT_EQ(a->format, LosslessFormat::Rgb32);
    EXPECT_EQ(a->width, 32768);
    EXPECT_EQ(a->expectedDataSize(), 4ull << 30);
    EXPECT_EQ(a->zlibData.size(), 2u);
    const DefineBitsLossless* b = fixture::bodyAt<DefineBitsLossless>(m, 1);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->colorTableSize, 256);
    EXPECT_EQ(b->expectedDataSize(), 256u * 3 + 4 * 2); // rows padded to 4 bytes

    BitWriter bad;
    bad.u16(3).u8(7).u16(1).u16(1);
    const Movie e = fixture::readTags(8, fixture::tag(36, bad.data()));
    ASSERT_TRUE(e.error);
    EXPECT_EQ(e.error->tagCode, 36);
}

TEST(Movie, JpegSoundVideoAndControlTags)
{
    BitWriter jpeg3;
    jpeg3.u16(4).u32(3).bytes({0xFF, 0xD8, 0xFF}).bytes({0x78, 0x01});
    BitWriter jpeg4;
    jpeg4.u16(5).u32(1).u16(0x0100).bytes({0xFF, 0x00});
    BitWriter sound;
    sound.u16(6).ub(2, 4).ub(3, 2).flag(true).flag(false).u32(1152).bytes({1, 2, 3});
    BitWriter start;
    start.u16(6).u8(0x08 | 0x04 | 0x01).u32(10).u16(2).u8(1).u32(0).u16(32768).u16(0);
    BitWriter head;
    head.ub(0, 4).ub(2, 2).flag(true).flag(true).ub(2, 4).ub(2, 2).flag(true).flag(true).u16(576).u16(static_cast<std::uint16_t>(-100));
    BitWriter video;
    video.u16(9).u16(30).u16(320).u16(240).ub(0, 4).ub(1, 3).flag(true).u8(4);
    BitWriter exportAssets;
    exportAssets.u16(1).u16(6).str("snd");
    BitWriter import2;
    import2.str("lib.swf").u8(1).u8(0).u16(1).u16(20).str("Btn");
    BitWriter scenes;
    scenes.u8(1).u8(0).str("Scene 1").u8(2).u8(0).str("a").u8(0x80).u8(0x01).str("b");
    BitWriter abc;
    abc.u32(1).str("frame1").bytes({0x10, 0x00, 0x2E, 0x00});
    BitWriter binary;
    binary.u16(11).u32(0).bytes({9, 9});
    const Movie m = fixture::readTags(10, fixture::concat({
        fixture::tag(35, jpeg3.data()), fixture::tag(90, jpeg4.data()), fixture::tag(14, sound.data()),
        fixture::tag(15, start.data()), fixture::tag(45, head.data()), fixture::tag(60, video.data()),
        fixture::tag(61, {9, 0, 0, 0, 0xAB}), fixture::tag(56, exportAssets.data()), fixture::tag(71, import2.data()),
        fixture::tag(86, scenes.data()), fixture::tag(82, abc.data()), fixture::tag(87, binary.data()),
        fixture::tag(69, {0x08 | 0x01, 0, 0, 0}), fixture::tag(65, {0x00, 0x01, 0x0F, 0x00}),
        fixture::tag(77, {'<', 'x', '/', '>'}), fixture::tag(24, {}), fixture::tag(64, {0, 0, 'p', 0}),
    }));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    std::size_t i = 0;
    const auto* j3 = fixture::bodyAt<DefineBitsJpeg>(m, i++);
    ASSERT_NE(j3, nullptr);
    EXPECT_EQ(j3->imageData.size(), 3u);
    EXPECT_EQ(j3->alphaData, (Bytes{0x78, 0x01}));
    const auto* j4 = fixture::bodyAt<DefineBitsJpeg>(m, i++);
    EXPECT_DOUBLE_EQ(j4->deblocking.toDouble(), 1.0);
    const auto* s = fixture::bodyAt<DefineSound>(m, i++);
    EXPECT_EQ(s->params.format, SoundFormat::Mp3);
    EXPECT_EQ(s->params.sampleRateHz(), 44100);
    EXPECT_TRUE(s->params.is16Bit);
    EXPECT_FALSE(s->params.stereo);
    EXPECT_EQ(s->sampleCount, 1152u);
    const auto* st = fixture::bodyAt<StartSound>(m, i++);
    EXPECT_EQ(st->info.inPoint, 10u);
    EXPECT_EQ(st->info.loopCount, 2);
    ASSERT_EQ(st->info.envelope.size(), 1u);
    EXPECT_EQ(st->info.envelope[0].leftLevel, 32768);
    const auto* h = fixture::bodyAt<SoundStreamHead>(m, i++);
    EXPECT_EQ(h->version, 2);
    EXPECT_EQ(h->samplesPerBlock, 576);
    EXPECT_EQ(h->latencySeek, -100);
    const auto* v = fixture::bodyAt<DefineVideoStream>(m, i++);
    EXPECT_EQ(v->width, 320);
    EXPECT_EQ(v->deblocking, 1);
    EXPECT_TRUE(v->smoothing);
    EXPECT_EQ(v->codec, 4);
    EXPECT_EQ(fixture::bodyAt<VideoFrame>(m, i++)->data, (Bytes{0xAB}));
    EXPECT_EQ(fixture::bodyAt<ExportAssets>(m, i++)->symbols.at(0).name, "snd");
    const auto* imp = fixture::bodyAt<ImportAssets>(m, i++);
    EXPECT_EQ(imp->version, 2);
    EXPECT_EQ(imp->url, "lib.swf");
    EXPECT_EQ(imp->symbols.at(0).id, 20);
    const auto* sc = fixture::bodyAt<DefineSceneAndFrameLabelData>(m, i++);
    ASSERT_EQ(sc->frameLabels.size(), 2u);
    EXPECT_EQ(sc->frameLabels[1].frame, 128u);
    EXPECT_EQ(sc->scenes.at(0).name, "Scene 1");
    const auto* a = fixture::bodyAt<DoAbc>(m, i++);
    EXPECT_TRUE(a->lazyInitialize);
    EXPECT_EQ(a->name, "frame1");
    EXPECT_EQ(a->abc.size(), 4u);
    EXPECT_EQ(fixture::bodyAt<DefineBinaryData>(m, i++)->data, (Bytes{9, 9}));
    const auto* fa = fixture::bodyAt<FileAttributes>(m, i++);
    EXPECT_TRUE(fa->actionScript3);
    EXPECT_TRUE(fa->useNetwork);
    EXPECT_FALSE(fa->hasMetadata);
    EXPECT_EQ(fixture::bodyAt<ScriptLimits>(m, i++)->maxRecursionDepth, 256);
    EXPECT_EQ(fixture::bodyAt<Metadata>(m, i++)->xml, "<x/>");
    EXPECT_EQ(fixture::bodyAt<Protect>(m, i++)->passwordHash, "");
    EXPECT_EQ(fixture::bodyAt<EnableDebugger>(m, i++)->passwordHash, "p");
}

TEST(Movie, UncompressedFormOfCompressedMovies)
{
    const Bytes plain = fixture::fws(10, sampleTags(), 3);
    for (const Bytes& file : {fixture::cws(10, sampleTags(), 3), fixture::zws(10, sampleTags(), 3), plain}) {
        Bytes out;
        ASSERT_TRUE(uncompressMovie(file, out));
        EXPECT_EQ(out, plain);
    }
    Bytes out;
    EXPECT_FALSE(uncompressMovie(Bytes{'X', 'W', 'S', 1, 0, 0, 0, 0}, out));
}
