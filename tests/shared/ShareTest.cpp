#include "shared/DesktopShell.h"
#include "shared/Errors.h"
#include "shared/IniFile.h"
#include "shared/Share.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using qmtest::ScriptedPrompts;
using qmtest::writeFile;

namespace {

using qmtest::RecordingShell;

TEST(Share, AddBackslash)
{
    EXPECT_EQ(AddBackslash("/"), "/");
    EXPECT_EQ(AddBackslash("/data"), "/data/");
    EXPECT_EQ(AddBackslash("/data/"), "/data/");
    EXPECT_EQ(AddBackslash(""), "/");
}

TEST(Share, FoldersEndWithTheDelimiter)
{
    for (const QString& folder : { GetAppPath(), GetTempDir(), GetSystemPath(), GetInstallPath() }) {
        EXPECT_TRUE(folder.endsWith('/')) << folder.toStdString();
        EXPECT_TRUE(QDir::isAbsolutePath(folder)) << folder.toStdString();
    }
    EXPECT_TRUE(GetSystemPath().endsWith("/Quillmoor/"));
    EXPECT_TRUE(QFileInfo::exists(GetAppPath() + "shared_tests"));
}

TEST(Share, InstallPathComesFromTheInstallationRecord)
{
    QTemporaryDir dir;
    const QString record = dir.filePath("install.ini");
    SetInstallRecordPath(record);
    EXPECT_EQ(GetInstallPath(), GetAppPath()) << "no record";
    writeFile(record, "[My Program]\nInstallPath=\n");
    EXPECT_EQ(GetInstallPath(), GetAppPath()) << "empty value";
    writeFile(record, "[my program]\ninstallpath=/opt/quillmoor\n");
    EXPECT_EQ(GetInstallPath(), "/opt/quillmoor/");
    SetInstallRecordPath({});
    EXPECT_EQ(InstallRecordPath(), "/etc/xdg/Quillmoor/install.ini");
}

TEST(Share, FormatSize)
{
    const struct {
        qint64 bytes;
        const char* text;
    } cases[] = {
        { 0, "1KB" }, { 1023, "1KB" }, { 1024, "1KB" }, { 2047, "1KB" }, { 524288, "512KB" },
        { 1048575, "1023KB" }, { 1048576, "1MB" }, { 1536 * 1024, "1.5MB" }, { 1280 * 1024, "1.2MB" },
        { 10240 * 1024, "10MB" }, { 1126 * 1024, "1.1MB" }, { 2147483647, "2048MB" },
        { 5368709120, "5120MB" }, { -5, "1KB" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
}

TEST(Share, FormatSizeUsesTheLocaleDecimalSeparator)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FormatSize(1536 * 1024), "1,5MB");
    EXPECT_EQ(FormatSize(qint64(1536) * 1024 * 1024 * 2), "3072MB"); // no group separator
    QLocale::setDefault(saved);
}

TEST(Share, FormatDuration)
{
    EXPECT_EQ(FormatDuration(0), "0:0:0");
    EXPECT_EQ(FormatDuration(59), "0:0:59");
    EXPECT_EQ(FormatDuration(3600), "1:0:0");
    EXPECT_EQ(FormatDuration(3725), "1:2:5");
    EXPECT_EQ(FormatDuration(100 * 3600 + 61), "100:1:1");
}

TEST(Share, StrToInt)
{
    EXPECT_EQ(StrToInt("12"), 12);
    EXPECT_EQ(StrToInt(" -3 "), -3);
    EXPECT_EQ(StrToInt("+4"), 4);
    for (const char* bad : { "", "abc", "1.5", "12x", "99999999999" }) {
        try {
            StrToInt(bad);
            ADD_FAILURE() << bad;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(bad));
        }
    }
}

TEST(Share, FileSize)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("a.swf");
    writeFile(file, QByteArray(3000, 'x'));
    EXPECT_EQ(FileSizeOf(file), 3000);
    EXPECT_EQ(FileSizeText(file), "3000");
    EXPECT_THROW(FileSizeOf(dir.filePath("missing.swf")), EFOpenError);
}

TEST(Share, DeleteDir)
{
    QTemporaryDir dir;
    EXPECT_FALSE(DeleteDir(dir.filePath("missing")));

    const QString tree = dir.filePath("tree");
    QDir().mkpath(tree + "/a/b");
    writeFile(tree + "/a/b/x.swf", "x");
    writeFile(tree + "/.hidden", "h");
    EXPECT_TRUE(DeleteDir(tree + "/"));
    EXPECT_FALSE(QFileInfo::exists(tree));

    // A link to a folder: the link goes, the folder it points to stays whole.
    const QString target = dir.filePath("target");
    QDir().mkpath(target);
    writeFile(target + "/keep.swf", "k");
    QFile::link(target, dir.filePath("link"));
    EXPECT_TRUE(DeleteDir(dir.filePath("link")));
    EXPECT_TRUE(QFileInfo::exists(target + "/keep.swf"));

    writeFile(dir.filePath("file"), "f");
    EXPECT_FALSE(DeleteDir(dir.filePath("file")));
}

