// ReadSwfHeader on an uncompressed movie and on 1 MB compressed ones (whose whole body is
// inflated to check it): two generated into a temporary folder, one real movie.
#include "app/UnitSwf.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdlib>
#include <random>

namespace {

QByteArray le32(quint32 v)
{
    QByteArray out;
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xFF));
    return out;
}

// 550 x 400 at 24 frames a second, 100 frames, followed by `tail` bytes of noise.
QByteArray movieBody(qsizetype tail)
{
    QByteArray body = QByteArray::fromHex("7800055F00000FA000") + QByteArray::fromHex("00186400");
    std::mt19937 random(42);
    body.reserve(body.size() + tail);
    for (qsizetype i = 0; i < tail; ++i)
        body.append(char(random() & 0xFF));
    return body;
}

struct Files {
    QTemporaryDir dir;
    QString fws;
    QString cws;
    qint64 cwsSize = 0;

    Files()
    {
        const QByteArray body = movieBody(1 << 20);
        fws = dir.filePath("plain.swf");
        write(fws, QByteArray("FWS") + char(8) + le32(quint32(8 + body.size())) + body);

        uLongf size = compressBound(uLong(body.size()));
        QByteArray stream(qsizetype(size), '\0');
        compress2(reinterpret_cast<Bytef*>(stream.data()), &size, reinterpret_cast<const Bytef*>(body.constData()),
                  uLong(body.size()), 9);
        stream.resize(qsizetype(size));
        cws = dir.filePath("compressed.swf");
        const QByteArray file = QByteArray("CWS") + char(10) + le32(quint32(8 + body.size())) + stream;
        write(cws, file);
        cwsSize = file.size();
    }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            std::abort();
    }
};

Files& files()
{
    static Files f;
    return f;
}

void readHeader(benchmark::State& state, const QString& path)
{
    QString v, l, w, h, r, c;
    for (auto _ : state) {
        ReadSwfHeader(path, v, l, w, h, r, c);
        benchmark::DoNotOptimize(c);
    }
}

void BM_ReadSwfHeader_FWS_1MB(benchmark::State& state)
{
    readHeader(state, files().fws);
}

void BM_ReadSwfHeader_CWS_1MB(benchmark::State& state)
{
    readHeader(state, files().cws);
    state.SetBytesProcessed(state.iterations() * files().cwsSize);
    state.counters["file_bytes"] = double(files().cwsSize);
}

// A real compressed movie of 1.2 MB that inflates to 3 MB, from the corpus.
void BM_ReadSwfHeader_CWS_Corpus(benchmark::State& state)
{
    const QString path = QStringLiteral(QM_CORPUS_DIR "/parse/from_avmplus__as3__Vector__initializer_large_vector.swf");
    if (!QFile::exists(path)) {
        state.SkipWithError("corpus movie missing");
        return;
    }
    readHeader(state, path);
    state.SetBytesProcessed(state.iterations() * QFile(path).size());
}

} // namespace

BENCHMARK(BM_ReadSwfHeader_FWS_1MB);
BENCHMARK(BM_ReadSwfHeader_CWS_1MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadSwfHeader_CWS_Corpus)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
