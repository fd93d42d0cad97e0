#include "shared/Errors.h"
#include "shared/kvZipUnit.h"
#include "tests/kvzip/KvZipTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/packwriter/PackWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kvziptest;

namespace {

TEST(PackWriter, WritesEntriesAtLevelMaxThenTheIndexAndItsLength)
{
    QTemporaryDir dir;
    const QByteArray gif = QByteArray("GIF89a") + QByteArray(5000, 'x');
    qmtest::writeFile(dir.filePath("05xmas_020.gif"), gif);
    qmtest::writeFile(dir.filePath("tlo1.css"), "body{}");
    const QString archive = dir.filePath("images.pack");

    WritePack(archive, { dir.filePath("05xmas_020.gif"), dir.filePath("tlo1.css") });
    const QByteArray a = qmtest::readFile(archive);

    // First entry at offset 0: its size field, then a level-9 zlib stream.
    ASSERT_GE(a.size(), 14);
    EXPECT_EQ(a.left(10), compressedFile(quint64(gif.size()), {}) + QByteArray("\x78\xDA"));

    const qint32 n = qint32(uchar(a[a.size() - 4]) | uchar(a[a.size() - 3]) << 8 | uchar(a[a.size() - 2]) << 16
                            | uchar(a[a.size() - 1]) << 24);
    const QByteArray index = a.mid(a.size() - n, n - 4);
    const QList<QByteArray> lines = index.split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[2].isEmpty());
    EXPECT_TRUE(lines[0].startsWith("FileName=05xmas_020.gif.Tmp#FileSize="));
    EXPECT_TRUE(lines[1].startsWith("FileName=tlo1.css.Tmp#FileSize="));
    const qint64 first = lines[0].mid(lines[0].indexOf("FileSize=") + 9).trimmed().toLongLong();
    const qint64 second = lines[1].mid(lines[1].indexOf("FileSize=") + 9).trimmed().toLongLong();
    EXPECT_TRUE(lines[0].endsWith('\r'));
    EXPECT_EQ(first + second + n, a.size()); // no gaps between entries and index

    // Each entry is a whole compressed file.
    bool ok = false;
    EXPECT_EQ(inflateAll(a.mid(first + 8, second - 8), &ok), "body{}");
    EXPECT_TRUE(ok);

    UnpackArchive(archive, dir.filePath("out"));
    EXPECT_EQ(entriesOf(dir.filePath("out")), QStringList({ "05xmas_020.gif", "tlo1.css" }));
    EXPECT_EQ(qmtest::readFile(dir.filePath("out/05xmas_020.gif")), gif);
}

TEST(PackWriter, IndexLineFormat)
{
    EXPECT_EQ(PackIndexLine("05xmas_020.gif.Tmp", 4129), "FileName=05xmas_020.gif.Tmp#FileSize=4129\r\n");
}

TEST(PackWriter, NoFilesGiveAnEmptyIndex)
{
    QTemporaryDir dir;
    WritePack(dir.filePath("empty.pack"), {});
    EXPECT_EQ(qmtest::readFile(dir.filePath("empty.pack")), le32(4));
}

TEST(PackWriter, RefusesNamesTheIndexCannotCarryAndWritesNothing)
{
    for (const char* name : { "a b.gif", "a#b.gif", "a=b.gif", "a\"b.gif", "tab\t.gif" }) {
        QTemporaryDir dir;
        qmtest::writeFile(dir.filePath(name), "x");
        EXPECT_THROW(WritePack(dir.filePath("out.pack"), { dir.filePath(name) }), EQuillmoorError) << name;
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("out.pack"))) << name;
    }
}

TEST(PackWriter, RefusesTwoFilesOfOneName)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("sub");
    qmtest::writeFile(dir.filePath("a.gif"), "1");
    qmtest::writeFile(dir.filePath("sub/a.gif"), "2");
    EXPECT_THROW(WritePack(dir.filePath("out.pack"), { dir.filePath("a.gif"), dir.filePath("sub/a.gif") }),
                 EQuillmoorError);
}

TEST(PackWriter, MissingFileRaisesAndLeavesNoArchive)
{
    QTemporaryDir dir;
    qmtest::writeFile(dir.filePath("a.gif"), "1");
    EXPECT_THROW(WritePack(dir.filePath("out.pack"), { dir.filePath("a.gif"), dir.filePath("missing.gif") }),
                 EFOpenError);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("out.pack")));
}

} // namespace
