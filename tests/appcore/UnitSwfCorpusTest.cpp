// Every FWS and CWS movie of the corpus against a reading of its header done here, apart
// from the reader: zlib's inflate over the whole body and a plain bit loop.
#include "app/UnitSwf.h"
#include "shared/Errors.h"
#include "tests/support/TestSupport.h"

#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <optional>

namespace {

struct Expected {
    QString version, fileLength, width, height, frameCount;
    int rateInteger = 0;
    int rateFraction = 0;
};

// The whole zlib stream, or nothing when it is damaged or cut off.
std::optional<QByteArray> inflateBody(const QByteArray& stream)
{
    z_stream z {};
    if (inflateInit(&z) != Z_OK)
        return std::nullopt;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.constData()));
    z.avail_in = uInt(stream.size());
    QByteArray out;
    QByteArray chunk(1 << 16, '\0');
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(chunk.data());
        z.avail_out = uInt(chunk.size());
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(chunk.constData(), chunk.size() - qsizetype(z.avail_out));
    }
    inflateEnd(&z);
    if (rc != Z_STREAM_END)
        return std::nullopt;
    return out;
}

// nullopt when the movie's header cannot be read (damaged body, too short).
std::optional<Expected> independentReading(const QByteArray& file)
{
    if (file.size() < 8)
        return std::nullopt;
    QByteArray body = file.mid(8);
    if (file.startsWith("CWS")) {
        const std::optional<QByteArray> inflated = inflateBody(body);
        if (!inflated)
            return std::nullopt;
        body = *inflated;
    }
    if (body.isEmpty())
        return std::nullopt;
    auto bit = [&](int k) { return (uchar(body[k / 8]) >> (7 - k % 8)) & 1; };
    const int nbits = uchar(body[0]) >> 3;
    const int rectBytes = (5 + 4 * nbits + 7) / 8;
    if (body.size() < rectBytes + 4)
        return std::nullopt;
    quint64 coords[4] = {};
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i < nbits; ++i)
            coords[c] = coords[c] * 2 + quint64(bit(5 + c * nbits + i));
    Expected e;
    e.version = QString::number(uchar(file[3]));
    quint64 length = 0;
    for (int i = 7; i >= 4; --i)
        length = length * 256 + uchar(file[i]);
    e.fileLength = QString::number(length);
    e.width = QString::number(coords[1] / 20);
    e.height = QString::number(coords[3] / 20);
    e.rateFraction = uchar(body[rectBytes]);
    e.rateInteger = uchar(body[rectBytes + 1]);
    e.frameCount = QString::number(uchar(body[rectBytes + 2]) + 256 * uchar(body[rectBytes + 3]));
    return e;
}

// The frame-rate text names the same 8.8 rate: "<integer>.0" for a zero fraction, else a
// decimal whose nearest 1/256 step is the fraction.
bool rateTextMatches(const QString& text, int integer, int fraction)
{
    const qsizetype point = text.indexOf('.');
    if (point <= 0 || text.left(point) != QString::number(integer))
        return false;
    const QString digits = text.mid(point + 1);
    if (fraction == 0)
        return digits == "0";
    bool ok = false;
    const double value = ("0." + digits).toDouble(&ok);
    return ok && std::lround(value * 256) == fraction;
}

TEST(UnitSwfCorpus, EveryFwsAndCwsMovieAgreesWithAnIndependentReading)
{
    const QString corpus = qmtest::corpusDir();
    int movies = 0;
    QDirIterator it(corpus, { "*.swf" }, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray file = f.readAll();
        const bool isMovie = file.startsWith("FWS") || file.startsWith("CWS");

        QString r[6];
        for (QString& s : r)
            s = QStringLiteral("unset");
        bool raised = false;
        try {
            ReadSwfHeader(path, r[0], r[1], r[2], r[3], r[4], r[5]);
        } catch (const EQuillmoorError&) {
            raised = true;
        }

        if (!isMovie) {
            // ZWS and anything else: no error and nothing assigned.
            EXPECT_FALSE(raised) << path.toStdString();
            EXPECT_EQ(QStringList(std::begin(r), std::end(r)), QStringList(6, "unset")) << path.toStdString();
            continue;
        }
        ++movies;
        const std::optional<Expected> e = independentReading(file);
        if (!e) {
            EXPECT_TRUE(raised) << path.toStdString();
            continue;
        }
        ASSERT_FALSE(raised) << path.toStdString();
        EXPECT_EQ(r[0], e->version) << path.toStdString();
        EXPECT_EQ(r[1], e->fileLength) << path.toStdString();
        EXPECT_EQ(r[2], e->width) << path.toStdString();
        EXPECT_EQ(r[3], e->height) << path.toStdString();
        EXPECT_TRUE(rateTextMatches(r[4], e->rateInteger, e->rateFraction))
            << path.toStdString() << ": " << r[4].toStdString() << " for " << e->rateInteger << " + "
            << e->rateFraction << "/256";
        EXPECT_EQ(r[5], e->frameCount) << path.toStdString();
    }
    // An empty or missing corpus would make this test pass vacuously.
    EXPECT_GT(movies, 0) << "no FWS or CWS movie found under " << corpus.toStdString();
}

} // namespace
