#include "app/Playlist.h"
#include "shared/Errors.h"
#include "shared/Share.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PlaylistTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetConfigPathForTesting(dir.filePath("config.ini"));
        list.setPlayCallback([this](const QString& path) { played << path; });
    }
    void TearDown() override { SetConfigPathForTesting({}); }

    void fill(int n)
    {
        QStringList paths;
        for (int i = 0; i < n; ++i)
            paths << QString("/m/%1.swf").arg(i);
        list.Fill(paths);
    }
    QStringList names() const
    {
        QStringList n;
        for (const auto& e : list.entries())
            n << e.name;
        return n;
    }

    QTemporaryDir dir;
    Playlist list;
    QStringList played;
};

TEST_F(PlaylistTest, EntriesSplitIntoFolderAndName)
{
    list.Fill({ "/home/u/Movies/Cat.swf", "/x.swf" });
    list.Append({ "/home/u/Movies/Cat.swf" }); // duplicates are kept
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.entry(0).folder, "/home/u/Movies/");
    EXPECT_EQ(list.entry(0).name, "Cat.swf");
    EXPECT_EQ(list.entry(1).folder, "/");
    EXPECT_EQ(list.FullPath(2), "/home/u/Movies/Cat.swf");
    EXPECT_EQ(list.entry(2).check, Playlist::Unchecked);
    EXPECT_EQ(list.currentIndex(), -1) << "appending never plays";
    EXPECT_TRUE(played.isEmpty());
    EXPECT_EQ(list.countCaption(), "Play Flash Files:  3");
}

TEST_F(PlaylistTest, NavigationWrapsAround)
{
    fill(3);
    const struct {
        int from;
        void (Playlist::*command)();
        int to;
    } cases[] = {
        { 2, &Playlist::Next, 0 }, { 0, &Playlist::Next, 1 }, { 0, &Playlist::Previous, 2 },
        { 2, &Playlist::Previous, 1 }, { -1, &Playlist::Previous, 2 }, { -1, &Playlist::Next, 0 },
        { 1, &Playlist::First, 0 }, { 1, &Playlist::Last, 2 },
    };
    for (const auto& c : cases) {
        list.setCurrentIndex(c.from);
        played.clear();
        (list.*c.command)();
        EXPECT_EQ(list.currentIndex(), c.to) << "from " << c.from;
        ASSERT_EQ(played.size(), 1);
        EXPECT_EQ(played[0], QString("/m/%1.swf").arg(c.to));
        EXPECT_EQ(list.highlighted(), c.to);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(list.entry(i).picture, i == c.to ? Playlist::PicturePlaying : Playlist::PictureEntry);
    }
}

TEST_F(PlaylistTest, SelectNextItemFollowsTheStoredOrder)
{
    const struct {
        const char* order;
        int entries;
        int from;
        int to;
    } cases[] = {
        { "0", 3, 2, 0 }, { "0", 3, -1, 0 }, { "0", 3, 0, 1 },
        { "2", 3, 1, 1 }, { "2", 3, -1, 0 },
        { "1", 1, 0, 0 },
        { "7", 3, 1, 1 }, // unknown order: the current entry stays
    };
    for (const auto& c : cases) {
        WriteConfig("Preview", "IsPlayOrder", c.order);
        fill(c.entries);
        list.setCurrentIndex(c.from);
        list.SelectNextItem();
        EXPECT_EQ(list.currentIndex(), c.to) << "order " << c.order << " from " << c.from;
    }
}

TEST_F(PlaylistTest, RandomOrderUsesTheRandomSourceOverAllEntries)
{
    WriteConfig("Preview", "IsPlayOrder", "1");
    fill(5);
    int askedCount = 0;
    list.setRandomSource([&](int count) {
        askedCount = count;
        return 3;
    });
    list.SelectNextItem();
    EXPECT_EQ(askedCount, 5);
    EXPECT_EQ(list.currentIndex(), 3);
}

