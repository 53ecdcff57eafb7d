#include "debugger/DebugSession.h"

#include <gtest/gtest.h>

using wire::Fields;

namespace {

DebugSession Connected()
{
    DebugSession s;
    s.Launch("secret");
    EXPECT_TRUE(s.Accept({"hello", "secret", "1"}));
    return s;
}

}  // namespace

TEST(DebugSession, OnlyTheFirstConnectionHoldingTheSecretIsTrusted)
{
    const std::pair<Fields, bool> rows[] = {
        {{"hello", "wrong", "1"}, false},
        {{"hello"}, false},
        {{"log", "secret"}, false},
        {{"hello", "", "1"}, false},
        {{"hello", "secret", "1"}, true},
        {{"hello", "secret", "1"}, false},  // a second connection
    };
    DebugSession s;
    EXPECT_FALSE(s.Accept({"hello", "", "1"})) << "nothing launched";
    s.Launch("secret");
    // Nothing is taken from a program that has not proved itself.
    EXPECT_TRUE(s.Feed({"log", "hi"}).log.empty());
    EXPECT_FALSE(s.Command(DebugCommand::Continue));
    EXPECT_EQ(s.State(), DebugState::Launching);
    for (const auto& [hello, trusted] : rows)
        EXPECT_EQ(s.Accept(hello), trusted) << testing::PrintToString(hello);
    EXPECT_EQ(s.State(), DebugState::Running);
}

TEST(DebugSession, AStopHoldsItsFramesInnermostFirstAndCommandsApplyOnlyWhenTheyMayRun)
{
    DebugSession s = Connected();
    EXPECT_FALSE(s.Command(DebugCommand::StepOver)) << "running";
    EXPECT_EQ(s.Command(DebugCommand::Pause), (Fields{"pause"}));

    const DebugSession::Change c = s.Feed(
        {"stopped", "breakpoint", "2", "twice", "/g/inc.bb", "2", "3", "<main program>", "/g/main.bb", "5", "1"});
    EXPECT_TRUE(c.state && c.frames);
    EXPECT_EQ(s.State(), DebugState::Stopped);
    EXPECT_EQ(s.Reason(), "breakpoint");
    EXPECT_EQ(s.Frames(), (std::vector<DebugFrame>{{"twice", "/g/inc.bb", 2, 3}, {"<main program>", "/g/main.bb", 5, 1}}));
    EXPECT_FALSE(s.Command(DebugCommand::Pause));

    const std::pair<DebugCommand, const char*> steps[] = {{DebugCommand::StepOver, "over"},
                                                          {DebugCommand::StepInto, "into"},
                                                          {DebugCommand::StepOut, "out"},
                                                          {DebugCommand::Continue, "run"}};
    for (const auto& [command, word] : steps) {
        s.Feed({"stopped", "step", "1", "<main program>", "/g/main.bb", "6", "1"});
        EXPECT_EQ(s.Command(command), (Fields{word}));
        EXPECT_EQ(s.State(), DebugState::Running);
        EXPECT_TRUE(s.Frames().empty()) << "the stack of a running program is not shown";
    }
}

TEST(DebugSession, ARuntimeErrorHoldsTheProgramUntilTheUserLetsItEnd)
{
    DebugSession s = Connected();
    s.Feed({"stopped", "stop", "1", "<main program>", "/g/main.bb", "7", "1"});
    s.Feed({"error", "Array index out of bounds"});
    EXPECT_EQ(s.State(), DebugState::Faulted);
    EXPECT_EQ(s.Error(), "Array index out of bounds");
    EXPECT_EQ(s.Frames().size(), 1u);
    EXPECT_FALSE(s.Command(DebugCommand::StepOver)) << "no step past an error";
    EXPECT_EQ(s.Command(DebugCommand::Continue), (Fields{"end"}));
}

TEST(DebugSession, EveryWayOfEndingEndsItOnce)
{
    DebugSession a = Connected();
    a.Feed({"ended", "Program has ended"});
    a.End("connection closed");
    EXPECT_EQ(a.State(), DebugState::Ended);
    EXPECT_EQ(a.EndText(), "Program has ended") << "the first word stands";
    EXPECT_FALSE(a.Command(DebugCommand::End));

    DebugSession b = Connected();
    b.Feed({"stopped", "pause", "1", "<main program>", "/g/main.bb", "2", "1"});
    b.End("closed");
    EXPECT_EQ(b.State(), DebugState::Ended);
    EXPECT_TRUE(b.Frames().empty());
    EXPECT_TRUE(b.Feed({"log", "late"}).log.empty());

    DebugSession never;
    never.End("x");
    EXPECT_EQ(never.State(), DebugState::Idle);
}

TEST(DebugSession, MalformedMessagesChangeNothing)
{
    DebugSession s = Connected();
    const Fields junk[] = {{}, {"stopped"}, {"stopped", "step"}, {"error"}, {"what", "ever"}, {"log"}};
    for (const Fields& m : junk) {
        const DebugSession::Change c = s.Feed(m);
        EXPECT_FALSE(c.state || c.frames || !c.log.empty()) << testing::PrintToString(m);
    }
    // A frame list cut short keeps the whole frames only.
    s.Feed({"stopped", "step", "x", "f", "/a.bb", "1"});
    EXPECT_TRUE(s.Frames().empty());
    EXPECT_EQ(s.State(), DebugState::Stopped);
}
