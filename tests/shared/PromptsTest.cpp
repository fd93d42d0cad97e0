#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

TEST(Prompts, ScriptedPromptsIsInstalledOnlyWhileAlive)
{
    {
        qmtest::ScriptedPrompts scripted;
        scripted.answers.push_back(Prompts::Answer::No);
        EXPECT_EQ(&prompts(), &scripted);
        EXPECT_EQ(prompts().question(nullptr, Prompts::Icon::Question, "c", "t"), Prompts::Answer::No);
        EXPECT_EQ(prompts().question(nullptr, Prompts::Icon::Question, "c", "t"), Prompts::Answer::Closed);
        ASSERT_EQ(scripted.questions.size(), 2u);
    }
    EXPECT_NE(dynamic_cast<WidgetPrompts*>(&prompts()), nullptr);
}
