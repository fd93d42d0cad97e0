// Display-list semantics, gotoFrame in both directions, labels, looping.
#include "MovieBuilder.h"

#include "swf/player/MovieStage.h"

#include <gtest/gtest.h>

using namespace moviebuilder;
using swf::player::DisplayObject;
using swf::player::FrameIndex;
using swf::player::MovieStage;
using swf::player::Timeline;

namespace {

const DisplayObject* at(const Timeline& t, std::uint16_t depth)
{
    const auto it = t.displayList().find(depth);
    return it == t.displayList().end() ? nullptr : it->second.get();
}

int x(const Timeline& t, std::uint16_t depth)
{
    const DisplayObject* o = at(t, depth);
    return o ? o->placement.matrix.translateX.value : -1;
}

std::vector<std::uint16_t> depths(const Timeline& t)
{
    std::vector<std::uint16_t> out;
    for (const auto& [d, o] : t.displayList())
        out.push_back(d);
    return out;
}

} // namespace

TEST(FrameIndexTest, FramesFollowShowFrameAndTheDeclaredCount)
{
    struct Case {
        const char* what;
        std::vector<Tag> tags;
        int declared;
        int frames;
    };
    const Case cases[] = {
        {"two shown frames", {shape(1), showFrame(), showFrame(), tag(End{})}, 2, 2},
        {"declared count longer than the tags", {showFrame(), tag(End{})}, 5, 5},
        {"declared count shorter than the tags", {showFrame(), showFrame(), showFrame()}, 2, 2},
        {"no count: what is there, trailing tags make a frame", {showFrame(), shape(1)}, 0, 2},
        {"nothing at all still has one frame", {}, 0, 1},
    };
    for (const Case& c : cases) {
        const FrameIndex index(c.tags, c.declared);
        EXPECT_EQ(index.count(), c.frames) << c.what;
        for (int f = 0; f < index.count(); ++f)
            EXPECT_LE(index.first(f), index.last(f)) << c.what;
    }
}

TEST(DisplayListTest, PlaceMoveReplaceRemove)
{
    const Movie m = movie(4, {shape(1), shape(2), place(1, 1, 10), place(2, 1, 20), showFrame(),
                              move(1, 15, 0), remove(2), showFrame(),
                              // move with a character: same object, new character
                              placeTag([] {
                                  PlaceObject p;
                                  p.version = 2;
                                  p.depth = 1;
                                  p.move = true;
                                  p.characterId = 2;
                                  return p;
                              }()),
                              showFrame(),
                              // a new place on a taken depth replaces the object
                              place(1, 1, 99), showFrame()});
    MovieStage stage(m);
    stage.start();
    Timeline& root = stage.root();
    EXPECT_EQ(depths(root), (std::vector<std::uint16_t>{1, 2}));
    const std::uint64_t first = at(root, 1)->serial;

    stage.advanceFrame();
    EXPECT_EQ(depths(root), (std::vector<std::uint16_t>{1}));
    EXPECT_EQ(x(root, 1), 15);
    EXPECT_EQ(at(root, 1)->serial, first);

    stage.advanceFrame();
    EXPECT_EQ(at(root, 1)->placement.characterId, 2);
    EXPECT_EQ(x(root, 1), 15) << "replacing keeps the matrix";
    EXPECT_EQ(at(root, 1)->serial, first);

    stage.advanceFrame();
    EXPECT_EQ(at(root, 1)->placement.characterId, 1);
    EXPECT_EQ(x(root, 1), 99);
    EXPECT_NE(at(root, 1)->serial, first);
}

