// libCorvane.so as the program uses it: loaded by path from the program's folder, writing
// the program's config.ini. corvane_host plays the program (see CorvaneHost.cpp).
#include "shared/IniFile.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class LibraryHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(QStringLiteral(QM_CORVANE_HOST), dir.filePath("corvane_host")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(QM_DIALOG_LIBRARY), dir.filePath("libCorvane.so")));
        config = QFileInfo(dir.path()).canonicalFilePath() + "/config.ini";
    }

    // Runs the host with the steps and returns its report lines.
    QStringList run(const QStringList& steps)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.start(dir.filePath("corvane_host"), steps);
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir dir;
    QString config;
};

} // namespace

TEST_F(LibraryHost, ValueWrittenByTheLibraryIsReadByTheProgramsNextRead)
{
    qmtest::writeFile(config, "[App]\nFlag=1\n[Preview]\nIsPlayOrder=0\n");
    const QStringList lines = run({
        "ShowFrmOption:check=BtnLoop,check=BtnFull,text=EdtFavorite=  /music/swf  ,click=BtnOk",
    });
    EXPECT_EQ(lines, (QStringList {
                         "shown Set options: BtnSequential BtnNormal EdtFavorite=",
                         "read IsPlayOrder=2",
                         "read IsMax=1",
                         "read FavoriteDir=/music/swf",
                         "loads 1",
                     }));
    EXPECT_EQ(IniFile(config).read("App", "Flag"), "1");
}

TEST_F(LibraryHost, SecondDialogShowsWhatTheFirstStoredAndTheLibraryLoadsOnce)
{
    const QStringList lines = run({
        "ShowFrmOption:check=BtnRandom,text=EdtFavorite=/films,click=BtnOk",
        "ShowFrmAbout",
        "ShowFrmOption:check=BtnSequential,click=BtnCancel",
        "ShowFrmOption",
        "ShowFrmAbout:click=BtnClose",
    });
    EXPECT_EQ(lines, (QStringList {
                         "shown Set options: BtnNormal EdtFavorite=",
                         "shown About: ",
                         "shown Set options: BtnRandom BtnNormal EdtFavorite=/films",
                         "shown Set options: BtnRandom BtnNormal EdtFavorite=/films",
                         "shown About: ",
                         "read IsPlayOrder=1",
                         "read IsMax=0",
                         "read FavoriteDir=/films",
                         "loads 1",
                     }));
}

TEST_F(LibraryHost, MissingLibraryShowsNothing)
{
    QFile::remove(dir.filePath("libCorvane.so"));
    EXPECT_EQ(run({ "ShowFrmOption", "ShowFrmAbout" }), (QStringList {
                                                           "no dialog for ShowFrmOption",
                                                           "no dialog for ShowFrmAbout",
                                                           "read IsPlayOrder=",
                                                           "read IsMax=",
                                                           "read FavoriteDir=",
                                                           "loads 0",
                                                       }));
    EXPECT_FALSE(QFile::exists(config));
}
