// qmtool render, bench and dump as users run them.
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int code = -1;
    QString out, err;
};

ToolRun qmtool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(QM_QMTOOL), args);
    p.waitForFinished(120000);
    ToolRun r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString movie(const char* name)
{
    return qmtest::corpusDir() + QStringLiteral("/real/") + QLatin1String(name);
}

} // namespace

TEST(QmtoolRenderTest, WritesThePictureOfTheStageAfterNFrames)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("race.png"));
    const ToolRun r = qmtool({QStringLiteral("render"), movie("shumway__race.swf"), QStringLiteral("--frames"),
                          QStringLiteral("2"), QStringLiteral("--size"), QStringLiteral("320x250"),
                          QStringLiteral("--quality"), QStringLiteral("low"), QStringLiteral("-o"), out});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QImage image(out);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(320, 250));
    EXPECT_TRUE(r.out.contains(QStringLiteral("320x250")));
}

TEST(QmtoolRenderTest, DefaultsToTheStageSize)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("logo.png"));
    ASSERT_EQ(qmtool({QStringLiteral("render"), movie("ruffle__logo-anim.swf"), QStringLiteral("-o"), out}).code, 0);
    EXPECT_EQ(QImage(out).size(), QSize(600, 400));
}

TEST(QmtoolRenderTest, BadArgumentsAndFilesWriteNothing)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("x.png"));
    QFile notMovie(dir.filePath(QStringLiteral("a.swf")));
    ASSERT_TRUE(notMovie.open(QIODevice::WriteOnly));
    notMovie.write("not a movie at all");
    notMovie.close();
    struct Case {
        QStringList args;
        int code;
    };
    const Case cases[] = {
        {{QStringLiteral("render")}, 2},
        {{QStringLiteral("render"), movie("shumway__race.swf")}, 2},
        {{QStringLiteral("render"), movie("shumway__race.swf"), QStringLiteral("--size"), QStringLiteral("0x10"),
          QStringLiteral("-o"), out},
         2},
        {{QStringLiteral("render"), movie("shumway__race.swf"), QStringLiteral("--frames"), QStringLiteral("-1"),
          QStringLiteral("-o"), out},
         2},
        {{QStringLiteral("render"), movie("shumway__race.swf"), QStringLiteral("--quality"), QStringLiteral("best"),
          QStringLiteral("-o"), out},
         2},
        {{QStringLiteral("render"), notMovie.fileName(), QStringLiteral("-o"), out}, 1},
        {{QStringLiteral("render"), dir.filePath(QStringLiteral("missing.swf")), QStringLiteral("-o"), out}, 1},
    };
    for (const Case& c : cases) {
        const ToolRun r = qmtool(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString();
        EXPECT_FALSE(r.err.isEmpty());
        EXPECT_FALSE(QFile::exists(out));
    }
}

TEST(QmtoolBenchTest, ReportsTheMedianAndTheRealTimeFactor)
{
    const ToolRun r = qmtool({QStringLiteral("bench"), movie("shumway__race.swf"), QStringLiteral("--frames"),
                          QStringLiteral("3"), QStringLiteral("--size"), QStringLiteral("64x50")});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("3 frames at 64x50")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("median")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("real-time factor")));
    EXPECT_EQ(qmtool({QStringLiteral("bench"), movie("shumway__race.swf"), QStringLiteral("--quality"),
                      QStringLiteral("low")})
                  .code,
              2)
        << "bench draws at high quality only";
}

TEST(QmtoolDumpTest, ShapesAndFiltersOnRequest)
{
    const QString file = qmtest::corpusDir() + QStringLiteral("/conformance/visual/visual__filters__glow/test.swf");
    const ToolRun plain = qmtool({QStringLiteral("dump"), file});
    ASSERT_EQ(plain.code, 0) << plain.err.toStdString();
    EXPECT_TRUE(plain.out.contains(QStringLiteral("filters 1 [glow #FF0000FF blur 5x5 strength 1 passes 1 knockout]")));
    EXPECT_FALSE(plain.out.contains(QStringLiteral("curve ")));

    const ToolRun shapes = qmtool({QStringLiteral("dump"), QStringLiteral("--shapes"), file});
    ASSERT_EQ(shapes.code, 0) << shapes.err.toStdString();
    // Records with the pen's absolute positions in twips.
    EXPECT_TRUE(shapes.out.contains(QStringLiteral("style move 3022,1975 fill1 2\n")));
    EXPECT_TRUE(shapes.out.contains(QStringLiteral("line 3022,1975 -> 3080,2084\n")));
    EXPECT_TRUE(shapes.out.contains(QStringLiteral("curve 3080,2084 via 3250,2419 -> 3250,2635\n")));
}
