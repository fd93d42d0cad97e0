// The harness's TOML reader on the forms the corpus descriptions use.
#include "TomlLite.h"

#include <gtest/gtest.h>

TEST(TomlLiteTest, ReadsTheFormsOfTheTestDescriptions)
{
    TomlLite t;
    ASSERT_TRUE(t.parse(QStringLiteral(R"(# a comment
num_frames = 30
num_ticks=2
image_comparisons."output.06b".trigger = 12
known_failure.ruffle_check = false

[image_comparisons.output]
tolerance = 50 # trailing comment
max_outliers = 1_000
known_failure = true

[[image_comparisons.other.checks]]
tolerance = 128

[[image_comparisons.other.checks]]
tolerance = 64
max_outliers = 600

[player_options]
with_renderer = { optional = false, quality = "low" }
viewport_dimensions = { width = 200, height = 160, scale_factor = 1.5 }
list = [
  "a", "b # not a comment",
]
[fonts.noto_sans]
family = 'Noto Sans'
)")))
        << t.error().toStdString();
    EXPECT_EQ(t.value({"num_frames"}).toInt(), 30);
    EXPECT_EQ(t.value({"num_ticks"}).toInt(), 2);
    EXPECT_EQ(t.value({"image_comparisons", "output.06b", "trigger"}).toInt(), 12);
    EXPECT_EQ(t.value({"known_failure", "ruffle_check"}).toBool(), false);
    EXPECT_FALSE(t.has({"known_failure"})) << "a table, not a boolean";
    EXPECT_EQ(t.value({"image_comparisons", "output", "tolerance"}).toInt(), 50);
    EXPECT_EQ(t.value({"image_comparisons", "output", "max_outliers"}).toInt(), 1000);
    EXPECT_TRUE(t.value({"image_comparisons", "output", "known_failure"}).toBool());
    EXPECT_EQ(t.children({"image_comparisons"}), (QStringList{"output.06b", "output", "other"}));
    EXPECT_EQ(t.children({"image_comparisons", "other", "checks"}), (QStringList{"0", "1"}));
    EXPECT_EQ(t.value({"image_comparisons", "other", "checks", "1", "max_outliers"}).toInt(), 600);
    EXPECT_EQ(t.value({"player_options", "with_renderer", "quality"}).toString(), QStringLiteral("low"));
    EXPECT_EQ(t.value({"player_options", "viewport_dimensions", "height"}).toInt(), 160);
    EXPECT_DOUBLE_EQ(t.value({"player_options", "viewport_dimensions", "scale_factor"}).toDouble(), 1.5);
    EXPECT_EQ(t.value({"player_options", "list", "1"}).toString(), QStringLiteral("b # not a comment"));
    EXPECT_EQ(t.value({"fonts", "noto_sans", "family"}).toString(), QStringLiteral("Noto Sans"));
    EXPECT_FALSE(t.value({"missing"}).isValid());
}

TEST(TomlLiteTest, BrokenLinesAreReportedNotGuessed)
{
    const char* broken[] = {"key", "= 3", "key = ", "key = \"open", "[table", "key = {a = 1", "key = @@"};
    for (const char* text : broken) {
        TomlLite t;
        EXPECT_FALSE(t.parse(QString::fromLatin1(text))) << text;
        EXPECT_FALSE(t.error().isEmpty()) << text;
    }
}
