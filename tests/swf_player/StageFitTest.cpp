// Show-all placement of the stage in viewports of any shape.
#include "swf/player/StageFit.h"

#include <gtest/gtest.h>

using swf::Rect;
using swf::Twips;
using swf::player::fitStage;

namespace {

Rect stage(int w, int h, int x0 = 0, int y0 = 0)
{
    return Rect{Twips{x0 * 20}, Twips{(x0 + w) * 20}, Twips{y0 * 20}, Twips{(y0 + h) * 20}};
}

} // namespace

TEST(StageFitTest, ShowAllCentresAndLetterboxes)
{
    struct Case {
        const char* what;
        Rect frame;
        QRect viewport;
        QRectF expected;
        double scale;
    };
    const Case cases[] = {
        {"same size", stage(550, 400), QRect(0, 0, 550, 400), QRectF(0, 0, 550, 400), 1.0},
        {"twice the size", stage(100, 50), QRect(0, 0, 200, 100), QRectF(0, 0, 200, 100), 2.0},
        {"wider viewport: bars left and right", stage(100, 100), QRect(0, 0, 300, 100), QRectF(100, 0, 100, 100), 1.0},
        {"taller viewport: bars above and below", stage(100, 50), QRect(0, 0, 100, 150), QRectF(0, 50, 100, 50), 1.0},
        {"smaller viewport", stage(400, 300), QRect(0, 0, 200, 200), QRectF(0, 25, 200, 150), 0.5},
        {"viewport away from the origin", stage(100, 100), QRect(10, 20, 100, 100), QRectF(10, 20, 100, 100), 1.0},
        {"odd leftover rounds to whole pixels", stage(100, 100), QRect(0, 0, 101, 100), QRectF(1, 0, 100, 100), 1.0},
    };
    for (const Case& c : cases) {
        const auto fit = fitStage(c.frame, c.viewport);
        ASSERT_TRUE(fit.valid()) << c.what;
        EXPECT_DOUBLE_EQ(fit.scale, c.scale) << c.what;
        EXPECT_EQ(fit.stageRect, c.expected) << c.what;
        // The stage's corners land on the corners of its rectangle.
        const QPointF topLeft = fit.stageToDevice.map(QPointF(c.frame.xMin.value, c.frame.yMin.value));
        const QPointF bottomRight = fit.stageToDevice.map(QPointF(c.frame.xMax.value, c.frame.yMax.value));
        EXPECT_NEAR(topLeft.x(), c.expected.left(), 1e-9) << c.what;
        EXPECT_NEAR(topLeft.y(), c.expected.top(), 1e-9) << c.what;
        EXPECT_NEAR(bottomRight.x(), c.expected.right(), 1e-9) << c.what;
        EXPECT_NEAR(bottomRight.y(), c.expected.bottom(), 1e-9) << c.what;
    }
}

TEST(StageFitTest, StageWithAnOffsetOriginMapsItsCornerToTheViewportCorner)
{
    const auto fit = fitStage(stage(100, 100, -50, -30), QRect(0, 0, 100, 100));
    EXPECT_EQ(fit.stageToDevice.map(QPointF(-1000, -600)), QPointF(0, 0));
}

TEST(StageFitTest, EmptyStageOrViewportIsInvalid)
{
    EXPECT_FALSE(fitStage(stage(0, 100), QRect(0, 0, 10, 10)).valid());
    EXPECT_FALSE(fitStage(stage(100, 100), QRect(0, 0, 0, 10)).valid());
    Rect inverted{Twips{100}, Twips{0}, Twips{0}, Twips{100}};
    EXPECT_FALSE(fitStage(inverted, QRect(0, 0, 10, 10)).valid());
}