TEST(DisplayListTest, EveryPlaceObjectFieldReachesTheScene)
{
    PlaceObject p;
    p.version = 3;
    p.depth = 3;
    p.characterId = 1;
    p.matrix = Matrix{Fixed16::fromDouble(2), Fixed16::fromDouble(0.5), {}, {}, Twips{40}, Twips{60}};
    ColorTransform cx;
    cx.redMult = Fixed8::fromDouble(0.5);
    cx.alphaAdd = -10;
    p.colorTransform = cx;
    p.ratio = 32768;
    p.name = "inst";
    p.clipDepth = 7;
    p.filters = std::vector<Filter>{BlurFilter{Fixed16::fromDouble(4), Fixed16::fromDouble(4), 1}};
    p.blendMode = BlendMode::Multiply;
    p.cacheAsBitmap = true;
    p.visible = false;
    p.backgroundColor = Rgba{1, 2, 3, 255};
    const Movie m = movie(1, {shape(1), placeTag(p), showFrame()});
    MovieStage stage(m);
    stage.start();
    DisplayNode root;
    stage.buildScene(root);
    ASSERT_EQ(root.children.size(), 1u);
    const DisplayNode& n = root.children[0];
    EXPECT_EQ(n.depth, 3);
    EXPECT_EQ(n.characterId, 1);
    ASSERT_NE(n.character, nullptr);
    EXPECT_TRUE(std::holds_alternative<DefineShape>(*n.character));
    EXPECT_EQ(n.matrix, *p.matrix);
    EXPECT_EQ(n.colorTransform, cx);
    EXPECT_EQ(n.ratio, 32768);
    EXPECT_EQ(n.clipDepth, 7);
    EXPECT_EQ(n.blendMode, BlendMode::Multiply);
    EXPECT_EQ(n.filters.size(), 1u);
    EXPECT_FALSE(n.visible);
    EXPECT_TRUE(n.cacheAsBitmap);
    ASSERT_TRUE(n.opaqueBackground.has_value());
    EXPECT_EQ(*n.opaqueBackground, (Rgba{1, 2, 3, 255}));
    EXPECT_NE(stage.root().childByName("INST"), nullptr) << "instance names compare without case";
}

TEST(DisplayListTest, MoveKeepsAbsentFieldsAndBlendModeOneIsNormal)
{
    PlaceObject first;
    first.version = 3;
    first.depth = 1;
    first.characterId = 1;
    first.ratio = 100;
    first.blendMode = BlendMode::Screen;
    PlaceObject second;
    second.version = 3;
    second.depth = 1;
    second.move = true;
    second.blendMode = BlendMode{1};
    const Movie m = movie(2, {shape(1), placeTag(first), showFrame(), placeTag(second), showFrame()});
    MovieStage stage(m);
    stage.start();
    EXPECT_EQ(at(stage.root(), 1)->placement.blendMode, BlendMode::Screen);
    stage.advanceFrame();
    EXPECT_EQ(at(stage.root(), 1)->placement.ratio, 100);
    EXPECT_EQ(at(stage.root(), 1)->placement.blendMode, BlendMode::Normal);
}

TEST(DisplayListTest, UnknownCharacterIsLeftOutOfTheScene)
{
    const Movie m = movie(1, {shape(1), place(1, 1), place(2, 42), showFrame()});
    MovieStage stage(m);
    stage.start();
    DisplayNode root;
    stage.buildScene(root);
    ASSERT_EQ(root.children.size(), 1u);
    EXPECT_EQ(root.children[0].characterId, 1);
}

// Frame 0 places A at depth 1 and B at depth 2; frame 1 moves A; frame 2 removes B and
// places C at depth 2 anew; frame 3 removes A and places A again at depth 1.
class GotoTest : public ::testing::Test {
protected:
    Movie m = movie(4, {shape(1), shape(2), shape(3), place(1, 1, 0), place(2, 2, 0), showFrame(),
                        move(1, 50, 0), showFrame(),
                        remove(2), place(2, 3, 0), showFrame(),
                        remove(1), place(1, 1, 7), showFrame()});
    MovieStage stage{m};
    void SetUp() override { stage.start(); }
};

TEST_F(GotoTest, ForwardRunsTheSkippedFramesDisplayTags)
{
    Timeline& root = stage.root();
    const std::uint64_t a = at(root, 1)->serial;
    root.gotoFrame(2);
    EXPECT_EQ(root.currentFrame(), 2);
    EXPECT_EQ(x(root, 1), 50);
    EXPECT_EQ(at(root, 1)->serial, a) << "same placement: the object is kept";
    EXPECT_EQ(at(root, 2)->placement.characterId, 3);
}

