#include "navigation/JumpHistory.h"

#include <gtest/gtest.h>

namespace {

JumpPlace At(const char* doc, int line)
{
    return {doc, QString(), line, 0};
}

}  // namespace

TEST(JumpHistory, WalksBackAndForwardThroughJumpsAcrossDocuments)
{
    JumpHistory history;
    EXPECT_FALSE(history.Back(At("a", 1)));
    history.Jumped(At("a", 10), At("b", 3));
    history.Jumped(At("b", 5), At("a", 40));  // the caret moved in b before jumping on
    EXPECT_EQ(history.Back(At("a", 42)), At("b", 5));
    EXPECT_EQ(history.Back(At("b", 5)), At("a", 10));
    EXPECT_FALSE(history.Back(At("a", 10)));
    EXPECT_EQ(history.Forward(At("a", 10)), At("b", 5));
    EXPECT_EQ(history.Forward(At("b", 5)), At("a", 42));
    EXPECT_FALSE(history.CanGoForward());

    // A new jump from the middle forgets what lay forward.
    history.Back(At("a", 42));
    history.Jumped(At("b", 6), At("c", 1));
    EXPECT_FALSE(history.CanGoForward());
    EXPECT_EQ(history.Back(At("c", 1)), At("b", 6));

    // Places in a document gone for good drop out of the walk.
    EXPECT_EQ(history.Forward(At("b", 6)), At("c", 1));
    history.Keep([](const JumpPlace& p) { return p.docKey != "b"; });
    EXPECT_EQ(history.Back(At("c", 1)), At("a", 10));
    EXPECT_EQ(history.Forward(At("a", 10)), At("c", 1));
}
