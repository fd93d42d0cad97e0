// Placing objects: PlaceObject3 with every filter, clip actions of both widths, buttons.
#include "swf/format/Reader.h"
#include "tests/swf_format/FixtureWriter.h"

#include <gtest/gtest.h>

using namespace swf;
using fixture::BitWriter;

namespace {

// Filter fields shared by the shadow-like filters.
void writeBlurAngleDistance(BitWriter& w)
{
    w.u32(0x48000).u32(0x20000).u32(0xC90F).u32(0x40000); // 4.5, 2, ~0.785 rad, 4
}

} // namespace

TEST(DisplayList, PlaceObject3WithEveryFilterBlendCacheVisibilityAndBackground)
{
    BitWriter w;
    // Character, matrix, colour transform, name; class name, cache, blend, filters, visible, background.
    w.u8(0x02 | 0x04 | 0x08 | 0x20).u8(0x40 | 0x20 | 0x08 | 0x04 | 0x02 | 0x01).u16(5);
    w.str("Ball").u16(17).translate(100, 200, 10);
    w.flag(true).flag(true).ub(9, 4).sb(128, 9).sb(256, 9).sb(256, 9).sb(64, 9);
    w.sb(10, 9).sb(0, 9).sb(0, 9).sb(-10, 9).align();
    w.str("ball1");
    w.u8(7);
    w.u8(0).rgba(0, 0, 0, 128);                 // drop shadow
    writeBlurAngleDistance(w);
    w.u16(0x0180).ub(1, 1).ub(0, 1).ub(1, 1).ub(3, 5);
    w.u8(1).u32(0x50000).u32(0x60000).ub(2, 5).ub(0, 3); // blur
    w.u8(2).rgba(255, 0, 0, 255).u32(0x10000).u32(0x10000).u16(0x0200).ub(0, 1).ub(1, 1).ub(0, 1).ub(1, 5); // glow
    w.u8(3).rgba(1, 1, 1, 1).rgba(2, 2, 2, 2);     // bevel
    writeBlurAngleDistance(w);
    w.u16(0x0100).ub(1, 1).ub(0, 1).ub(1, 1).ub(1, 1).ub(2, 4);
    w.u8(4).u8(2).rgba(0, 0, 0, 0).rgba(255, 255, 255, 255).u8(0).u8(255); // gradient glow
    writeBlurAngleDistance(w);
    w.u16(0x0100).ub(0, 1).ub(0, 1).ub(0, 1).ub(1, 1).ub(1, 4);
    w.u8(5).u8(3).u8(1).f32(2.0f).f32(0.5f).f32(1).f32(2).f32(3).rgba(9, 9, 9, 9).ub(0, 6).ub(1, 1).ub(0, 1); // convolution
    w.u8(6);                                        // colour matrix
    for (int i = 0; i < 20; ++i)
        w.f32(static_cast<float>(i));
    w.u8(3);                                        // blend: multiply
    w.u8(1);                                        // cache as bitmap
    w.u8(0);                                        // invisible
    w.rgba(10, 20, 30, 255);                        // opaque background
    const Movie m = fixture::readTags(10, fixture::tag(70, w.data()));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    const PlaceObject* p = fixture::bodyAt<PlaceObject>(m);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->version, 3);
    EXPECT_EQ(p->depth, 5);
    EXPECT_FALSE(p->move);
    EXPECT_EQ(p->className, "Ball");
    EXPECT_EQ(p->characterId, 17);
    EXPECT_EQ(p->matrix->translateY.value, 200);
    EXPECT_EQ(p->colorTransform->redMult.raw, 128);
    EXPECT_EQ(p->colorTransform->alphaAdd, -10);
    EXPECT_EQ(p->name, "ball1");
    EXPECT_FALSE(p->ratio);
    EXPECT_FALSE(p->clipDepth);
    EXPECT_EQ(p->blendMode, BlendMode::Multiply);
    EXPECT_EQ(p->cacheAsBitmap, true);
    EXPECT_EQ(p->visible, false);
    EXPECT_EQ(p->backgroundColor, (Rgba{10, 20, 30, 255}));
    ASSERT_TRUE(p->filters);
    const std::vector<Filter>& f = *p->filters;
    ASSERT_EQ(f.size(), 7u);

    const auto& shadow = std::get<DropShadowFilter>(f[0]);
    EXPECT_EQ(shadow.color.a, 128);
    EXPECT_DOUBLE_EQ(shadow.blurX.toDouble(), 4.5);
    EXPECT_DOUBLE_EQ(shadow.distance.toDouble(), 4.0);
    EXPECT_DOUBLE_EQ(shadow.strength.toDouble(), 1.5);
    EXPECT_TRUE(shadow.inner);
    EXPECT_FALSE(shadow.knockout);
    EXPECT_TRUE(shadow.compositeSource);
    EXPECT_EQ(shadow.passes, 3);
    const auto& blur = std::get<BlurFilter>(f[1]);
    EXPECT_DOUBLE_EQ(blur.blurY.toDouble(), 6.0);
    EXPECT_EQ(blur.passes, 2);
    const auto& glow = std::get<GlowFilter>(f[2]);
    EXPECT_EQ(glow.color.r, 255);
    EXPECT_DOUBLE_EQ(glow.strength.toDouble(), 2.0);
    EXPECT_TRUE(glow.knockout);
    const auto& bevel = std::get<BevelFilter>(f[3]);
    EXPECT_EQ(bevel.shadowColor.r, 1);
    EXPECT_EQ(bevel.highlightColor.r, 2);
    EXPECT_TRUE(bevel.onTop);
    EXPECT_EQ(bevel.passes, 2);
    const auto& gradient = std::get<GradientFilter>(f[4]);
    EXPECT_FALSE(gradient.bevel);
    ASSERT_EQ(gradient.colors.size(), 2u);
    EXPECT_EQ(gradient.ratios[1], 255);
    EXPECT_TRUE(gradient.onTop);
    const auto& conv = std::get<ConvolutionFilter>(f[5]);
    EXPECT_EQ(conv.matrixX, 3);
    EXPECT_EQ(conv.matrix, (std::vector<float>{1, 2, 3}));
    EXPECT_FLOAT_EQ(conv.divisor, 2.0f);
    EXPECT_TRUE(conv.clamp);
    EXPECT_FALSE(conv.preserveAlpha);
    const auto& cm = std::get<ColorMatrixFilter>(f[6]);
    EXPECT_FLOAT_EQ(cm.matrix[19], 19.0f);
}

