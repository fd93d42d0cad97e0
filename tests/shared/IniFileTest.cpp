#include "shared/Errors.h"
#include "shared/IniFile.h"
#include "shared/Share.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

using qmtest::readFile;
using qmtest::writeFile;

namespace {

struct ReadCase {
    const char* name;
    QByteArray content;
    const char* section;
    const char* key;
    QString expected;
};

class IniRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniRead, FollowsTheSettingsFileRules)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    writeFile(path, GetParam().content);
    EXPECT_EQ(IniFile(path).read(GetParam().section, GetParam().key), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniRead, ::testing::Values(
    ReadCase { "plain", "[App]\nFlag=1\n", "App", "Flag", "1" },
    ReadCase { "sectionAndKeyIgnoreCase", "[app]\nFLAG=1\n", "App", "flag", "1" },
    ReadCase { "blanksAroundValueRemoved", "[App]\nFlag =  1 \t\n", "App", "Flag", "1" },
    ReadCase { "blanksInsideKept", "[Preview]\nFavoriteDir= /my movies/x \n", "Preview", "FavoriteDir", "/my movies/x" },
    ReadCase { "onePairOfDoubleQuotes", "[A]\nk=\"\"x\"\"\n", "A", "k", "\"x\"" },
    ReadCase { "singleQuotes", "[A]\nk='a b'\n", "A", "k", "a b" },
    ReadCase { "unmatchedQuoteKept", "[A]\nk=\"x\n", "A", "k", "\"x" },
    ReadCase { "crLfLines", "[A]\r\nk=v\r\nj=w\r\n", "A", "j", "w" },
    ReadCase { "crOnlyLines", "[A]\rk=v\rj=w", "A", "j", "w" },
    ReadCase { "missingSection", "[A]\nk=v\n", "B", "k", "" },
    ReadCase { "missingKey", "[A]\nk=v\n", "A", "x", "" },
    ReadCase { "keyOfAnotherSection", "[A]\nk=v\n[B]\nx=1\n", "A", "x", "" },
    ReadCase { "firstSectionCounts", "[A]\nk=1\n[A]\nk=2\n", "A", "k", "1" },
    ReadCase { "firstKeyCounts", "[A]\nk=1\nk=2\n", "A", "k", "1" },
    ReadCase { "keyBeforeAnySectionIgnored", "k=0\n[A]\nk=1\n", "A", "k", "1" },
    ReadCase { "commentLineIgnored", "[A]\n;k=0\nk=1\n", "A", "k", "1" },
    ReadCase { "valueWithEquals", "[A]\nk=a=b\n", "A", "k", "a=b" },
    ReadCase { "blanksAroundSectionName", "[ App ]\nFlag=1\n", "App", "Flag", "1" },
    ReadCase { "yesIsNotOne", "[App]\nFlag=yes\n", "App", "Flag", "yes" },
    ReadCase { "utf8", "[A]\nk=Grüße\n", "A", "k", QString::fromUtf8("Grüße") },
    ReadCase { "emptyFile", "", "A", "k", "" }),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniFile, MissingFileReadsEmptyAndFirstWriteCreatesIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    IniFile ini(path);
    EXPECT_EQ(ini.read("App", "Flag"), "");
    ini.write("App", "Flag", "1");
    EXPECT_EQ(readFile(path), QByteArray("[App]\nFlag=1\n"));
    EXPECT_EQ(ini.read("app", "flag"), "1");
}

TEST(IniFile, ValuesAreCutAt2047Characters)
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath("config.ini"));
    const QString longValue(5000, QLatin1Char('x'));
    ini.write("A", "k", longValue);
    EXPECT_EQ(ini.read("A", "k"), longValue.left(2047));
}

TEST(IniFile, WriteReplacesInPlaceAndKeepsEveryOtherLine)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    writeFile(path, "; settings\r\n[App]\r\nLeft = 10\r\nTop=20\r\n\r\n[Preview]\r\nIsMax=0\r\n");
    IniFile ini(path);
    ini.write("APP", "left", "-5");
    EXPECT_EQ(readFile(path), QByteArray("; settings\r\n[App]\r\nLeft =-5\r\nTop=20\r\n\r\n[Preview]\r\nIsMax=0\r\n"));
}

