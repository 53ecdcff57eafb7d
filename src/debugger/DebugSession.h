#pragma once

#include "debugger/wire/Message.h"

#include <optional>
#include <string>
#include <vector>

// One frame of a stopped program's call stack: the function (as the
// runtime names it, in lower case; "<main program>" outside every one) and
// the statement it is at, the file by its key (wire::FileKey), line and
// column from 1.
struct DebugFrame {
    std::string function;
    std::string file;
    int line = 0;
    int column = 0;
    bool operator==(const DebugFrame&) const = default;
};

enum class DebugState {
    Idle,       // no program under the debugger
    Launching,  // compiling, or waiting for the program to connect
    Running,
    Stopped,    // at a breakpoint, a step, Pause or Stop
    Faulted,    // held at a runtime error until the user lets it end
    Ended,
};

enum class DebugCommand { Continue, StepOver, StepInto, StepOut, Pause, End };

// What the debugger knows of the program it runs, fed with the DLL's
// messages; it decides which command may be sent when, and what is sent.
// The panes show what it holds and keep no state of the protocol.
class DebugSession {
public:
    // A new run: the program must greet with `secret` before it is trusted.
    void Launch(std::string secret);
    // The first message of a connection: true when it is a greeting that
    // holds the secret, and no program is connected yet.
    bool Accept(const wire::Fields& hello);
    bool Connected() const { return m_connected; }

    // What a message changed.
    struct Change {
        bool state = false;
        bool frames = false;
        std::vector<std::string> log;  // DebugLog lines, in order
    };
    Change Feed(const wire::Fields& message);
    // The message that carries out `command`, which also changes the
    // state; nothing when it does not apply now.
    std::optional<wire::Fields> Command(DebugCommand command);
    // The program has gone (its connection closed, the compiler ended): a
    // session that had not ended says `why`.
    void End(std::string why);

    DebugState State() const { return m_state; }
    // Held at a statement: stopped, or at a runtime error.
    bool Halted() const { return m_state == DebugState::Stopped || m_state == DebugState::Faulted; }
    // Innermost first.
    const std::vector<DebugFrame>& Frames() const { return m_frames; }
    // How deep the stack was, when more frames than Frames() holds.
    int Depth() const { return m_depth; }
    // Why it stopped: "breakpoint", "step", "pause" or "stop".
    const std::string& Reason() const { return m_reason; }
    // The runtime error it is held at.
    const std::string& Error() const { return m_error; }
    // How it ended: the runtime's word, or why it went.
    const std::string& EndText() const { return m_endText; }

private:
    DebugState m_state = DebugState::Idle;
    std::string m_secret;
    bool m_connected = false;
    std::vector<DebugFrame> m_frames;
    int m_depth = 0;
    std::string m_reason;
    std::string m_error;
    std::string m_endText;
};
