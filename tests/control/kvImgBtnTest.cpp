#include "control/kvImgBtn.h"

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QPixmap solid(const QColor& c, QSize size = QSize(16, 16))
{
    QPixmap p(size);
    p.fill(c);
    return p;
}

const QColor Idle(10, 20, 30);
const QColor Up(40, 50, 60);
const QColor Down(70, 80, 90);

// Drives one button with the events Qt delivers: enter and leave only while no button is
// held; while the left button is held, moves report where the mouse is.
class ButtonDriver {
public:
    explicit ButtonDriver(TKvImgBtn& b)
        : btn(b)
    {
    }

    void enter() { send(QEnterEvent(inside(), inside(), btn.mapToGlobal(inside()))); }
    void leave()
    {
        QEvent e(QEvent::Leave);
        QCoreApplication::sendEvent(&btn, &e);
    }
    void press(Qt::MouseButton b = Qt::LeftButton)
    {
        held |= b;
        mouse(QEvent::MouseButtonPress, pos, b);
    }
    void release(Qt::MouseButton b = Qt::LeftButton)
    {
        held &= ~b;
        mouse(QEvent::MouseButtonRelease, pos, b);
    }
    void moveTo(QPointF p)
    {
        pos = p;
        mouse(QEvent::MouseMove, pos, Qt::NoButton);
    }
    static QPointF inside() { return QPointF(5, 5); }
    static QPointF outside() { return QPointF(40, 5); }

    QColor shown() const
    {
        return btn.Picture().isNull() ? QColor() : btn.Picture().toImage().pixelColor(0, 0);
    }

    QPointF pos = inside();

private:
    template <class E>
    void send(E e)
    {
        QCoreApplication::sendEvent(&btn, &e);
    }
    void mouse(QEvent::Type t, QPointF p, Qt::MouseButton b)
    {
        QMouseEvent e(t, p, btn.mapToGlobal(p), b, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&btn, &e);
    }

    TKvImgBtn& btn;
    Qt::MouseButtons held;
};

struct Fixture : ::testing::Test {
    TKvImgBtn btn;
    ButtonDriver drive{btn};
    QSignalSpy click{&btn, &TKvImgBtn::OnClick};

    void SetUp() override
    {
        btn.SetAutoSize(true);
        btn.SetPicUp(solid(Up));
        btn.SetPicDown(solid(Down));
        btn.SetPicIdle(solid(Idle));
    }
};

using ImgBtn = Fixture;

} // namespace

TEST_F(ImgBtn, IdlePictureShowsAtOnceAndSizesTheButton)
{
    EXPECT_EQ(drive.shown(), Idle);
    EXPECT_EQ(btn.size(), QSize(16, 16));
    // Only the idle picture changes what shows.
    btn.SetPicUp(solid(Qt::white));
    btn.SetPicDown(solid(Qt::white));
    EXPECT_EQ(drive.shown(), Idle);
}

TEST_F(ImgBtn, PressAndReleaseInsideClicks)
{
    QSignalSpy enter(&btn, &TKvImgBtn::OnMouseEnter);
    QSignalSpy down(&btn, &TKvImgBtn::OnMouseDown);
    QSignalSpy up(&btn, &TKvImgBtn::OnMouseUp);
    drive.enter();
    EXPECT_EQ(drive.shown(), Up);
    drive.press();
    EXPECT_EQ(drive.shown(), Down);
    EXPECT_TRUE(btn.ButtonHeld());
    drive.release();
    EXPECT_EQ(drive.shown(), Up);
    EXPECT_FALSE(btn.ButtonHeld());
    EXPECT_EQ(click.count(), 1);
    EXPECT_EQ(enter.count(), 1);
    EXPECT_EQ(down.count(), 1);
    EXPECT_EQ(up.count(), 1);
    drive.leave();
    EXPECT_EQ(drive.shown(), Idle);
}

TEST_F(ImgBtn, SlideOutAndBackInWhileHeld)
{
    // Each row: the step, then the picture that shows and the flags after it.
    struct Step {
        const char* what;
        std::function<void()> act;
        QColor picture;
        bool inside;
        bool held;
    };
    const std::vector<Step> steps = {
        {"enter", [&] { drive.enter(); }, Up, true, false},
        {"press", [&] { drive.press(); }, Down, true, true},
        {"slide out", [&] { drive.moveTo(ButtonDriver::outside()); }, Idle, false, true},
        {"move outside", [&] { drive.moveTo(QPointF(60, 60)); }, Idle, false, true},
        {"slide back in", [&] { drive.moveTo(ButtonDriver::inside()); }, Down, true, true},
        {"slide out again", [&] { drive.moveTo(ButtonDriver::outside()); }, Idle, false, true},
        {"release outside", [&] { drive.release(); }, Idle, false, false},
        {"late leave", [&] { drive.leave(); }, Idle, false, false},
        {"come back", [&] { drive.moveTo(ButtonDriver::inside()); drive.enter(); }, Up, true, false},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(drive.shown(), s.picture) << s.what;
        EXPECT_EQ(btn.MouseInside(), s.inside) << s.what;
        EXPECT_EQ(btn.ButtonHeld(), s.held) << s.what;
    }
    EXPECT_EQ(click.count(), 0) << "released outside";
}

TEST_F(ImgBtn, SlideBackInAndReleaseClicks)
{
    drive.enter();
    drive.press();
    drive.moveTo(ButtonDriver::outside());
    drive.moveTo(ButtonDriver::inside());
    drive.release();
    EXPECT_EQ(click.count(), 1);
    EXPECT_EQ(drive.shown(), Up);
}

TEST_F(ImgBtn, RightButtonNeitherPressesNorClicks)
{
    QSignalSpy down(&btn, &TKvImgBtn::OnMouseDown);
    drive.enter();
    drive.press(Qt::RightButton);
    EXPECT_EQ(drive.shown(), Up);
    drive.release(Qt::RightButton);
    EXPECT_EQ(down.count(), 0);
    EXPECT_EQ(click.count(), 0);
}

TEST_F(ImgBtn, NotSupportedIsAPlainImageThatStillClicks)
{
    btn.SetSupported(false);
    QSignalSpy enter(&btn, &TKvImgBtn::OnMouseEnter);
    QSignalSpy down(&btn, &TKvImgBtn::OnMouseDown);
    drive.enter();
    EXPECT_EQ(drive.shown(), Idle);
    drive.press();
    EXPECT_EQ(drive.shown(), Idle);
    drive.release();
    EXPECT_EQ(drive.shown(), Idle);
    drive.leave();
    EXPECT_EQ(enter.count(), 0);
    EXPECT_EQ(down.count(), 0);
    EXPECT_EQ(click.count(), 1);
    EXPECT_FALSE(btn.MouseInside());
}

TEST_F(ImgBtn, PaintsThePictureOnShow)
{
    drive.enter();
    const QImage face = btn.grab().toImage();
    EXPECT_EQ(face.pixelColor(8, 8), Up);
}
