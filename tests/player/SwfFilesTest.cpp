#include "app/SwfFiles.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using qmtest::writeFile;

TEST(SwfFiles, ExtensionIsThePartFromTheLastDotOfTheName)
{
    EXPECT_EQ(ExtractFileExt("/a/b/cat.swf"), ".swf");
    EXPECT_EQ(ExtractFileExt("/a/b.c/cat"), "");
    EXPECT_EQ(ExtractFileExt("/a/b/x.tar.SWF"), ".SWF");
    EXPECT_TRUE(HasSwfExtension("/a/MOVIE.SWF"));
    EXPECT_FALSE(HasSwfExtension("/a/movie.swf.txt"));
    EXPECT_FALSE(HasSwfExtension("/a/swf"));
}

TEST(SwfFiles, GetSwfFilesTakesOnlyMoviesDirectlyInTheFolder)
{
    QTemporaryDir dir;
    writeFile(dir.filePath("a.swf"), "x");
    writeFile(dir.filePath("B.SWF"), "x");
    writeFile(dir.filePath(".hidden.Swf"), "x");
    writeFile(dir.filePath("notes.txt"), "x");
    QDir().mkpath(dir.filePath("sub.swf"));
    writeFile(dir.filePath("sub.swf/inner.swf"), "x");

    QStringList list { "/already/there.swf" };
    GetSwfFiles(dir.path(), list);
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(list.first(), "/already/there.swf");
    list.removeFirst();
    list.sort();
    const QString p = dir.path() + "/";
    EXPECT_EQ(list, (QStringList { p + ".hidden.Swf", p + "B.SWF", p + "a.swf" }));

    QStringList none;
    GetSwfFiles(dir.filePath("missing"), none);
    EXPECT_TRUE(none.isEmpty());
}

TEST(SwfFiles, DroppedItems)
{
    QTemporaryDir dir;
    const QString clips = dir.filePath("clips");
    QDir().mkpath(clips);
    writeFile(clips + "/x.swf", "x");
    writeFile(clips + "/y.Swf", "x");
    const QString dotted = dir.filePath("a.b");
    QDir().mkpath(dotted);
    writeFile(dotted + "/z.swf", "x");

    const QStringList dropped { dir.filePath("a.swf"), dir.filePath("B.SWF"), dir.filePath("notes.txt"), clips, dotted };
    QStringList got = CollectDroppedSwfFiles(dropped);
    ASSERT_EQ(got.size(), 4);
    EXPECT_EQ(got[0], dir.filePath("a.swf")) << "a dropped .swf is taken without looking at the disk";
    EXPECT_EQ(got[1], dir.filePath("B.SWF"));
    QStringList fromFolder = got.mid(2);
    fromFolder.sort();
    EXPECT_EQ(fromFolder, (QStringList { clips + "/x.swf", clips + "/y.Swf" }));
}
