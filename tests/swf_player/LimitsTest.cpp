// Hostile movies: sprites that contain themselves, huge display lists. They are cut and
// the rest of the movie still plays.
#include "MovieBuilder.h"

#include "swf/player/MovieStage.h"

#include <gtest/gtest.h>

using namespace moviebuilder;
using swf::player::MovieStage;
using swf::player::StageLimits;

TEST(LimitsTest, SpriteThatPlacesItselfIsCutAtTheNestingLimit)
{
    const Movie m = movie(2, {shape(1), sprite(10, 1, {place(1, 10), showFrame()}), place(1, 10), place(2, 1),
                              showFrame(), showFrame()});
    StageLimits limits;
    limits.maxNesting = 16;
    MovieStage stage(m, limits);
    stage.start();
    stage.advanceFrame();
    EXPECT_GT(stage.limitCuts(), 0);
    EXPECT_LE(stage.liveObjects(), 40);
    EXPECT_EQ(stage.root().displayList().count(2), 1u) << "the rest of the movie is still there";
    DisplayNode root;
    stage.buildScene(root);
    EXPECT_EQ(root.children.size(), 2u);
}

TEST(LimitsTest, SpritesThatDoubleEachLevelAreCutByTheObjectLimit)
{
    const Movie m = movie(1, {shape(1), sprite(10, 1, {place(1, 10), place(2, 10), place(3, 1), showFrame()}),
                              place(1, 1), place(2, 10), showFrame()});
    StageLimits limits;
    limits.maxObjects = 5000;
    MovieStage stage(m, limits);
    stage.start();
    EXPECT_LE(stage.liveObjects(), 5000);
    EXPECT_GT(stage.limitCuts(), 0);
    for (int i = 0; i < 3; ++i)
        stage.advanceFrame();
    EXPECT_EQ(stage.root().displayList().count(1), 1u);
}

TEST(LimitsTest, ButtonWhoseStateHoldsItselfIsCut)
{
    DefineButton b;
    b.version = 2;
    b.id = 20;
    ButtonRecord r;
    r.characterId = 20;
    r.up = r.over = r.down = r.hitTest = true;
    b.records = {r};
    const Movie m = movie(1, {tag(b), place(1, 20), showFrame()});
    MovieStage stage(m);
    stage.start();
    EXPECT_GT(stage.limitCuts(), 0);
    DisplayNode root;
    stage.buildScene(root);
    EXPECT_EQ(root.children.size(), 1u);
}

TEST(LimitsTest, ObjectCountReturnsToZeroWhenEverythingIsRemoved)
{
    const Movie m = movie(2, {shape(1), sprite(10, 1, {place(1, 1), place(2, 1), showFrame()}), place(1, 10),
                              showFrame(), remove(1), showFrame()});
    MovieStage stage(m);
    stage.start();
    EXPECT_EQ(stage.liveObjects(), 3);
    stage.advanceFrame();
    EXPECT_EQ(stage.liveObjects(), 0);
}

TEST(LimitsTest, MasksStackedInsideOneAnotherAreCut)
{
    // Thousands of masks, each covering every depth above it.
    std::vector<Tag> tags{shape(1)};
    for (std::uint16_t d = 1; d <= 3000; ++d) {
        PlaceObject p;
        p.version = 2;
        p.depth = d;
        p.characterId = 1;
        p.clipDepth = 65535;
        tags.push_back(placeTag(p));
    }
    tags.push_back(place(4000, 1));
    tags.push_back(showFrame());
    const Movie m = movie(1, std::move(tags));
    MovieStage stage(m);
    stage.start();
    DisplayNode root;
    stage.buildScene(root);
    EXPECT_LE(root.children.size(), 17u);
    EXPECT_EQ(root.children.back().depth, 4000) << "what the masks cover is still there";
}

TEST(LimitsTest, MasksSideBySideAreNotCut)
{
    std::vector<Tag> tags{shape(1)};
    for (std::uint16_t d = 1; d <= 100; d += 2) {
        PlaceObject p;
        p.version = 2;
        p.depth = d;
        p.characterId = 1;
        p.clipDepth = static_cast<std::uint16_t>(d + 1);
        tags.push_back(placeTag(p));
        tags.push_back(place(static_cast<std::uint16_t>(d + 1), 1));
    }
    tags.push_back(showFrame());
    const Movie m = movie(1, std::move(tags));
    MovieStage stage(m);
    stage.start();
    DisplayNode root;
    stage.buildScene(root);
    EXPECT_EQ(root.children.size(), 100u);
}
