#include "platform/ScriptedServices.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(ScriptedServices, AnswersInOrderThenCancelsAndRecords) {
    ScriptedServices s;
    ScopedServices scope(s);
    s.answers = {Answer::Yes};
    s.inputs = {std::string("Books"), std::nullopt};
    EXPECT_EQ(messageBox("Sure?", "Confirm Delete", Icon::Question, Buttons::YesNo), Answer::Yes);
    EXPECT_EQ(messageBox("Sure?", "Confirm Delete", Icon::Question, Buttons::YesNo), Answer::No);
    EXPECT_EQ(inputBox("Create New Group", "Enter new project group name:", ""), "Books");
    EXPECT_EQ(inputBox("c", "p", "preset"), "preset"); // cancel gives the preset
    EXPECT_EQ(inputBox("c", "p", "x"), "x");           // unscripted: cancel
    ASSERT_EQ(s.messages.size(), 2u);
    EXPECT_EQ(s.messages[0].caption, "Confirm Delete");
    EXPECT_EQ(s.messages[0].icon, Icon::Question);
    EXPECT_EQ(s.unscripted, 2);
    EXPECT_EQ(s.inputRequests[0].prompt, "Enter new project group name:");
}

TEST(ScriptedServices, ScopeRestoresHeadlessFallback) {
    Services* before = &services();
    {
        ScriptedServices s;
        ScopedServices scope(s);
        EXPECT_EQ(&services(), &s);
        processEvents();
        EXPECT_EQ(s.processEventsCount, 1);
    }
    EXPECT_EQ(&services(), before);
    EXPECT_EQ(services().messageBox("t", "c", Icon::Warning, Buttons::YesNo), Answer::No);
}
