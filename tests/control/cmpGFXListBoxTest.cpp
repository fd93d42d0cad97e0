#include "control/cmpGFXListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Records the paint events of the list's viewport.
class PaintLog : public QObject {
public:
    explicit PaintLog(QWidget* w)
    {
        w->installEventFilter(this);
    }
    std::vector<QRect> rects;

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            rects.push_back(static_cast<QPaintEvent*>(e)->rect());
        return false;
    }
};

struct ListBox : ::testing::Test {
    TkvListBox list;

    void SetUp() override
    {
        list.resize(200, 120);
        list.addItems({"first.swf", "second.swf", "third.swf"});
        list.SetCheckWidth(13);
    }

    void pressAt(QPoint p, Qt::MouseButton b = Qt::LeftButton,
                 QEvent::Type t = QEvent::MouseButtonPress)
    {
        QMouseEvent press(t, QPointF(p), list.viewport()->mapToGlobal(QPointF(p)), b, b,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(list.viewport(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(p),
                            list.viewport()->mapToGlobal(QPointF(p)), b, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(list.viewport(), &release);
    }

    QPoint itemPoint(int row, int dx)
    {
        const QRect r = list.visualItemRect(list.item(row));
        return QPoint(r.left() + dx, r.center().y());
    }

    void key(int k)
    {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier, k == Qt::Key_Space ? " " : "");
        QCoreApplication::sendEvent(&list, &e);
    }
};

} // namespace

TEST_F(ListBox, NewItemsAreUncheckedWithPictureZero)
{
    EXPECT_EQ(list.ItemHeight(), 17);
    EXPECT_TRUE(list.QuickPaint());
    EXPECT_FALSE(list.AllowGrayed());
    for (int i = 0; i < list.count(); ++i) {
        EXPECT_EQ(list.State(i), 0);
        EXPECT_EQ(list.ImageIndex(i), 0);
        EXPECT_FALSE(list.Checked(i));
    }
    EXPECT_EQ(list.State(7), 0); // out of range reads unchecked
    list.SetState(7, 1);         // and ignores writes
}

TEST_F(ListBox, ToggleOrder)
{
    struct Case {
        bool allowGrayed;
        std::vector<int> states; // after each toggle
    };
    const std::vector<Case> cases = {
        {false, {1, 0, 1, 0}},
        {true, {2, 1, 0, 2}},
    };
    for (const Case& c : cases) {
        list.SetState(0, 0);
        list.SetAllowGrayed(c.allowGrayed);
        for (int expected : c.states) {
            list.ToggleState(0);
            EXPECT_EQ(list.State(0), expected) << "AllowGrayed " << c.allowGrayed;
        }
    }
}

TEST_F(ListBox, CheckedWritesStates)
{
    list.SetChecked(1, true);
    EXPECT_EQ(list.State(1), 1);
    EXPECT_TRUE(list.Checked(1));
    list.SetState(1, 2);
    EXPECT_FALSE(list.Checked(1));
    list.SetChecked(1, false);
    EXPECT_EQ(list.State(1), 0);
    list.SetState(1, 3); // not a state
    EXPECT_EQ(list.State(1), 0);
}

TEST_F(ListBox, ClickInTheCheckBoxAreaToggles)
{
    list.show();
    // Left edge + CheckWidth + 2 = 15 is the first pixel that only selects.
    struct Case {
        int dx;
        Qt::MouseButton button;
        int state;
    };
    const std::vector<Case> cases = {
        {0, Qt::LeftButton, 1},   {14, Qt::LeftButton, 1}, {15, Qt::LeftButton, 0},
        {60, Qt::LeftButton, 0},  {14, Qt::RightButton, 0},
    };
    for (const Case& c : cases) {
        list.SetState(1, 0);
        pressAt(itemPoint(1, c.dx), c.button);
        EXPECT_EQ(list.State(1), c.state) << "dx " << c.dx << " button " << int(c.button);
    }
    EXPECT_EQ(list.currentRow(), 1); // every left press also selects
}

TEST_F(ListBox, ClickBelowTheLastItemTogglesNothing)
{
    list.show();
    const QRect last = list.visualItemRect(list.item(2));
    pressAt(QPoint(last.left() + 3, last.bottom() + 10));
    for (int i = 0; i < list.count(); ++i)
        EXPECT_EQ(list.State(i), 0);
}

TEST_F(ListBox, DoubleClickInTheCheckBoxTogglesTwice)
{
    list.show();
    QSignalSpy dbl(&list, &QListWidget::itemDoubleClicked);
    const QPoint p = itemPoint(0, 5);
    pressAt(p);
    pressAt(p, Qt::LeftButton, QEvent::MouseButtonDblClick);
    EXPECT_EQ(list.State(0), 0);
    EXPECT_EQ(dbl.count(), 1);
}

TEST_F(ListBox, SpaceTogglesTheCurrentItem)
{
    key(Qt::Key_Space); // no current item: nothing
    for (int i = 0; i < list.count(); ++i)
        EXPECT_EQ(list.State(i), 0);
    list.setCurrentRow(2);
    key(Qt::Key_Space);
    EXPECT_EQ(list.State(2), 1);
    key(Qt::Key_Space);
    EXPECT_EQ(list.State(2), 0);
    key(Qt::Key_A);
    EXPECT_EQ(list.State(2), 0);
}

TEST_F(ListBox, StateChangeCanBeCancelled)
{
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QCoreApplication::processEvents();
    PaintLog log(list.viewport());
    bool refuse = true;
    std::vector<int> asked;
    QObject::connect(&list, &TkvListBox::OnStateChange, &list, [&](int i, bool& cancel) {
        asked.push_back(i);
        cancel = refuse;
    });

    list.SetState(1, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(list.State(1), 0);
    EXPECT_TRUE(log.rects.empty()) << "a refused change redraws nothing";

    list.SetState(1, 0); // same state: not even asked
    EXPECT_EQ(asked, std::vector<int>{1});

    refuse = false;
    list.ToggleState(1);
    EXPECT_EQ(list.State(1), 1);
    ASSERT_EQ(log.rects.size(), 1u) << "the item is painted before SetState returns";
    EXPECT_EQ(log.rects[0], list.visualItemRect(list.item(1)));
    EXPECT_EQ(asked, (std::vector<int>{1, 1}));
}

TEST_F(ListBox, WithoutQuickPaintTheWholeListIsRedrawnLater)
{
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QCoreApplication::processEvents();
    list.SetQuickPaint(false);
    PaintLog log(list.viewport());
    list.SetState(0, 1);
    EXPECT_TRUE(log.rects.empty());
    QCoreApplication::processEvents();
    ASSERT_FALSE(log.rects.empty());
    EXPECT_EQ(log.rects.back(), list.viewport()->rect());
}

TEST_F(ListBox, ImageIndexRedrawsOnlyOnChange)
{
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QCoreApplication::processEvents();
    PaintLog log(list.viewport());
    list.SetImageIndex(2, 0);
    EXPECT_TRUE(log.rects.empty());
    list.SetImageIndex(2, 1);
    EXPECT_EQ(list.ImageIndex(2), 1);
    EXPECT_EQ(log.rects.size(), 1u);
}

TEST_F(ListBox, ImageListRaisesTheItemHeight)
{
    struct Case {
        int itemHeight;
        int imageHeight;
        int after;
    };
    const std::vector<Case> cases = {{17, 16, 20}, {20, 16, 20}, {25, 16, 25}, {20, 72, 76}};
    for (const Case& c : cases) {
        TkvListBox box;
        box.addItem("a");
        box.SetItemHeight(c.itemHeight);
        TImageList images(c.imageHeight, c.imageHeight);
        box.SetImageList(&images);
        EXPECT_EQ(box.ItemHeight(), c.after);
        EXPECT_EQ(box.visualItemRect(box.item(0)).height(), c.after);
    }
}

TEST_F(ListBox, DrawsCheckBoxPictureAndTextInTheirPlaces)
{
    TImageList images(16, 16);
    QPixmap red(16, 16);
    red.fill(Qt::red);
    QPixmap green(16, 16);
    green.fill(Qt::green);
    images.Add(red);
    images.Add(green);
    list.SetImageList(&images);
    list.SetImageIndex(0, 1);
    QPalette pal = list.palette();
    pal.setColor(QPalette::Base, QColor(37, 100, 139));
    pal.setColor(QPalette::Text, Qt::white);
    list.setPalette(pal);

    QImage img(200, 20, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    list.DrawItem(p, 0, QRect(0, 0, 200, 20), false);
    p.end();
    // Picture at left + 2 + CheckWidth + 4 = 19, top (20 - 16) / 2 = 2.
    EXPECT_EQ(img.pixelColor(19, 2), QColor(Qt::green));
    EXPECT_EQ(img.pixelColor(34, 17), QColor(Qt::green));
    EXPECT_EQ(img.pixelColor(18, 2), QColor(37, 100, 139));
    EXPECT_EQ(img.pixelColor(35, 2), QColor(37, 100, 139));
    EXPECT_EQ(img.pixelColor(19, 1), QColor(37, 100, 139));
    EXPECT_EQ(img.pixelColor(199, 0), QColor(37, 100, 139));
    // Text starts at 35 + 2: some white pixels right of the picture.
    bool text = false;
    for (int x = 37; x < 120 && !text; ++x)
        for (int y = 0; y < 20 && !text; ++y)
            text = img.pixelColor(x, y) == QColor(Qt::white);
    EXPECT_TRUE(text);
    // The check box lies in 2 .. 2 + CheckWidth.
    bool box = false;
    for (int x = 2; x < 15 && !box; ++x)
        for (int y = 0; y < 20 && !box; ++y)
            box = img.pixelColor(x, y) != QColor(37, 100, 139);
    EXPECT_TRUE(box);
}

TEST_F(ListBox, StatesTravelWithTheirItems)
{
    list.SetState(0, 1);
    list.SetImageIndex(0, 3);
    list.insertItem(0, "zero.swf");
    EXPECT_EQ(list.State(0), 0);
    EXPECT_EQ(list.State(1), 1);
    EXPECT_EQ(list.ImageIndex(1), 3);
    delete list.takeItem(0);
    EXPECT_EQ(list.State(0), 1);
}