TEST(IniFile, WriteAddsKeyAtTheEndOfItsSectionAndNewSectionsAtTheEnd)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    writeFile(path, "[App]\nFlag=1\n\n[Preview]\nIsMax=0");
    IniFile ini(path);
    ini.write("App", "Left", "7");
    ini.write("Finished", "Item0", "/x");
    ini.write("Preview", "IsPlayOrder", "2");
    EXPECT_EQ(readFile(path),
              QByteArray("[App]\nFlag=1\nLeft=7\n\n[Preview]\nIsMax=0\nIsPlayOrder=2\n[Finished]\nItem0=/x\n"));
}

TEST(IniFile, ValueWithLineBreakStaysOneLine)
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath("config.ini"));
    ini.write("A", "k", "one\n[B]\nx=1");
    EXPECT_EQ(ini.read("A", "k"), "one [B] x=1");
    EXPECT_EQ(ini.read("B", "x"), "");
}

TEST(IniFile, RefusedWriteRaisesAndLeavesTheFileAlone)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    writeFile(path, "[App]\nFlag=1\n");
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    try {
        IniFile(path).write("App", "Flag", "2");
        ADD_FAILURE() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.message(), "Unable to write to " + path);
    }
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(readFile(path), QByteArray("[App]\nFlag=1\n"));
}

TEST(IniFile, WriteOverAFolderRaises)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    QDir().mkdir(path);
    try {
        IniFile(path).write("A", "k", "v");
        ADD_FAILURE() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.message(), "Unable to write to " + path);
    }
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST(IniFile, WriteIntoMissingFolderRaises)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("no/such/config.ini");
    EXPECT_THROW(IniFile(path).write("A", "k", "v"), EIniFileException);
    EXPECT_FALSE(QFile::exists(path));
}

TEST(IniFile, WriteLeavesNoTemporaryFilesBehind)
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath("config.ini"));
    for (int i = 0; i < 5; ++i)
        ini.write("A", QString("k%1").arg(i), "v");
    const QStringList visible = QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot);
    EXPECT_EQ(visible, QStringList { "config.ini" });
}

TEST(IniFile, RacingWritersLoseNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    constexpr int kPerWriter = 40;
    auto writer = [&](const QString& prefix) {
        IniFile ini(path);
        for (int i = 0; i < kPerWriter; ++i)
            ini.write("Race", prefix + QString::number(i), QString::number(i));
    };
    std::thread a(writer, QStringLiteral("a"));
    std::thread b(writer, QStringLiteral("b"));
    a.join();
    b.join();
    IniFile ini(path);
    for (int i = 0; i < kPerWriter; ++i) {
        EXPECT_EQ(ini.read("Race", "a" + QString::number(i)), QString::number(i));
        EXPECT_EQ(ini.read("Race", "b" + QString::number(i)), QString::number(i));
    }
}

TEST(IniFile, OversizedFileReadsEmptyAndRefusesWrites)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    QByteArray big("[A]\nk=v\n");
    big.append(QByteArray(IniFile::kMaxFileSize, ';'));
    writeFile(path, big);
    EXPECT_EQ(IniFile(path).read("A", "k"), "");
    EXPECT_THROW(IniFile(path).write("A", "k", "w"), EIniFileException);
    EXPECT_EQ(QFileInfo(path).size(), big.size());
}

TEST(Config, ReadAndWriteGoThroughTheSettingsFile)
{
    QTemporaryDir dir;
    SetConfigPathForTesting(dir.filePath("config.ini"));
    EXPECT_EQ(ReadConfig("App", "Flag"), "");
    WriteConfig("App", "Flag", "1");
    EXPECT_EQ(ReadConfig("App", "Flag"), "1");
    // Another writer (the dialog library) is seen by the next read.
    IniFile(dir.filePath("config.ini")).write("Preview", "IsMax", " 1 ");
    EXPECT_EQ(ReadConfig("Preview", "IsMax"), "1");
    SetConfigPathForTesting({});
    EXPECT_EQ(ConfigPath(), GetAppPath() + "config.ini");
}

} // namespace
