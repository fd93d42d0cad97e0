// Buttons: which records show in which state, the mouse state machine and the actions
// that run on its transitions.
#include "MovieBuilder.h"

#include "swf/player/MovieStage.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace moviebuilder;
using swf::player::ButtonState;
using swf::player::MovieStage;
namespace C = swf::ButtonCondition;

namespace {

ButtonRecord record(std::uint16_t id, std::uint16_t depth, bool up, bool over, bool down, bool hit)
{
    ButtonRecord r;
    r.characterId = id;
    r.depth = depth;
    r.up = up;
    r.over = over;
    r.down = down;
    r.hitTest = hit;
    return r;
}

// Logs the condition that ran: each transition's actions log their own URL.
ButtonAction logOn(std::uint16_t conditions, const std::string& name, std::uint8_t key = 0)
{
    ButtonAction a;
    a.conditions = conditions;
    a.keyCode = key;
    a.actions = block({act(ActionCode::GetUrl, ActionGetUrl{name, ""})});
    return a;
}

// A fake of the renderer's hit test: shapes cover 0..1000 twips square in their own
// coordinates.
bool squareHit(const DisplayNode&, const QTransform& toStage, QPointF p)
{
    const QPointF local = toStage.inverted().map(p);
    return local.x() >= 0 && local.x() < 1000 && local.y() >= 0 && local.y() < 1000;
}

class ButtonFixture : public ::testing::Test {
protected:
    Movie m;
    std::unique_ptr<MovieStage> stage;
    QStringList log;

    void build(bool menu = false, std::uint8_t version = 2)
    {
        DefineButton b;
        b.version = version;
        b.id = 20;
        b.trackAsMenu = menu;
        b.records = {record(1, 1, true, false, false, false), record(2, 1, false, true, false, false),
                     record(3, 1, false, false, true, false), record(1, 2, false, false, false, true)};
        b.actions = {logOn(C::IdleToOverUp, "rollOver"), logOn(C::OverUpToIdle, "rollOut"),
                     logOn(C::OverUpToOverDown, "press"), logOn(C::OverDownToOverUp, "release"),
                     logOn(C::OverDownToOutDown, "dragOut"), logOn(C::OutDownToOverDown, "dragOver"),
                     logOn(C::OutDownToIdle, "releaseOutside"), logOn(0, "key A", 'A')};
        m = movie(1, {shape(1), shape(2), shape(3), tag(b), place(1, 20, 2000, 0), showFrame()});
        stage = std::make_unique<MovieStage>(m);
        stage->setHitTest(&squareHit);
        stage->setTraceSink([this](const QString& s) { log << s.section(' ', 1, 1); });
        stage->start();
    }
    swf::player::ButtonInstance& button() { return *stage->root().displayList().at(1)->button; }
    std::uint16_t shownCharacter() { return button().shown().at(0)->placement.characterId; }
};

const QPointF inside(2500, 500);
const QPointF outside(500, 500);

} // namespace

TEST(ButtonConditionTest, TransitionsMapToTheirBits)
{
    using S = ButtonState;
    struct Case {
        S from, to;
        std::uint16_t bit;
    };
    const Case cases[] = {
        {S::Idle, S::OverUp, C::IdleToOverUp},        {S::OverUp, S::Idle, C::OverUpToIdle},
        {S::OverUp, S::OverDown, C::OverUpToOverDown}, {S::OverDown, S::OverUp, C::OverDownToOverUp},
        {S::OverDown, S::OutDown, C::OverDownToOutDown}, {S::OutDown, S::OverDown, C::OutDownToOverDown},
        {S::OutDown, S::Idle, C::OutDownToIdle},        {S::Idle, S::OverDown, C::IdleToOverDown},
        {S::OverDown, S::Idle, C::OverDownToIdle},      {S::Idle, S::OutDown, 0},
        {S::OverUp, S::OverUp, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(swf::player::buttonCondition(c.from, c.to), c.bit);
}

TEST_F(ButtonFixture, ClickRunsRollOverPressRelease)
{
    build();
    EXPECT_EQ(shownCharacter(), 1);
    stage->mouseMove(inside);
    EXPECT_EQ(button().state(), ButtonState::OverUp);
    EXPECT_EQ(shownCharacter(), 2);
    stage->mousePress(inside);
    EXPECT_EQ(shownCharacter(), 3);
    stage->mouseRelease(inside);
    EXPECT_EQ(button().state(), ButtonState::OverUp);
    stage->mouseMove(outside);
    EXPECT_EQ(button().state(), ButtonState::Idle);
    EXPECT_EQ(log, (QStringList{"rollOver", "press", "release", "rollOut"}));
}

TEST_F(ButtonFixture, DragOutAndReleaseOutside)
{
    build();
    stage->mousePress(inside); // no move before: passes over "over up"
    stage->mouseMove(outside);
    EXPECT_EQ(button().state(), ButtonState::OutDown);
    stage->mouseMove(inside);
    stage->mouseMove(outside);
    stage->mouseRelease(outside);
    EXPECT_EQ(button().state(), ButtonState::Idle);
    EXPECT_EQ(log, (QStringList{"rollOver", "press", "dragOut", "dragOver", "dragOut", "releaseOutside"}));
}

TEST_F(ButtonFixture, PressOutsideThenMovingInDoesNotPress)
{
    build();
    stage->mousePress(outside);
    stage->mouseMove(inside);
    EXPECT_EQ(button().state(), ButtonState::Idle);
    stage->mouseRelease(inside);
    EXPECT_EQ(button().state(), ButtonState::OverUp);
    EXPECT_EQ(log, (QStringList{"rollOver"}));
}

TEST_F(ButtonFixture, MenuButtonsTakeDragOverAsPress)
{
    build(true);
    stage->mousePress(outside);
    stage->mouseMove(inside);
    EXPECT_EQ(button().state(), ButtonState::OverDown);
    stage->mouseRelease(inside);
    EXPECT_EQ(log, (QStringList{"release"})) << "idle to over-down has no action here";
}

TEST_F(ButtonFixture, KeyConditionsAndLeavingTheControl)
{
    build();
    stage->keyPress('A');
    stage->keyPress('B');
    stage->mouseMove(inside);
    stage->mouseLeave();
    EXPECT_EQ(button().state(), ButtonState::Idle);
    EXPECT_EQ(log, (QStringList{"key", "rollOver", "rollOut"}));
}

TEST_F(ButtonFixture, ButtonThatMovesAwayFromARestingMouseRollsOut)
{
    build();
    stage->mouseMove(inside);
    // Move the button away under the resting mouse, as a later frame would.
    stage->root().displayList().at(1)->placement.matrix.translateX = swf::Twips{8000};
    stage->advanceFrame();
    EXPECT_EQ(button().state(), ButtonState::Idle);
}

TEST(ButtonColorTest, OldButtonsTakeTheirSeparateColourTransform)
{
    DefineButton b;
    b.version = 1;
    b.id = 20;
    b.records = {record(1, 1, true, true, true, true)};
    DefineButtonCxform cx;
    cx.buttonId = 20;
    cx.colorTransform.redMult = Fixed8::fromDouble(0);
    const Movie m = movie(1, {shape(1), tag(b), tag(cx), place(1, 20), showFrame()});
    MovieStage stage(m);
    stage.start();
    DisplayNode root;
    stage.buildScene(root);
    ASSERT_EQ(root.children.size(), 1u);
    ASSERT_EQ(root.children[0].children.size(), 1u);
    EXPECT_EQ(root.children[0].children[0].colorTransform, cx.colorTransform);
}