TEST_F(GotoTest, BackwardRebuildsButKeepsObjectsWhosePlacementStays)
{
    Timeline& root = stage.root();
    const std::uint64_t a = at(root, 1)->serial;
    const std::uint64_t b = at(root, 2)->serial;
    root.gotoFrame(1);
    root.gotoFrame(0);
    EXPECT_EQ(x(root, 1), 0) << "properties return to the frame's own";
    EXPECT_EQ(at(root, 1)->serial, a);
    EXPECT_EQ(at(root, 2)->serial, b);

    root.gotoFrame(2);
    const std::uint64_t c = at(root, 2)->serial;
    EXPECT_NE(c, b);
    root.gotoFrame(1);
    EXPECT_EQ(at(root, 2)->placement.characterId, 2);
    EXPECT_NE(at(root, 2)->serial, c) << "B comes back as a new object";
    EXPECT_EQ(at(root, 1)->serial, a);
}

TEST_F(GotoTest, SameCharacterPlacedAgainIsANewObject)
{
    Timeline& root = stage.root();
    const std::uint64_t a = at(root, 1)->serial;
    root.gotoFrame(3);
    EXPECT_NE(at(root, 1)->serial, a) << "removed and placed again, even with the same character";
    EXPECT_EQ(x(root, 1), 7);
    const std::uint64_t a2 = at(root, 1)->serial;
    root.gotoFrame(1);
    EXPECT_NE(at(root, 1)->serial, a2) << "the frame-0 placement is a different one";
    EXPECT_EQ(x(root, 1), 50);
}

TEST_F(GotoTest, ClampsAndIgnoresTheCurrentFrame)
{
    Timeline& root = stage.root();
    root.gotoFrame(-5);
    EXPECT_EQ(root.currentFrame(), 0);
    root.gotoFrame(99);
    EXPECT_EQ(root.currentFrame(), 3);
    const std::uint64_t a = at(root, 1)->serial;
    root.gotoFrame(3);
    EXPECT_EQ(at(root, 1)->serial, a);
}

TEST_F(GotoTest, LoopingBackKeepsPersistentObjects)
{
    Timeline& root = stage.root();
    for (int i = 0; i < 3; ++i)
        stage.advanceFrame();
    EXPECT_EQ(root.currentFrame(), 3);
    stage.advanceFrame();
    EXPECT_EQ(root.currentFrame(), 0);
    EXPECT_EQ(x(root, 1), 0);
    EXPECT_EQ(at(root, 2)->placement.characterId, 2);
}

TEST(GotoSpriteTest, KeptSpriteKeepsPlayingAndReplacedSpriteRestarts)
{
    // Sprite 10 counts 5 frames; the root places it at frame 0 and again (new
    // placement) at frame 2.
    const Movie m = movie(3, {sprite(10, 5, {showFrame(), showFrame(), showFrame(), showFrame(), showFrame()}),
                              place(1, 10), showFrame(), showFrame(), remove(1), place(1, 10), showFrame()});
    MovieStage stage(m);
    stage.start();
    Timeline& root = stage.root();
    ASSERT_NE(at(root, 1)->sprite, nullptr);
    EXPECT_EQ(at(root, 1)->sprite->currentFrame(), 0);
    stage.advanceFrame(); // root 1, sprite 1
    EXPECT_EQ(at(root, 1)->sprite->currentFrame(), 1);
    root.stop();
    root.gotoFrame(0);
    EXPECT_EQ(at(root, 1)->sprite->currentFrame(), 1) << "same placement: the sprite is untouched";
    stage.advanceFrame(); // root stopped; sprites still run
    EXPECT_EQ(root.currentFrame(), 0);
    EXPECT_EQ(at(root, 1)->sprite->currentFrame(), 2);
    root.gotoFrame(2);
    EXPECT_EQ(at(root, 1)->sprite->currentFrame(), 0) << "a new placement starts at its first frame";
}

