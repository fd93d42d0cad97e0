// The Options dialog driven directly, on a settings file of the test's own.
#include "dialogs/UnitOption.h"
#include "shared/Errors.h"
#include "shared/Share.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

namespace {

// The value of a key line in the file as stored, or nothing when the line is absent
// (a read cannot tell an empty value from a missing key).
std::optional<QString> storedValue(const QString& path, const QString& key)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray& line : f.readAll().split('\n')) {
        const QString text = QString::fromUtf8(line).trimmed();
        if (text.startsWith(key + '='))
            return text.mid(key.size() + 1);
    }
    return std::nullopt;
}

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        config = dir.filePath("config.ini");
        SetConfigPathForTesting(config);
    }
    void TearDown() override { SetConfigPathForTesting(QString()); }

    void settings(const std::optional<QByteArray>& text)
    {
        QFile::remove(config);
        if (text)
            qmtest::writeFile(config, *text);
    }

    QString checkedOrder(const TFrmOptions& f) const
    {
        for (QRadioButton* b : { f.BtnSequential, f.BtnRandom, f.BtnLoop })
            if (b->isChecked())
                return b->objectName();
        return {};
    }

    QTemporaryDir dir;
    QString config;
    qmtest::ScriptedPrompts prompts;
};

} // namespace

TEST_F(OptionsTest, ShowingReadsTheStoredValues)
{
    struct Row {
        const char* preview; // the [Preview] lines; nullptr: no settings file at all
        const char* order;   // the selected play order button, "" for none
        bool full;
        const char* favorite;
    };
    const Row rows[] = {
        { nullptr, "", false, "" },
        { "", "", false, "" },
        { "IsPlayOrder=0\n", "BtnSequential", false, "" },
        { "IsPlayOrder=1\n", "BtnRandom", false, "" },
        { "IsPlayOrder=2\n", "BtnLoop", false, "" },
        { "IsPlayOrder=3\n", "", false, "" },
        { "IsPlayOrder=-1\n", "", false, "" },
        { "IsPlayOrder=01\n", "", false, "" },
        { "IsPlayOrder=1.0\n", "", false, "" },
        { "IsPlayOrder=random\n", "", false, "" },
        { "IsPlayOrder=  2  \n", "BtnLoop", false, "" },
        { "IsMax=1\n", "", true, "" },
        { "IsMax=0\n", "", false, "" },
        { "IsMax=yes\n", "", false, "" },
        { "IsMax=01\n", "", false, "" },
        { "IsMax=\"1\"\n", "", true, "" },
        { "IsMax=2\n", "", false, "" },
        { "FavoriteDir=/home/me/Flash movies\n", "", false, "/home/me/Flash movies" },
        { "isplayorder=2\nISMAX=1\nfavoritedir=/x\n", "BtnLoop", true, "/x" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.preview ? row.preview : "(no file)");
        settings(row.preview ? std::optional<QByteArray>("[Preview]\n" + QByteArray(row.preview)) : std::nullopt);
        TFrmOptions form(nullptr);
        form.show();
        EXPECT_EQ(checkedOrder(form), row.order);
        EXPECT_EQ(form.BtnFull->isChecked(), row.full);
        EXPECT_EQ(form.BtnNormal->isChecked(), !row.full) << "one window choice is always selected";
        EXPECT_EQ(form.EdtFavorite->text(), row.favorite);
    }
}