TEST(DisplayList, UnknownFilterOrOversizedConvolutionIsAnError)
{
    for (const Bytes& filter : {Bytes{0x09}, Bytes{0x05, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0}}) {
        BitWriter w;
        w.u8(0x02).u8(0x01).u16(1).u16(2).bytes({0x01}).bytes(filter);
        const Movie m = fixture::readTags(10, fixture::tag(70, w.data()));
        ASSERT_TRUE(m.error);
        EXPECT_EQ(m.error->tagCode, 70);
        EXPECT_TRUE(m.tags.empty());
    }
}

TEST(DisplayList, ClipActionsUse32BitEventsFromVersion6And16BitBefore)
{
    const Bytes actions = {0x07, 0x00}; // Stop, End
    BitWriter v6;
    v6.u8(0x80 | 0x02).u16(1).u16(3);
    v6.u16(0).u32(ClipEvent::KeyPress | ClipEvent::EnterFrame);
    v6.u32(ClipEvent::KeyPress).u32(3).u8(13).bytes(actions);
    v6.u32(ClipEvent::EnterFrame).u32(2).bytes(actions);
    v6.u32(0);
    const Movie m6 = fixture::readTags(6, fixture::tag(26, v6.data()));
    ASSERT_TRUE(m6.ok()) << m6.error->describe();
    const PlaceObject* p = fixture::bodyAt<PlaceObject>(m6);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->clipActions.size(), 2u);
    EXPECT_EQ(p->clipActions[0].events, ClipEvent::KeyPress);
    EXPECT_EQ(p->clipActions[0].keyCode, 13);
    EXPECT_EQ(p->clipActions[0].actions.bytes, actions);
    ASSERT_EQ(p->clipActions[0].actions.actions.size(), 2u);
    EXPECT_EQ(p->clipActions[1].events, ClipEvent::EnterFrame);
    EXPECT_EQ(p->clipActions[1].keyCode, 0);

    BitWriter v5;
    v5.u8(0x80 | 0x02).u16(1).u16(3);
    v5.u16(0).u16(static_cast<std::uint16_t>(ClipEvent::Load | ClipEvent::Press));
    v5.u16(static_cast<std::uint16_t>(ClipEvent::Load | ClipEvent::Press)).u32(2).bytes(actions);
    v5.u16(0);
    const Movie m5 = fixture::readTags(5, fixture::tag(26, v5.data()));
    ASSERT_TRUE(m5.ok()) << m5.error->describe();
    p = fixture::bodyAt<PlaceObject>(m5);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->clipActions.size(), 1u);
    EXPECT_EQ(p->clipActions[0].events, ClipEvent::Load | ClipEvent::Press);

    // A clip action claiming more bytes than the tag has is an error.
    BitWriter bad;
    bad.u8(0x80 | 0x02).u16(1).u16(3).u16(0).u32(1).u32(1).u32(100).bytes(actions);
    const Movie mb = fixture::readTags(6, fixture::tag(26, bad.data()));
    ASSERT_TRUE(mb.error);
    EXPECT_EQ(mb.error->tagCode, 26);
}

