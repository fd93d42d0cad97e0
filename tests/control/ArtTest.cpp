// The generated pictures the windows load: present, at the sizes the windows lay out, and
// the toolbar picture cuts cleanly on black.
#include "control/ImgList.h"
#include "control/KvSkinForm.h"

#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

TEST(Art, ToolbarPictureIsARoundedShapeOnBlack)
{
    const QImage tb(":/art/toolbar.png");
    ASSERT_EQ(tb.size(), QSize(100, 70));
    const QRegion r = BuildSkinRegion(tb, Qt::black);
    EXPECT_EQ(r.boundingRect(), QRect(0, 0, 100, 70));
    for (const QPoint corner : {QPoint(0, 0), QPoint(99, 0), QPoint(0, 69), QPoint(99, 69),
                                QPoint(2, 2), QPoint(97, 67)})
        EXPECT_FALSE(r.contains(corner)) << corner.x() << "," << corner.y();
    // The straight edges and the whole middle stay.
    EXPECT_TRUE(r.contains(QRect(0, 14, 100, 42)));
    EXPECT_TRUE(r.contains(QRect(14, 0, 72, 70)));
    // Left-right symmetric as the rounded rectangle is, give or take the one pixel that
    // sampling at the edge decides.
    for (int y = 0; y < 70; ++y) {
        const QRect row = (r & QRegion(0, y, 100, 1)).boundingRect();
        EXPECT_LE(std::abs(row.left() - (99 - row.right())), 1) << "row " << y;
    }

    // Edge pixels are the picture's own colour, not a blend with the black around it: the
    // dark rim is #0f2a3d, so nothing darker may border the cut.
    const QImage rgb = tb.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < 70; ++y) {
        int x = 0;
        while (x < 100 && (rgb.pixel(x, y) & 0xFFFFFF) == 0)
            ++x;
        ASSERT_LT(x, 100);
        EXPECT_GE(qBlue(rgb.pixel(x, y)), 0x3d) << "row " << y;
        int right = 99;
        while ((rgb.pixel(right, y) & 0xFFFFFF) == 0)
            --right;
        EXPECT_GE(qBlue(rgb.pixel(right, y)), 0x3d) << "row " << y;
    }
}

TEST(Art, ButtonPicturesHaveTheirLayoutSizes)
{
    struct Button {
        const char* name;
        QSize size;
    };
    const std::vector<Button> buttons = {
        {"download", {16, 16}}, {"open", {18, 16}}, {"favorite", {16, 16}}, {"exit", {16, 16}},
        {"play", {47, 33}},     {"pause", {47, 33}}, {"stop", {22, 22}},    {"first", {18, 22}},
        {"last", {18, 22}},     {"prev", {18, 22}},  {"next", {18, 22}},    {"sound", {22, 22}},
        {"mute", {22, 22}},
    };
    for (const Button& b : buttons)
        for (const char* state : {"idle", "up", "down"}) {
            const QString path = QString(":/art/btn/%1-%2.png").arg(b.name, state);
            const QImage img(path);
            EXPECT_EQ(img.size(), b.size) << path.toStdString();
        }
}

TEST(Art, ImageListsLoadByIndex)
{
    struct List {
        const char* prefix;
        int size;
        int count;
    };
    const std::vector<List> lists = {
        {":/art/menu/", 16, 26},     {":/art/playlist/", 16, 2}, {":/art/finder/", 16, 5},
        {":/art/movielist/", 16, 1}, {":/art/tool24/", 24, 4},
    };
    for (const List& l : lists) {
        TImageList images(l.size, l.size);
        EXPECT_EQ(images.AddNumbered(l.prefix), l.count) << l.prefix;
        for (int i = 0; i < l.count; ++i)
            EXPECT_EQ(QImage(l.prefix + QString::asprintf("%02d.png", i)).size(),
                      QSize(l.size, l.size))
                << l.prefix << i;
    }
}

TEST(Art, ThumbnailFramesAreWhiteWithATwoPixelDarkBorder)
{
    for (const QSize size : {QSize(64, 48), QSize(96, 72)}) {
        const QString path = QString(":/art/thumb-frame-%1x%2.bmp").arg(size.width()).arg(size.height());
        const QImage f(path);
        ASSERT_EQ(f.size(), size) << path.toStdString();
        EXPECT_EQ(f.depth(), 32); // loaded from a 24-bit bitmap
        for (const QPoint p : {QPoint(0, 0), QPoint(1, 1), QPoint(size.width() - 2, 5),
                               QPoint(5, size.height() - 1)})
            EXPECT_LT(qGray(f.pixel(p)), 100) << path.toStdString();
        EXPECT_EQ(f.pixelColor(2, 2), QColor(Qt::white));
        EXPECT_EQ(f.pixelColor(size.width() - 3, size.height() - 3), QColor(Qt::white));
    }
    QFile bmp(":/art/thumb-frame-64x48.bmp");
    EXPECT_EQ(bmp.size(), 9270); // 24 bits per pixel
}