TEST(Share, EnsureDirMakesOneLevelOnly)
{
    QTemporaryDir dir;
    EnsureDir(dir.filePath("one"));
    EXPECT_TRUE(QFileInfo(dir.filePath("one")).isDir());
    EnsureDir(dir.filePath("one")); // existing: nothing happens
    EnsureDir(dir.filePath("two/three"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("two")));
}

TEST(Share, ShowMsgKinds)
{
    ScriptedPrompts scripted;
    for (int kind = 0; kind <= 4; ++kind)
        ShowMsg(kind, QString("m%1").arg(kind));
    ASSERT_EQ(scripted.messages.size(), 3u);
    const struct {
        Prompts::Icon icon;
        const char* caption;
    } expected[] = { { Prompts::Icon::Error, "Error" }, { Prompts::Icon::Warning, "Warning" },
                     { Prompts::Icon::Information, "Information" } };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(scripted.messages[i].icon, expected[i].icon);
        EXPECT_EQ(scripted.messages[i].caption, expected[i].caption);
        EXPECT_EQ(scripted.messages[i].text, QString("m%1").arg(i + 1));
    }
}

TEST(Share, ConfirmReplace)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("cat.swf");
    ScriptedPrompts scripted;
    EXPECT_TRUE(ConfirmReplace(file));
    EXPECT_TRUE(scripted.questions.empty()) << "a missing file is not asked about";

    writeFile(file, "x");
    scripted.answers = { Prompts::Answer::Yes, Prompts::Answer::No, Prompts::Answer::Closed };
    EXPECT_TRUE(ConfirmReplace(file));
    EXPECT_FALSE(ConfirmReplace(file));
    EXPECT_TRUE(ConfirmReplace(file)) << "only No refuses";
    ASSERT_EQ(scripted.questions.size(), 3u);
    EXPECT_EQ(scripted.questions[0].caption, "Quillmoor");
    EXPECT_EQ(scripted.questions[0].icon, Prompts::Icon::Question);
    EXPECT_EQ(scripted.questions[0].text, file + " already exists.\nDo you want to replace it?");
}

TEST(Share, ShellOpenAndSelect)
{
    RecordingShell shell;
    ShellOpen(nullptr, "https://example.org/help");
    ShellOpen(nullptr, "/tmp/some folder/help.html");
    ShellOpen(nullptr, "");
    SelectInExplorer("/tmp/x.swf");
    ASSERT_EQ(shell.opened.size(), 2);
    EXPECT_EQ(shell.opened[0], "https://example.org/help");
    EXPECT_EQ(shell.opened[1], QUrl::fromLocalFile("/tmp/some folder/help.html").toString());
    EXPECT_EQ(shell.shown, QStringList { "/tmp/x.swf" });
}

// Saving into a folder moves it to the front of the recent save folders.
TEST(Share, UpdateRecentFolders)
{
    const struct {
        const char* number; // nullptr: no Number key
        QStringList before;
        const char* saved;
        QStringList after;
    } cases[] = {
        { "3", { "A", "B", "C" }, "B", { "B", "A", "C" } },
        { "3", { "A", "B", "C" }, "D", { "D", "A", "B" } },
        { "3", { "A", "B", "C" }, "A", { "A", "B", "C" } },
        { nullptr, { "A", "B", "C", "D" }, "B", { "B", "A", "C", "D" } },
        { nullptr, { "A", "B", "C", "D", "E" }, "F", { "F", "A", "B", "C", "D" } },
        { nullptr, {}, "A", { "A" } },
        { "5", { "A", "", "C" }, "D", { "D", "A", "C" } }, // an empty entry ends the list
        { "3", { "a", "B" }, "A", { "A", "a", "B" } },          // compared with case
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("config.ini");
        IniFile ini(path);
        if (c.number)
            ini.write("Finished", "Number", c.number);
        for (int i = 0; i < c.before.size(); ++i)
            ini.write("Finished", QString("Item%1").arg(i), c.before[i]);
        UpdateRecentFolders(path, c.saved);
        QStringList after;
        for (int i = 0; i < 6; ++i) {
            const QString item = ini.read("Finished", QString("Item%1").arg(i));
            if (item.isEmpty() && i >= c.after.size())
                break;
            after << item;
        }
        EXPECT_EQ(after, c.after) << c.before.join(',').toStdString() << " + " << c.saved;
        EXPECT_EQ(ini.read("Finished", "Number"), c.number ? c.number : "") << "Number is never written";
    }
}

TEST(Share, UpdateRecentFoldersRejectsANonNumericLength)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("config.ini");
    IniFile(path).write("Finished", "Number", "many");
    EXPECT_THROW(UpdateRecentFolders(path, "/x"), EConvertError);
    EXPECT_EQ(IniFile(path).read("Finished", "Item0"), "");
}

} // namespace