TEST_F(OptionsTest, OkWritesTheChoices)
{
    struct Row {
        const char* name;
        std::optional<QByteArray> before;
        QRadioButton* TFrmOptions::*order; // nullptr: leave the play order as shown
        bool full;
        QString favorite;
        std::optional<QString> isPlayOrder; // nothing: no line written
        QString isMax;
        QString favoriteDir;
    };
    const Row rows[] = {
        { "no settings file, nothing chosen", std::nullopt, nullptr, false, "", std::nullopt, "0", "" },
        { "no Preview section", QByteArray("[App]\nFlag=1\n"), nullptr, false, "", std::nullopt, "0", "" },
        { "unknown order stays", QByteArray("[Preview]\nIsPlayOrder=3\n"), nullptr, false, "", "3", "0", "" },
        { "sequential", std::nullopt, &TFrmOptions::BtnSequential, false, "", "0", "0", "" },
        { "random", std::nullopt, &TFrmOptions::BtnRandom, false, "", "1", "0", "" },
        { "loop over a stored order", QByteArray("[Preview]\nIsPlayOrder=0\n"), &TFrmOptions::BtnLoop, false, "", "2", "0", "" },
        { "stored order kept", QByteArray("[Preview]\nIsPlayOrder=1\n"), nullptr, false, "", "1", "0", "" },
        { "full screen", std::nullopt, nullptr, true, "", std::nullopt, "1", "" },
        { "normal over full", QByteArray("[Preview]\nIsMax=1\n"), &TFrmOptions::BtnNormal, false, "", std::nullopt, "0", "" },
        { "odd IsMax becomes 0", QByteArray("[Preview]\nIsMax=yes\n"), nullptr, false, "", std::nullopt, "0", "" },
        { "favourite trimmed", std::nullopt, nullptr, false, "  /home/me/swf  ", std::nullopt, "0", "/home/me/swf" },
        { "favourite inner blanks kept", std::nullopt, nullptr, false, "\t/a b/c \t", std::nullopt, "0", "/a b/c" },
        { "favourite only blanks", QByteArray("[Preview]\nFavoriteDir=/old\n"), nullptr, false, "   ", std::nullopt, "0", "" },
        { "favourite need not exist", std::nullopt, nullptr, false, "no such folder", std::nullopt, "0", "no such folder" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        settings(row.before);
        TFrmOptions form(nullptr);
        form.show();
        if (row.order)
            (form.*row.order)->setChecked(true);
        if (row.full)
            form.BtnFull->setChecked(true);
        if (!row.favorite.isEmpty() || row.before)
            form.EdtFavorite->setText(row.favorite);
        form.BtnOk->click();

        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_EQ(storedValue(config, "IsPlayOrder"), row.isPlayOrder);
        EXPECT_EQ(storedValue(config, "IsMax"), row.isMax);
        EXPECT_EQ(storedValue(config, "FavoriteDir"), row.favoriteDir);
        EXPECT_TRUE(prompts.messages.empty());
    }
}

TEST_F(OptionsTest, CancelAndTheCloseBoxWriteNothing)
{
    const std::optional<QByteArray> files[] = {
        std::nullopt,
        QByteArray("[App]\r\nFlag=1\r\n"),
        QByteArray("[Preview]\nIsPlayOrder=3\nIsMax=1\nFavoriteDir= /keep \n"),
    };
    for (const auto& before : files) {
        for (const bool viaCloseBox : { false, true }) {
            SCOPED_TRACE((before ? before->toStdString() : std::string("(no file)")) + (viaCloseBox ? " close box" : " Cancel"));
            settings(before);
            TFrmOptions form(nullptr);
            form.show();
            form.BtnLoop->setChecked(true);
            form.BtnFull->setChecked(true);
            form.EdtFavorite->setText("/changed");
            if (viaCloseBox)
                form.close();
            else
                form.BtnCancel->click();
            EXPECT_FALSE(form.isVisible());
            EXPECT_EQ(form.result(), QDialog::Rejected);
            EXPECT_EQ(QFile::exists(config), before.has_value());
            if (before) {
                EXPECT_EQ(qmtest::readFile(config), *before);
            }
        }
    }
}

TEST_F(OptionsTest, RefusedWriteShowsTheErrorAndKeepsTheDialogOpen)
{
    QDir().mkdir(config); // a folder where the settings file should be
    TFrmOptions form(nullptr);
    form.show();
    form.BtnRandom->setChecked(true);
    form.BtnOk->click();

    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].icon, Prompts::Icon::Error);
    EXPECT_EQ(prompts.messages[0].caption, "Quillmoor");
    EXPECT_EQ(prompts.messages[0].text, "Unable to write to " + config);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.BtnRandom->isChecked()) << "the choices are still there to try again";
}

