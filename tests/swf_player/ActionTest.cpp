// The simple actions in frame scripts: frame control, labels, wait-for-frame, set target,
// get URL, quality; unknown actions are skipped.
#include "MovieBuilder.h"

#include "swf/player/MovieStage.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace moviebuilder;
using swf::player::MovieStage;
using swf::player::Timeline;

TEST(ActionTest, StopOnTheLastFrameStopsTheMovie)
{
    const Movie m = movie(3, {showFrame(), showFrame(), doAction({act(ActionCode::Stop)}), showFrame()});
    MovieStage stage(m);
    stage.start();
    for (int i = 0; i < 5; ++i)
        stage.advanceFrame();
    EXPECT_EQ(stage.root().currentFrame(), 2);
    EXPECT_FALSE(stage.root().isPlaying());
}

TEST(ActionTest, WithoutStopTheMovieLoops)
{
    const Movie m = movie(3, {showFrame(), showFrame(), showFrame()});
    MovieStage stage(m);
    stage.start();
    std::vector<int> seen;
    for (int i = 0; i < 4; ++i) {
        stage.advanceFrame();
        seen.push_back(stage.root().currentFrame());
    }
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 0, 1}));
}

TEST(ActionTest, FrameControlActions)
{
    struct Case {
        const char* what;
        std::vector<Action> script; // runs in frame 1 (index 0)
        int frameAfterStart;
        bool playing;
    };
    const Case cases[] = {
        {"goto frame stops there", {act(ActionCode::GotoFrame, ActionGotoFrame{3})}, 3, false},
        {"goto frame then play", {act(ActionCode::GotoFrame, ActionGotoFrame{2}), act(ActionCode::Play)}, 2, true},
        {"goto label", {act(ActionCode::GotoLabel, ActionGotoLabel{"FOUR"})}, 4, false},
        {"goto a missing label does nothing", {act(ActionCode::GotoLabel, ActionGotoLabel{"nowhere"})}, 0, true},
        {"next frame stops", {act(ActionCode::NextFrame)}, 1, false},
        {"previous frame at the first frame", {act(ActionCode::PreviousFrame)}, 0, false},
        {"stop", {act(ActionCode::Stop)}, 0, false},
        {"unknown actions are skipped", {actRaw(0x0A), act(ActionCode::Push, ActionPush{}), act(ActionCode::Stop)}, 0, false},
        {"wait for a frame past the end skips", {act(ActionCode::WaitForFrame, ActionWaitForFrame{50, 1}), act(ActionCode::Stop)}, 0, true},
        {"wait for a loaded frame runs on", {act(ActionCode::WaitForFrame, ActionWaitForFrame{2, 1}), act(ActionCode::Stop)}, 0, false},
        {"end ends the block", {act(ActionCode::End), act(ActionCode::Stop)}, 0, true},
    };
    for (const Case& c : cases) {
        DoAction script;
        script.actions.actions = c.script;
        const Movie m = movie(5, {tag(script), showFrame(), showFrame(), showFrame(), showFrame(), label("four"), showFrame()});
        MovieStage stage(m);
        stage.start();
        EXPECT_EQ(stage.root().currentFrame(), c.frameAfterStart) << c.what;
        EXPECT_EQ(stage.root().isPlaying(), c.playing) << c.what;
    }
}

TEST(ActionTest, TargetFrameScriptRunsAfterAGotoButSkippedFramesDoNot)
{
    // Frame 0 jumps to 3; frame 1 would jump back to 0; frame 3 starts playing again.
    const Movie m = movie(4, {doAction({act(ActionCode::GotoFrame, ActionGotoFrame{3})}), showFrame(),
                              doAction({act(ActionCode::GotoFrame, ActionGotoFrame{0})}), showFrame(), showFrame(),
                              doAction({act(ActionCode::Play)}), showFrame()});
    MovieStage stage(m);
    stage.start();
    EXPECT_EQ(stage.root().currentFrame(), 3);
    EXPECT_TRUE(stage.root().isPlaying());
}

TEST(ActionTest, RewindRunsNoScriptsOnTheWay)
{
    QStringList log;
    const Movie m = movie(3, {doAction({act(ActionCode::GetUrl, ActionGetUrl{"a", ""})}), showFrame(),
                              doAction({act(ActionCode::GetUrl, ActionGetUrl{"b", ""})}), showFrame(), showFrame()});
    MovieStage stage(m);
    stage.setTraceSink([&](const QString& s) { log << s; });
    stage.start();
    stage.root().gotoFrame(2);
    stage.runQueuedActions();
    stage.root().gotoFrame(0);
    stage.runQueuedActions();
    ASSERT_EQ(log.size(), 2);
    EXPECT_TRUE(log[0].contains("getURL: a"));
    EXPECT_TRUE(log[1].contains("getURL: a")) << "frame 1's script did not run on the way back";
}

TEST(ActionTest, SetTargetReachesNamedSpritesAndBack)
{
    PlaceObject p;
    p.version = 2;
    p.depth = 1;
    p.characterId = 10;
    p.name = "clip";
    const Movie m = movie(2, {sprite(10, 3, {showFrame(), showFrame(), showFrame()}), placeTag(p),
                              doAction({act(ActionCode::SetTarget, ActionSetTarget{"clip"}), act(ActionCode::Stop),
                                        act(ActionCode::SetTarget, ActionSetTarget{""}),
                                        act(ActionCode::GotoFrame, ActionGotoFrame{1})}),
                              showFrame(), showFrame()});
    MovieStage stage(m);
    stage.start();
    const Timeline& clip = *stage.root().childByName("clip")->sprite;
    EXPECT_FALSE(clip.isPlaying());
    EXPECT_EQ(stage.root().currentFrame(), 1);
    EXPECT_FALSE(stage.root().isPlaying());
}

