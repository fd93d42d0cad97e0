// qmtool info and qmtool pack, run as a separate process.
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int code = -1;
    QString out;
    QString err;
};

ToolRun qmtool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(QM_QMTOOL), args);
    ToolRun r;
    if (!p.waitForFinished(60000)) {
        ADD_FAILURE() << "qmtool did not finish";
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QByteArray fws550x400()
{
    // FWS, version 6, length 30, 550 x 400, 29.97 frames a second, 300 frames.
    return QByteArray::fromHex("4657530" "61e000000" "7800055F00000FA000" "F81D" "2C01");
}

TEST(QmtoolInfo, OneTabSeparatedLinePerMovieAndErrorsOnStderr)
{
    QTemporaryDir dir;
    const QString movie = dir.filePath("a.swf");
    const QString text = dir.filePath("b.swf");
    const QString cut = dir.filePath("c.swf");
    qmtest::writeFile(movie, fws550x400());
    qmtest::writeFile(text, "GIF89a");
    qmtest::writeFile(cut, fws550x400().left(12));
    const QString missing = dir.filePath("missing.swf");

    const ToolRun r = qmtool({ "info", movie, text, cut, missing, movie });
    EXPECT_EQ(r.code, 1);
    const QString line = movie + "\t6\t30\t550\t400\t29.97\t300\n";
    EXPECT_EQ(r.out, line + line);
    for (const QString& bad : { text, cut, missing })
        EXPECT_TRUE(r.err.contains(bad + ": ")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("not a Flash movie")) << r.err.toStdString();
}

TEST(QmtoolInfo, AllReadableGivesExitCodeZero)
{
    QTemporaryDir dir;
    qmtest::writeFile(dir.filePath("a.swf"), fws550x400());
    const ToolRun r = qmtool({ "info", dir.filePath("a.swf") });
    EXPECT_EQ(r.code, 0);
    EXPECT_FALSE(r.err.contains("qmtool info")) << r.err.toStdString();
}

TEST(QmtoolPack, WritesAnArchiveThatUnpacks)
{
    QTemporaryDir dir;
    qmtest::writeFile(dir.filePath("a.gif"), "GIF89a");
    qmtest::writeFile(dir.filePath("style.css"), "body {}");
    const ToolRun r = qmtool({ "pack", dir.filePath("img.pack"), dir.filePath("a.gif"), dir.filePath("style.css") });
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    const QByteArray pack = qmtest::readFile(dir.filePath("img.pack"));
    EXPECT_TRUE(pack.contains("FileName=a.gif.Tmp#FileSize=")) << pack.toStdString();
    EXPECT_TRUE(pack.contains("\r\nFileName=style.css.Tmp#FileSize=")) << pack.toStdString();
}

TEST(QmtoolPack, UnreadableFileFailsWithoutArchive)
{
    QTemporaryDir dir;
    const ToolRun r = qmtool({ "pack", dir.filePath("img.pack"), dir.filePath("missing.gif") });
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("missing.gif")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("img.pack")));
}

} // namespace
