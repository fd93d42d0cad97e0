#include "shared/Errors.h"
#include "shared/kvZipUnit.h"
#include "tests/kvzip/KvZipTestSupport.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace kvziptest;

namespace {

QByteArray mixedBytes(qsizetype n)
{
    // Compressible but not trivial, and longer than one read chunk when n is large.
    QByteArray out;
    out.reserve(n);
    quint32 x = 12345;
    for (qsizetype i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        out.append(char(i % 7 == 0 ? (x >> 16) & 0xFF : 'a' + i % 5));
    }
    return out;
}

enum class Outcome { Ok, ReadError, DecompressionError, OpenError };

// Runs `op` and says which kind of error (if any) it raised.
Outcome outcomeOf(const std::function<void()>& op)
{
    try {
        op();
    } catch (const EReadError&) {
        return Outcome::ReadError;
    } catch (const EZDecompressionError&) {
        return Outcome::DecompressionError;
    } catch (const EFOpenError&) {
        return Outcome::OpenError;
    }
    return Outcome::Ok;
}

// ---- CompressFile ----

struct LevelCase {
    TCompressionLevel level;
    char secondHeaderByte; // the zlib header's FLG byte names the level class
};

class CompressLevels : public ::testing::TestWithParam<LevelCase> {};

TEST_P(CompressLevels, WritesSizeFieldThenOneZlibStreamThatRestores)
{
    for (const QByteArray& content : { QByteArray(), QByteArray("hello"), mixedBytes(200 * 1024) }) {
        QTemporaryDir dir;
        const QString src = dir.filePath("src.gif");
        const QString packed = dir.filePath("packed.Tmp");
        const QString restored = dir.filePath("restored.gif");
        qmtest::writeFile(src, content);

        CompressFile(src, packed, GetParam().level);
        const QByteArray bytes = qmtest::readFile(packed);
        ASSERT_GE(bytes.size(), 10);
        EXPECT_EQ(bytes.left(8), compressedFile(quint64(content.size()), {}));
        EXPECT_EQ(bytes[8], char(0x78));
        EXPECT_EQ(bytes[9], GetParam().secondHeaderByte);
        bool ok = false;
        EXPECT_EQ(inflateAll(bytes.mid(8), &ok), content);
        EXPECT_TRUE(ok);

        DecompressFile(packed, restored);
        EXPECT_EQ(qmtest::readFile(restored), content);
    }
}

INSTANTIATE_TEST_SUITE_P(AllLevels, CompressLevels,
                         ::testing::Values(LevelCase { TCompressionLevel::clNone, char(0x01) },
                                           LevelCase { TCompressionLevel::clFastest, char(0x01) },
                                           LevelCase { TCompressionLevel::clDefault, char(0x9C) },
                                           LevelCase { TCompressionLevel::clMax, char(0xDA) }));

TEST(CompressFile, LevelsMapToZlibLevels)
{
    EXPECT_EQ(ZlibLevel(TCompressionLevel::clNone), 0);
    EXPECT_EQ(ZlibLevel(TCompressionLevel::clFastest), 1);
    EXPECT_EQ(ZlibLevel(TCompressionLevel::clDefault), -1);
    EXPECT_EQ(ZlibLevel(TCompressionLevel::clMax), 9);
}

TEST(CompressFile, FilesThatCannotBeOpenedOrCreatedRaiseAndWriteNothing)
{
    QTemporaryDir dir;
    qmtest::writeFile(dir.filePath("src"), "data");
    qmtest::writeFile(dir.filePath("dest"), "old");
    EXPECT_EQ(outcomeOf([&] { CompressFile(dir.filePath("missing"), dir.filePath("dest"), TCompressionLevel::clMax); }),
              Outcome::OpenError);
    EXPECT_EQ(qmtest::readFile(dir.filePath("dest")), "old");
    EXPECT_EQ(outcomeOf([&] { CompressFile(dir.filePath("src"), dir.filePath("no/dest"), TCompressionLevel::clMax); }),
              Outcome::OpenError);
    EXPECT_EQ(entriesOf(dir.path()), QStringList({ "dest", "src" }));
}

// ---- DecompressFile ----

struct DecompressCase {
    const char* what;
    QByteArray file;
    Outcome outcome;
    QByteArray output; // when Ok
};

void PrintTo(const DecompressCase& c, std::ostream* os) { *os << c.what; }

class DecompressCases : public ::testing::TestWithParam<DecompressCase> {};

TEST_P(DecompressCases, RestoreOrRaiseWithoutTouchingTheDestination)
{
    const DecompressCase& c = GetParam();
    for (bool destExists : { false, true }) {
        QTemporaryDir dir;
        const QString src = dir.filePath("src.Tmp");
        const QString dest = dir.filePath("dest.gif");
        qmtest::writeFile(src, c.file);
        if (destExists)
            qmtest::writeFile(dest, "previous");

        EXPECT_EQ(outcomeOf([&] { DecompressFile(src, dest); }), c.outcome);
        if (c.outcome == Outcome::Ok) {
            EXPECT_EQ(qmtest::readFile(dest), c.output);
        } else if (destExists) {
            EXPECT_EQ(qmtest::readFile(dest), "previous");
        }
        // No temporary file stays behind, and no destination appears on failure.
        const QStringList expected = c.outcome == Outcome::Ok || destExists ? QStringList { "dest.gif", "src.Tmp" }
                                                                            : QStringList { "src.Tmp" };
        EXPECT_EQ(entriesOf(dir.path()), expected);
    }
}

const QByteArray kText = mixedBytes(150 * 1024);
const QByteArray kStream = zlibStream(kText);

QByteArray damagedStream()
{
    QByteArray s = kStream;
    s[1] = char(s[1] ^ 0x01); // the header check fails
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DecompressCases,
    ::testing::Values(
        DecompressCase { "exact size", compressedFile(kText.size(), kStream), Outcome::Ok, kText },
        DecompressCase { "size field smaller than the stream keeps the stated bytes",
                         compressedFile(1000, kStream), Outcome::Ok, kText.left(1000) },
        DecompressCase { "size 0", compressedFile(0, kStream), Outcome::Ok, QByteArray() },
        DecompressCase { "non-zero high half: only the low 32 bits count",
                         compressedFile(0xABCD000100000000ull + 5, zlibStream("hello world")), Outcome::Ok,
                         "hello" },
        DecompressCase { "size field larger than the stream", compressedFile(kText.size() + 1, kStream),
                         Outcome::ReadError, {} },
        DecompressCase { "stream cut off", compressedFile(kText.size(), kStream.left(kStream.size() / 2)),
                         Outcome::ReadError, {} },
        DecompressCase { "no stream at all", compressedFile(10, {}), Outcome::ReadError, {} },
        DecompressCase { "shorter than the size field", QByteArray("\x05\0\0\0", 4), Outcome::ReadError, {} },
        DecompressCase { "empty file", QByteArray(), Outcome::ReadError, {} },
        DecompressCase { "size 2^31 is refused before any inflating", compressedFile(0x80000000ull, kStream),
                         Outcome::ReadError, {} },
        DecompressCase { "size 2^32 - 1 is refused", compressedFile(0xFFFFFFFFull, kStream), Outcome::ReadError,
                         {} },
        DecompressCase { "damaged stream", compressedFile(kText.size(), damagedStream()),
                         Outcome::DecompressionError, {} },
        DecompressCase { "not a zlib stream", compressedFile(4, "GIF89a garbage"), Outcome::DecompressionError,
                         {} }));

TEST(DecompressFile, LargestDeclaredSizeIsNotAllocatedUpFront)
{
    // 2^31 - 1 passes the limit; the short stream then ends long before it, which must come
    // out as a read error, not as an attempt to hold two gigabytes.
    QTemporaryDir dir;
    qmtest::writeFile(dir.filePath("src"), compressedFile(0x7FFFFFFFull, zlibStream("tiny")));
    EXPECT_EQ(outcomeOf([&] { DecompressFile(dir.filePath("src"), dir.filePath("dest")); }), Outcome::ReadError);
    EXPECT_FALSE(QFile::exists(dir.filePath("dest")));
}

TEST(DecompressFile, FilesThatCannotBeOpenedOrCreatedRaise)
{
    QTemporaryDir dir;
    qmtest::writeFile(dir.filePath("src"), compressedFile("abc"));
    EXPECT_EQ(outcomeOf([&] { DecompressFile(dir.filePath("missing"), dir.filePath("dest")); }), Outcome::OpenError);
    EXPECT_EQ(outcomeOf([&] { DecompressFile(dir.filePath("src"), dir.filePath("no/dest")); }), Outcome::OpenError);
    EXPECT_EQ(entriesOf(dir.path()), QStringList { "src" });
}

TEST(DecompressFile, ErrorMessagesNameTheFile)
{
    QTemporaryDir dir;
    qmtest::writeFile(dir.filePath("short.Tmp"), compressedFile(99, zlibStream("abc")));
    try {
        DecompressFile(dir.filePath("short.Tmp"), dir.filePath("dest"));
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_TRUE(e.message().contains("short.Tmp")) << e.what();
    }
}

// ---- UnpackArchive ----

Entry entry(const QString& name, const QByteArray& content)
{
    return Entry { name, compressedFile(content) };
}

Entry entryWithLine(const QString& name, const QByteArray& content, const QString& line)
{
    return Entry { name, compressedFile(content), line };
}

using Files = std::map<QString, QByteArray>;

Files filesIn(const QString& folder)
{
    Files out;
    for (const QString& name : entriesOf(folder))
        out[name] = qmtest::readFile(folder + "/" + name);
    return out;
}

struct UnpackCase {
    const char* what;
    std::function<QByteArray()> archive;
    Files expected;
};

void PrintTo(const UnpackCase& c, std::ostream* os) { *os << c.what; }

class UnpackCases : public ::testing::TestWithParam<UnpackCase> {};

TEST_P(UnpackCases, ExtractsBackToFrontAndStopsSilentlyAtTheFirstFailure)
{
    const UnpackCase& c = GetParam();
    QTemporaryDir root;
    const QString archive = root.filePath("images.pack");
    const QString dest = root.filePath("out");
    qmtest::writeFile(archive, c.archive());

    EXPECT_NO_THROW(UnpackArchive(archive, dest));
    EXPECT_EQ(filesIn(dest), c.expected);
    // Nothing lands beside the destination folder.
    EXPECT_EQ(entriesOf(root.path()), QStringList({ "images.pack", "out" }));
}

const QByteArray kBig = mixedBytes(100 * 1024);

std::vector<Entry> fourEntries()
{
    return { entry("a.txt.Tmp", "first"), entry("b.gif.Tmp", kBig), entry("c.css.Tmp", "third"),
             entry("d.txt.Tmp", "fourth") };
}

// The four entries with the second one replaced.
std::vector<Entry> withSecond(Entry second)
{
    std::vector<Entry> e = fourEntries();
    e[1] = std::move(second);
    return e;
}

const Files kAllFour { { "a.txt", "first" }, { "b.gif", kBig }, { "c.css", "third" }, { "d.txt", "fourth" } };
const Files kLastTwo { { "c.css", "third" }, { "d.txt", "fourth" } };

INSTANTIATE_TEST_SUITE_P(
    Table, UnpackCases,
    ::testing::Values(
        UnpackCase { "all entries", [] { return pack(fourEntries()); }, kAllFour },
        UnpackCase { "LF line ends", [] { return pack(fourEntries(), "\n"); }, kAllFour },
        UnpackCase { "CR line ends", [] { return pack(fourEntries(), "\r"); }, kAllFour },
        UnpackCase { "any suffix loses four characters",
                     [] { return pack({ entry("x.gif.bin", "x"), entry("y.gifABCD", "y") }); },
                     { { "x.gif", "x" }, { "y.gif", "y" } } },
        UnpackCase { "keys in any case and order, other fields ignored",
                     [] {
                         return pack({ entryWithLine("a.Tmp", "aa", "filesize=%SIZE%#Note=x#FILENAME=a.txt.Tmp"),
                                       entryWithLine("b.Tmp", "bb", "Extra=1#FileName=b.txt.Tmp#FileSize=%SIZE%") });
                     },
                     { { "a.txt", "aa" }, { "b.txt", "bb" } } },
        UnpackCase { "a blank ends a field",
                     [] { return pack({ entryWithLine("a.Tmp", "aa", "FileName=a.txt.Tmp x#FileSize=%SIZE% y") }); },
                     { { "a.txt", "aa" } } },
        UnpackCase { "the first entry of a name is written last",
                     [] { return pack({ entry("same.Tmp", "front"), entry("same.Tmp", "back") }); },
                     { { "same", "front" } } },
        UnpackCase { "index length 0 extracts nothing",
                     [] {
                         QByteArray a = pack(fourEntries());
                         a.chop(4);
                         return a + le32(0);
                     },
                     {} },
        UnpackCase { "empty index", [] { return pack({}); }, {} },
        UnpackCase { "index length below 4",
                     [] {
                         QByteArray a = pack(fourEntries());
                         a.chop(4);
                         return a + le32(3);
                     },
                     {} },
        UnpackCase { "index length larger than the archive",
                     [] {
                         QByteArray a = pack(fourEntries());
                         const quint32 n = quint32(a.size() + 1);
                         a.chop(4);
                         return a + le32(n);
                     },
                     {} },
        UnpackCase { "negative index length",
                     [] {
                         QByteArray a = pack(fourEntries());
                         a.chop(4);
                         return a + le32(0xFFFFFFF0u);
                     },
                     {} },
        UnpackCase { "archive shorter than the index length field", [] { return QByteArray("\x04\0", 2); }, {} },
        UnpackCase { "FileSize abc on the third line from the end",
                     [] { return pack(withSecond(entryWithLine("b.gif.Tmp", kBig, "FileName=b.gif.Tmp#FileSize=abc"))); },
                     kLastTwo },
        UnpackCase { "negative FileSize",
                     [] { return pack(withSecond(entryWithLine("b.gif.Tmp", kBig, "FileName=b.gif.Tmp#FileSize=-5"))); },
                     kLastTwo },
        UnpackCase { "missing FileSize",
                     [] { return pack(withSecond(entryWithLine("b.gif.Tmp", kBig, "FileName=b.gif.Tmp"))); },
                     kLastTwo },
        UnpackCase { "missing FileName",
                     [] { return pack(withSecond(entryWithLine("b.gif.Tmp", "bb", "FileSize=%SIZE%"))); }, kLastTwo },
        UnpackCase { "an empty line", [] { return pack(withSecond(entryWithLine("b.Tmp", "", " "))); }, kLastTwo },
        UnpackCase { "FileSize reaching before the start of the archive",
                     [] {
                         std::vector<Entry> e = fourEntries();
                         e[0].line = QStringLiteral("FileName=a.txt.Tmp#FileSize=%1").arg(e[0].bytes.size() + 1);
                         return pack(e);
                     },
                     { { "b.gif", kBig }, { "c.css", "third" }, { "d.txt", "fourth" } } },
        UnpackCase { "huge FileSize", [] {
                         return pack(withSecond(entryWithLine("b.Tmp", "bb", "FileName=b.Tmp#FileSize=99999999999999999999")));
                     }, kLastTwo },
        UnpackCase { "damaged entry",
                     [] {
                         Entry bad = entry("b.gif.Tmp", kBig);
                         bad.bytes[9] = char(bad.bytes[9] ^ 1);
                         return pack(withSecond(bad));
                     },
                     kLastTwo },
        UnpackCase { "entry whose size field is larger than its stream",
                     [] { return pack(withSecond(Entry { "b.gif.Tmp", compressedFile(99, zlibStream("short")) })); },
                     kLastTwo },
        UnpackCase { "entry whose size field is smaller than its stream",
                     [] { return pack(withSecond(Entry { "b.gif.Tmp", compressedFile(3, zlibStream("short")) })); },
                     { { "a.txt", "first" }, { "b.gif", "sho" }, { "c.css", "third" }, { "d.txt", "fourth" } } },
        UnpackCase { "entry shorter than a size field",
                     [] { return pack(withSecond(Entry { "b.gif.Tmp", QByteArray("\1\0\0", 3) })); }, kLastTwo }));

// Names that would leave the destination folder stop the extraction like any other failure.
class UnsafeNames : public ::testing::TestWithParam<const char*> {};

TEST_P(UnsafeNames, NeverWriteOutsideTheDestination)
{
    QTemporaryDir root;
    QDir(root.path()).mkdir("out");
    QDir(root.path()).mkdir("sub");
    const QString archive = root.filePath("images.pack");
    const QString name = QString::fromUtf8(GetParam()).replace("%ROOT%", root.path());
    qmtest::writeFile(archive, pack(withSecond(entry(name, "evil"))));

    EXPECT_NO_THROW(UnpackArchive(archive, root.filePath("out")));
    EXPECT_EQ(filesIn(root.filePath("out")), kLastTwo);
    EXPECT_EQ(entriesOf(root.path()), QStringList({ "images.pack", "out", "sub" }));
    EXPECT_EQ(entriesOf(root.filePath("sub")), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Table, UnsafeNames,
                         ::testing::Values("../evil.txt.Tmp", "sub/evil.txt.Tmp", "../sub/evil.Tmp",
                                           "%ROOT%/sub/evil.Tmp", "..\\evil.Tmp", "...Tmp", "..Tmp", ".Tmp", "Tmp",
                                           "../.Tmp"));

TEST(UnpackArchive, TrailingDelimiterOrNotGivesTheSameResult)
{
    for (const QString& suffix : { QString(), QStringLiteral("/") }) {
        QTemporaryDir root;
        const QString archive = root.filePath("images.pack");
        qmtest::writeFile(archive, pack(fourEntries()));
        UnpackArchive(archive, root.filePath("Images") + suffix);
        EXPECT_EQ(filesIn(root.filePath("Images")), kAllFour);
    }
}

TEST(UnpackArchive, CreatesOneLevelOfDestinationOnly)
{
    QTemporaryDir root;
    const QString archive = root.filePath("images.pack");
    qmtest::writeFile(archive, pack(fourEntries()));
    EXPECT_NO_THROW(UnpackArchive(archive, root.filePath("a/b")));
    EXPECT_FALSE(QFileInfo::exists(root.filePath("a")));
}

TEST(UnpackArchive, MissingArchiveDoesNothing)
{
    QTemporaryDir root;
    EXPECT_NO_THROW(UnpackArchive(root.filePath("missing.pack"), root.filePath("out")));
    EXPECT_EQ(entriesOf(root.path()), QStringList());
}

TEST(UnpackArchive, ArchiveThatCannotBeOpenedRaises)
{
    QTemporaryDir root;
    QDir(root.path()).mkdir("folder.pack"); // exists, but is no file
    EXPECT_THROW(UnpackArchive(root.filePath("folder.pack"), root.filePath("out")), EFOpenError);
}

TEST(UnpackArchive, ReplacesExistingFilesAndLeavesOthers)
{
    QTemporaryDir root;
    const QString archive = root.filePath("images.pack");
    QDir(root.path()).mkdir("out");
    qmtest::writeFile(root.filePath("out/a.txt"), "old a");
    qmtest::writeFile(root.filePath("out/keep"), "kept");
    qmtest::writeFile(archive, pack({ entry("a.txt.Tmp", "new a") }));
    UnpackArchive(archive, root.filePath("out"));
    EXPECT_EQ(filesIn(root.filePath("out")), (Files { { "a.txt", "new a" }, { "keep", "kept" } }));
}

} // namespace