TEST(DisplayList, PlaceAndRemoveObjectVersions)
{
    BitWriter p1;
    p1.u16(4).u16(9).translate(20, 20, 8).flag(false).flag(true).ub(9, 4).sb(128, 9).sb(128, 9).sb(128, 9).align();
    BitWriter p2;
    p2.u8(0x01 | 0x10 | 0x40).u16(9).u16(3).u16(12); // move, ratio, clip depth
    const Movie m = fixture::readTags(5, fixture::concat({fixture::tag(4, p1.data()), fixture::tag(26, p2.data()),
                                                          fixture::tag(5, {4, 0, 9, 0}), fixture::tag(28, {9, 0})}));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    const PlaceObject* a = fixture::bodyAt<PlaceObject>(m, 0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->characterId, 4);
    EXPECT_EQ(a->colorTransform->greenMult.raw, 128);
    EXPECT_EQ(a->colorTransform->alphaMult.raw, 256);
    const PlaceObject* b = fixture::bodyAt<PlaceObject>(m, 1);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->move);
    EXPECT_FALSE(b->characterId);
    EXPECT_EQ(b->ratio, 3);
    EXPECT_EQ(b->clipDepth, 12);
    EXPECT_EQ(fixture::bodyAt<RemoveObject>(m, 2)->characterId, 4);
    EXPECT_EQ(fixture::bodyAt<RemoveObject>(m, 3)->version, 2);
    EXPECT_EQ(fixture::bodyAt<RemoveObject>(m, 3)->depth, 9);
}

TEST(DisplayList, DefineButton2RecordsConditionsAndActions)
{
    BitWriter w;
    w.u16(20).u8(0x01);
    BitWriter records;
    // Up and over state with a blend mode and one blur filter; hit state plain.
    records.u8(0x20 | 0x10 | 0x02 | 0x01).u16(3).u16(1).identity().u8(0);
    records.u8(1).u8(1).u32(0x10000).u32(0x10000).ub(1, 5).ub(0, 3).u8(12);
    records.u8(0x08).u16(4).u16(2).identity().u8(0);
    records.u8(0);
    w.u16(static_cast<std::uint16_t>(2 + records.size())).bytes(records.data());
    const Bytes play = {0x06, 0x00};
    // First: OverDownToOverUp, size 6; second: key press 'A' (65), last.
    w.u16(6).u16(ButtonCondition::OverDownToOverUp).bytes(play);
    w.u16(0).u16(static_cast<std::uint16_t>(65 << 9)).bytes(play);
    BitWriter cx;
    cx.u16(20).flag(false).flag(true).ub(10, 4).sb(256, 10).sb(0, 10).sb(0, 10).align();
    BitWriter snd;
    snd.u16(20).u16(0).u16(7).u8(0x04).u16(3).u16(0).u16(0);
    const Movie m = fixture::readTags(8, fixture::concat({fixture::tag(34, w.data()), fixture::tag(23, cx.data()),
                                                          fixture::tag(17, snd.data())}));
    ASSERT_TRUE(m.ok()) << m.error->describe();
    const DefineButton* b = fixture::bodyAt<DefineButton>(m, 0);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->trackAsMenu);
    ASSERT_EQ(b->records.size(), 2u);
    EXPECT_TRUE(b->records[0].up);
    EXPECT_TRUE(b->records[0].over);
    EXPECT_FALSE(b->records[0].hitTest);
    EXPECT_EQ(b->records[0].blendMode, BlendMode::Erase);
    ASSERT_EQ(b->records[0].filters.size(), 1u);
    EXPECT_TRUE(b->records[1].hitTest);
    ASSERT_EQ(b->actions.size(), 2u);
    EXPECT_EQ(b->actions[0].conditions, ButtonCondition::OverDownToOverUp);
    EXPECT_EQ(b->actions[0].actions.bytes, play);
    EXPECT_EQ(b->actions[1].conditions, 0);
    EXPECT_EQ(b->actions[1].keyCode, 65);
    const DefineButtonCxform* c = fixture::bodyAt<DefineButtonCxform>(m, 1);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->colorTransform.redMult.raw, 256);
    EXPECT_EQ(c->colorTransform.greenMult.raw, 0);
    const DefineButtonSound* s = fixture::bodyAt<DefineButtonSound>(m, 2);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->sounds[0].soundId, 0);
    EXPECT_EQ(s->sounds[1].soundId, 7);
    EXPECT_EQ(s->sounds[1].info.loopCount, 3);
}
