// The mouse wheel scrolls the edit text under the mouse, within its lines.
#include "MovieBuilder.h"

#include "swf/player/MovieStage.h"

#include <gtest/gtest.h>

using namespace moviebuilder;
using swf::player::MovieStage;

namespace {

Tag editText(std::uint16_t id)
{
    DefineEditText e;
    e.id = id;
    e.bounds = Rect{Twips{0}, Twips{1000}, Twips{0}, Twips{1000}};
    e.initialText = "one\rtwo\rthree";
    return tag(std::move(e));
}

// Stand-ins for the renderer: every character covers 0..1000 twips of its own space, and
// every text can scroll down to its third line.
bool squareHit(const DisplayNode&, const QTransform& toStage, QPointF p)
{
    const QPointF local = toStage.inverted().map(p);
    return local.x() >= 0 && local.x() < 1000 && local.y() >= 0 && local.y() < 1000;
}

class TextScrollTest : public ::testing::Test {
protected:
    Movie m;
    std::unique_ptr<MovieStage> stage;

    void SetUp() override
    {
        // Text 5 alone at (0,0); text 6 inside a sprite at (3000,0), under text 5 placed
        // again on top at (3500,0).
        m = movie(1, {editText(5), editText(6), sprite(7, 1, {place(1, 6), showFrame()}), place(1, 5, 0, 0),
                      place(2, 7, 3000, 0), place(3, 5, 3500, 0), showFrame()});
        stage = std::make_unique<MovieStage>(m);
        stage->setHitTest(&squareHit);
        stage->setMaxScroll([](const DisplayNode&) { return 3; });
        stage->start();
    }
    int scrollAt(std::uint16_t depth) { return stage->root().displayList().at(depth)->scroll; }
    int innerScroll() { return stage->root().displayList().at(2)->sprite->displayList().at(1)->scroll; }
};

} // namespace

TEST_F(TextScrollTest, WheelScrollsTheTextUnderTheMouseWithinItsLines)
{
    stage->mouseWheel(-1); // no mouse position yet
    EXPECT_EQ(scrollAt(1), 1);
    stage->mouseMove(QPointF(500, 500));
    stage->mouseWheel(-1); // towards the user: later lines
    EXPECT_EQ(scrollAt(1), 2);
    stage->mouseWheel(-5);
    EXPECT_EQ(scrollAt(1), 3);
    stage->mouseWheel(10);
    EXPECT_EQ(scrollAt(1), 1);
    stage->mouseMove(QPointF(2000, 500)); // over nothing
    stage->mouseWheel(-1);
    EXPECT_EQ(scrollAt(1), 1);
}

TEST_F(TextScrollTest, TheTopmostTextTakesTheWheelAlsoInsideSprites)
{
    stage->mouseMove(QPointF(3700, 500)); // text 6 in the sprite, under text 5 at depth 3
    stage->mouseWheel(-1);
    EXPECT_EQ(scrollAt(3), 2);
    EXPECT_EQ(innerScroll(), 1);
    stage->mouseMove(QPointF(3200, 500)); // only the sprite's text
    stage->mouseWheel(-2);
    EXPECT_EQ(innerScroll(), 3);
}