TEST_F(OptionsTest, FolderButtonPutsTheChosenFolderIntoTheFieldOnly)
{
    settings(QByteArray("[Preview]\nFavoriteDir=/old\n"));
    TFrmOptions form(nullptr);
    form.show();

    prompts.folderChoices = { "/home/me/Flash" };
    form.EdtFavoriteButton->trigger();
    EXPECT_EQ(form.EdtFavorite->text(), "/home/me/Flash");
    EXPECT_EQ(qmtest::readFile(config), QByteArray("[Preview]\nFavoriteDir=/old\n")) << "nothing written before OK";

    form.EdtFavoriteButton->trigger(); // the user cancels the folder dialog
    EXPECT_EQ(form.EdtFavorite->text(), "/home/me/Flash");

    form.BtnOk->click();
    EXPECT_EQ(storedValue(config, "FavoriteDir"), "/home/me/Flash");
}

TEST(OptionsFolderStart, StartsInTheFieldsFolderOnlyWhenItExists)
{
    QTemporaryDir dir;
    qmtest::writeFile(dir.filePath("file.swf"), "FWS");
    struct Row {
        QString text;
        QString start;
    };
    const Row rows[] = {
        { dir.path(), dir.path() },
        { "  " + dir.path() + " ", dir.path() },
        { dir.filePath("missing"), "" },
        { dir.filePath("file.swf"), "" },
        { "", "" },
        { "   ", "" },
    };
    for (const Row& row : rows)
        EXPECT_EQ(FavoriteFolderStart(row.text), row.start) << row.text.toStdString();
}

TEST_F(OptionsTest, OpeningTwiceShowsWhatTheFirstStored)
{
    {
        TFrmOptions first(nullptr);
        first.show();
        first.BtnLoop->setChecked(true);
        first.BtnFull->setChecked(true);
        first.EdtFavorite->setText("/films");
        first.BtnOk->click();
    }
    TFrmOptions second(nullptr);
    second.show();
    EXPECT_EQ(checkedOrder(second), "BtnLoop");
    EXPECT_TRUE(second.BtnFull->isChecked());
    EXPECT_EQ(second.EdtFavorite->text(), "/films");
}

TEST_F(OptionsTest, WindowAndGroups)
{
    TFrmOptions form(nullptr);
    EXPECT_EQ(form.windowTitle(), "Set options");
    EXPECT_EQ(form.size(), QSize(425, 282));
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "a dialog border: not resizable";
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinMaxButtonsHint);
    EXPECT_TRUE(form.BtnOk->isDefault());
    EXPECT_EQ(form.BtnOk->text(), "&Ok");
    EXPECT_EQ(form.BtnCancel->text(), "&Cancel");

    struct Row {
        QGroupBox* box;
        QString title;
        QList<QRadioButton*> buttons;
        QStringList captions;
    };
    const Row rows[] = {
        { form.RzGroupBox3, "The Swf file Play Order", { form.BtnSequential, form.BtnRandom, form.BtnLoop },
          { "Sequential", "Random", "Loop" } },
        { form.RzGroupBox4, "The Swf file preview window", { form.BtnFull, form.BtnNormal },
          { "Full in Screen", "Normal windows" } },
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.box->title(), row.title);
        for (int i = 0; i < row.buttons.size(); ++i) {
            EXPECT_EQ(row.buttons[i]->text(), row.captions[i]);
            EXPECT_EQ(row.buttons[i]->parentWidget(), row.box) << "buttons of one box exclude each other";
            EXPECT_FALSE(row.buttons[i]->isChecked()) << "nothing selected before the settings are read";
        }
    }
    EXPECT_EQ(form.RzGroupBox5->title(), "Select favorite folder");
    EXPECT_EQ(form.EdtFavorite->parentWidget(), form.RzGroupBox5);
}