TEST(ActionTest, SetTargetToNothingIgnoresFrameActionsUntilReset)
{
    const Movie m = movie(2, {doAction({act(ActionCode::SetTarget, ActionSetTarget{"nobody"}), act(ActionCode::Stop)}),
                              showFrame(), showFrame()});
    MovieStage stage(m);
    stage.start();
    EXPECT_TRUE(stage.root().isPlaying());
}

TEST(ActionTest, TargetPaths)
{
    PlaceObject outer;
    outer.version = 2;
    outer.depth = 1;
    outer.characterId = 11;
    outer.name = "outer";
    PlaceObject inner;
    inner.version = 2;
    inner.depth = 1;
    inner.characterId = 10;
    inner.name = "inner";
    const Movie m = movie(1, {sprite(10, 1, {showFrame()}), sprite(11, 1, {placeTag(inner), showFrame()}),
                              placeTag(outer), showFrame()});
    MovieStage stage(m);
    stage.start();
    Timeline& root = stage.root();
    Timeline* outerT = root.childByName("outer")->sprite.get();
    Timeline* innerT = outerT->childByName("inner")->sprite.get();
    struct Case {
        Timeline* base;
        const char* path;
        Timeline* expected;
    };
    const Case cases[] = {
        {&root, "outer", outerT},
        {&root, "/outer/inner", innerT},
        {&root, "outer.inner", innerT},
        {&root, "_root.outer.inner", innerT},
        {innerT, "../..", &root},
        {innerT, "_parent", outerT},
        {innerT, "_level0", &root},
        {innerT, "/", &root},
        {innerT, "", innerT},
        {&root, "outer/missing", nullptr},
        {&root, "..", nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(stage.resolveTarget(*c.base, c.path), c.expected) << c.path;
}

TEST(ActionTest, GetUrlIsLoggedAndToggleQualityCallsTheHost)
{
    QStringList log;
    int toggles = 0;
    const Movie m = movie(1, {doAction({act(ActionCode::GetUrl, ActionGetUrl{"http://example.org/", "_blank"}),
                                        act(ActionCode::ToggleQuality), act(ActionCode::StopSounds)}),
                              showFrame()});
    MovieStage stage(m);
    stage.setTraceSink([&](const QString& s) { log << s; });
    stage.setToggleQualityHandler([&] { ++toggles; });
    stage.start();
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].contains("http://example.org/"));
    EXPECT_TRUE(log[0].contains("_blank"));
    EXPECT_EQ(toggles, 1);
}

TEST(ActionTest, ScriptThatRemovesItsOwnSpriteIsSafe)
{
    // The sprite's first frame tells the root to go to frame 1, where the sprite is gone,
    // and then keeps acting on its own (removed) timeline.
    const Movie m = movie(2, {sprite(10, 2, {doAction({act(ActionCode::SetTarget, ActionSetTarget{"/"}),
                                                       act(ActionCode::GotoFrame, ActionGotoFrame{1}),
                                                       act(ActionCode::SetTarget, ActionSetTarget{""}),
                                                       act(ActionCode::Stop), act(ActionCode::NextFrame)}),
                                             showFrame(), showFrame()}),
                              place(1, 10), showFrame(), remove(1), showFrame()});
    MovieStage stage(m);
    stage.start();
    EXPECT_EQ(stage.root().currentFrame(), 1);
    EXPECT_TRUE(stage.root().displayList().empty());
}

TEST(ActionTest, FramesSendingEachOtherBackAndForthAreCut)
{
    const Movie m = movie(2, {doAction({act(ActionCode::GotoFrame, ActionGotoFrame{1})}), showFrame(),
                              doAction({act(ActionCode::GotoFrame, ActionGotoFrame{0})}), showFrame()});
    MovieStage stage(m);
    stage.start();
    EXPECT_GT(stage.limitCuts(), 0);
    stage.advanceFrame(); // still runs
}

TEST(ActionTest, ParentFrameScriptRunsBeforeTheFirstFrameOfSpritesItPlaces)
{
    QStringList log;
    const Movie m = movie(1, {sprite(10, 1, {doAction({act(ActionCode::GetUrl, ActionGetUrl{"child", ""})}), showFrame()}),
                              place(1, 10), doAction({act(ActionCode::GetUrl, ActionGetUrl{"parent", ""})}),
                              showFrame()});
    MovieStage stage(m);
    stage.setTraceSink([&](const QString& s) { log << s.section(' ', 1, 1); });
    stage.start();
    EXPECT_EQ(log, (QStringList{"parent", "child"}));
}

TEST(ActionTest, SpritesThatLiveOnlyInSkippedFramesNeverStart)
{
    QStringList log;
    const Movie m = movie(3, {sprite(10, 1, {doAction({act(ActionCode::GetUrl, ActionGetUrl{"child", ""})}), showFrame()}),
                              showFrame(), place(5, 10), showFrame(), remove(5), showFrame()});
    MovieStage stage(m);
    stage.setTraceSink([&](const QString& s) { log << s; });
    stage.start();
    stage.root().gotoFrame(2);
    stage.runQueuedActions();
    EXPECT_TRUE(log.isEmpty());
    EXPECT_TRUE(stage.root().displayList().empty());
}
