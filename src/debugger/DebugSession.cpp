#include "debugger/DebugSession.h"

#include <algorithm>

void DebugSession::Launch(std::string secret)
{
    *this = DebugSession();
    m_secret = std::move(secret);
    m_state = DebugState::Launching;
}

bool DebugSession::Accept(const wire::Fields& hello)
{
    if (m_connected || m_state != DebugState::Launching || m_secret.empty() || hello.size() < 2
        || hello[0] != "hello" || hello[1] != m_secret)
        return false;
    m_connected = true;
    m_state = DebugState::Running;
    return true;
}

DebugSession::Change DebugSession::Feed(const wire::Fields& m)
{
    Change change;
    if (!m_connected || m_state == DebugState::Ended || m.empty())
        return change;
    const std::string& what = m[0];
    if (what == "log" && m.size() >= 2) {
        change.log.push_back(m[1]);
    } else if (what == "stopped" && m.size() >= 3) {
        const long long depth = wire::ToInt(m[2]);
        std::vector<DebugFrame> frames;
        for (std::size_t i = 3; i + 4 <= m.size(); i += 4)
            frames.push_back({m[i], m[i + 1], int(wire::ToInt(m[i + 2], 0)), int(wire::ToInt(m[i + 3], 0))});
        m_frames = std::move(frames);
        m_depth = depth < 0 ? int(m_frames.size()) : int(std::min<long long>(depth, 1 << 30));
        m_reason = m[1];
        m_error.clear();
        m_state = DebugState::Stopped;
        change.state = change.frames = true;
    } else if (what == "error" && m.size() >= 2) {
        m_error = m[1];
        m_state = DebugState::Faulted;
        change.state = true;
    } else if (what == "ended") {
        m_endText = m.size() >= 2 ? m[1] : std::string();
        m_frames.clear();
        m_state = DebugState::Ended;
        change.state = change.frames = true;
    }
    return change;
}

std::optional<wire::Fields> DebugSession::Command(DebugCommand command)
{
    if (!m_connected)
        return std::nullopt;
    if (command == DebugCommand::End) {
        if (m_state == DebugState::Ended)
            return std::nullopt;
        return wire::Fields{"end"};
    }
    if (command == DebugCommand::Pause) {
        if (m_state != DebugState::Running)
            return std::nullopt;
        return wire::Fields{"pause"};
    }
    if (!Halted())
        return std::nullopt;
    // A program held at a runtime error can only end.
    const char* word = m_state == DebugState::Faulted        ? "end"
                       : command == DebugCommand::StepOver ? "over"
                       : command == DebugCommand::StepInto ? "into"
                       : command == DebugCommand::StepOut  ? "out"
                                                           : "run";
    if (m_state == DebugState::Faulted && command != DebugCommand::Continue)
        return std::nullopt;
    m_state = DebugState::Running;
    m_frames.clear();
    return wire::Fields{word};
}

void DebugSession::End(std::string why)
{
    if (m_state == DebugState::Idle)
        return;
    if (m_state != DebugState::Ended) {
        m_state = DebugState::Ended;
        m_endText = std::move(why);
    }
    m_frames.clear();
    m_connected = false;
}