TEST_F(PlaylistTest, DefaultRandomSourceIsUniform)
{
    WriteConfig("Preview", "IsPlayOrder", "1");
    fill(4);
    int seen[4] = {};
    for (int i = 0; i < 4000; ++i) {
        list.SelectNextItem();
        ASSERT_GE(list.currentIndex(), 0);
        ASSERT_LT(list.currentIndex(), 4);
        ++seen[list.currentIndex()];
    }
    for (int s : seen)
        EXPECT_GT(s, 800); // 1000 expected for each; far below that means a skewed choice
}

TEST_F(PlaylistTest, MissingOrNonNumericOrderRaisesTheConversionError)
{
    fill(2);
    list.setCurrentIndex(0);
    EXPECT_THROW(list.SelectNextItem(), EConvertError);
    WriteConfig("Preview", "IsPlayOrder", "random");
    EXPECT_THROW(list.SelectNextItem(), EConvertError);
    EXPECT_EQ(list.currentIndex(), 0);
    list.RemoveAll();
    EXPECT_NO_THROW(list.SelectNextItem()) << "an empty list reads nothing";
}

TEST_F(PlaylistTest, NearEndIsWithinTheLastNineFrames)
{
    EXPECT_TRUE(Playlist::IsNearEnd(0, 5));
    EXPECT_FALSE(Playlist::IsNearEnd(290, 300));
    EXPECT_TRUE(Playlist::IsNearEnd(291, 300));
    EXPECT_TRUE(Playlist::IsNearEnd(299, 300));
    EXPECT_TRUE(Playlist::IsNearEnd(0, 0));
}

TEST_F(PlaylistTest, RemoveCheckedKeepsTheRestInOrder)
{
    fill(5);
    list.setCheck(1, Playlist::Checked);
    list.setCheck(3, Playlist::Checked);
    list.setCheck(4, Playlist::Grayed);
    list.RemoveChecked();
    EXPECT_EQ(names(), (QStringList { "0.swf", "2.swf", "4.swf" }));
    EXPECT_EQ(list.countCaption(), "Play Flash Files:  3");
    list.RemoveChecked(); // nothing checked: nothing changes
    EXPECT_EQ(list.count(), 3);
}

TEST_F(PlaylistTest, RemovalsNeverLeadOutsideTheList)
{
    WriteConfig("Preview", "IsPlayOrder", "2");
    fill(5);
    list.setCurrentIndex(4);
    list.RemoveEntry(4);
    list.RemoveEntry(3);
    list.SelectNextItem(); // loop order on a removed entry: the last one plays
    EXPECT_EQ(list.currentIndex(), 2);
    list.Next();
    EXPECT_EQ(list.currentIndex(), 0);
    list.setCurrentIndex(4);
    list.Previous();
    EXPECT_EQ(list.currentIndex(), 1);
    for (const QString& p : played)
        EXPECT_TRUE(p.startsWith("/m/")) << p.toStdString();

    list.RemoveAll();
    played.clear();
    list.Next();
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_TRUE(played.isEmpty());
    list.PlayHighlighted();
    EXPECT_TRUE(played.isEmpty());
}

TEST_F(PlaylistTest, RenameKeepsTheFolder)
{
    list.Fill({ "/m/a.swf" });
    list.RenameEntry(0, "b.swf");
    EXPECT_EQ(list.FullPath(0), "/m/b.swf");
}

TEST_F(PlaylistTest, StoringTheOrder)
{
    EXPECT_TRUE(Playlist::StoreOrder(1));
    EXPECT_EQ(ReadConfig("Preview", "IsPlayOrder"), "1");
    EXPECT_EQ(Playlist::StoredOrder(), 1);
    EXPECT_FALSE(Playlist::StoreOrder(-1));
    EXPECT_FALSE(Playlist::StoreOrder(3));
    EXPECT_EQ(ReadConfig("Preview", "IsPlayOrder"), "1");
}

TEST_F(PlaylistTest, DoubleClickPlaysTheHighlightedEntry)
{
    fill(3);
    list.setHighlighted(1);
    list.PlayHighlighted();
    EXPECT_EQ(list.currentIndex(), 1);
    EXPECT_EQ(played, QStringList { "/m/1.swf" });
}

} // namespace