TEST(GotoSpriteTest, SpritesLoopOnTheirOwn)
{
    const Movie m = movie(1, {sprite(10, 2, {showFrame(), showFrame()}), place(1, 10), showFrame()});
    MovieStage stage(m);
    stage.start();
    Timeline& s = *at(stage.root(), 1)->sprite;
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        stage.advanceFrame();
        seen.push_back(s.currentFrame());
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 1, 0}));
}

TEST(LabelTest, LabelsMapToFramesWithoutCase)
{
    const Movie m = movie(3, {showFrame(), label("Intro"), showFrame(), label("end"), showFrame()});
    MovieStage stage(m);
    stage.start();
    EXPECT_EQ(stage.root().labelFrame("intro"), 1);
    EXPECT_EQ(stage.root().labelFrame("END"), 2);
    EXPECT_FALSE(stage.root().labelFrame("missing").has_value());
}

TEST(DictionaryTest, FirstDefinitionWinsAndExtrasAreCollected)
{
    DefineButtonCxform cx;
    cx.buttonId = 5;
    cx.colorTransform.redAdd = 9;
    DefineScalingGrid grid;
    grid.characterId = 4;
    grid.splitter = Rect{Twips{20}, Twips{40}, Twips{20}, Twips{60}};
    const Movie m = movie(2, {shape(1), tag(SetBackgroundColor{Rgba{1, 2, 3, 255}}), showFrame(), shape(1), shape(4),
                              tag(cx), tag(grid), tag(SetBackgroundColor{Rgba{9, 9, 9, 255}}), showFrame()});
    const auto dict = swf::player::buildDictionary(m);
    EXPECT_EQ(dict.library.characters.size(), 2u);
    EXPECT_EQ(dict.library.find(1), &m.tags[0].body);
    EXPECT_NE(dict.library.find(4), nullptr);
    ASSERT_TRUE(dict.background.has_value());
    EXPECT_EQ(dict.background->r, 1);
    EXPECT_EQ(dict.buttonColorTransforms.at(5).redAdd, 9);
    ASSERT_NE(dict.library.scalingGrid(4), nullptr);
    EXPECT_EQ(*dict.library.scalingGrid(4), grid.splitter);
    EXPECT_EQ(dict.library.scalingGrid(1), nullptr);
}

TEST(BackgroundTest, OnlyTheFirstBackgroundColourThatRunsCounts)
{
    const Movie m = movie(3, {showFrame(), tag(SetBackgroundColor{Rgba{1, 2, 3, 255}}),
                              tag(SetBackgroundColor{Rgba{5, 5, 5, 255}}), showFrame(),
                              tag(SetBackgroundColor{Rgba{9, 9, 9, 255}}), showFrame()});
    MovieStage stage(m);
    stage.start();
    EXPECT_FALSE(stage.background().has_value());
    stage.advanceFrame();
    EXPECT_EQ(stage.background()->r, 1);
    stage.advanceFrame();
    EXPECT_EQ(stage.background()->r, 1);
}

TEST(DisplayListTest, MovesOfEmptyDepthsAndReplacesThatPlace)
{
    PlaceObject replace;
    replace.version = 2;
    replace.depth = 4;
    replace.move = true;
    replace.characterId = 1;
    const Movie m = movie(1, {shape(1), move(3, 10, 10), placeTag(replace), showFrame()});
    MovieStage stage(m);
    stage.start();
    EXPECT_EQ(depths(stage.root()), (std::vector<std::uint16_t>{4}));
}

TEST_F(GotoTest, ObjectsPlacedByScriptsSurviveGotos)
{
    Timeline& root = stage.root();
    auto scripted = std::make_unique<DisplayObject>(stage);
    scripted->depth = 2000;
    scripted->placement.characterId = 3; // no placing tag
    const std::uint64_t serial = scripted->serial;
    root.displayList().emplace(2000, std::move(scripted));
    root.gotoFrame(3);
    root.gotoFrame(0);
    ASSERT_NE(at(root, 2000), nullptr);
    EXPECT_EQ(at(root, 2000)->serial, serial);
}
