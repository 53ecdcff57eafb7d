// The debugger the Blitz3D compiler loads into a program it runs with -d.
// It reports to the IDE over a socket on 127.0.0.1 and obeys it: the
// runtime's thread calls the hooks below, a thread of our own reads the
// IDE's commands. What to stop at is decided by the plain code of
// debugger/wire, which the IDE's tests check.
#include "debugger/dll/ReadVariables.h"
#include "debugger/wire/Message.h"
#include "debugger/wire/StopRules.h"

#include <winsock2.h>
#include <windows.h>

#include <float.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// The runtime's thread messages: stop, go on, end.
constexpr UINT kStopMessage = WM_USER + 1;
constexpr UINT kRunMessage = WM_USER + 2;
constexpr UINT kEndMessage = WM_USER + 3;
// A stack deeper than this is sent as its innermost frames.
constexpr std::size_t kMostFrames = 2000;

// The layout the compiler calls: eight virtual functions in this order.
class Debugger {
public:
    virtual void debugRun() = 0;
    virtual void debugStop() = 0;
    virtual void debugStmt(int srcpos, const char* file) = 0;
    virtual void debugEnter(void* frame, void* env, const char* func) = 0;
    virtual void debugLeave() = 0;
    virtual void debugLog(const char* msg) = 0;
    virtual void debugMsg(const char* msg, bool serious) = 0;
    virtual void debugSys(void* msg) = 0;
};

struct Frame {
    const char* func;
    void* frame;
    void* env;
    const char* file = nullptr;
    int srcpos = 0;
};

class Lock {
public:
    explicit Lock(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~Lock() { LeaveCriticalSection(&m_cs); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

// The runtime sets the processor to 24-bit floating point on its thread;
// what we work out in floating point gets the usual precision back for as
// long as it takes.
class FullPrecision {
public:
    FullPrecision() : m_saved(_controlfp(0, 0)) { _controlfp(_PC_53, _MCW_PC); }
    ~FullPrecision() { _controlfp(m_saved, _MCW_PC); }
    FullPrecision(const FullPrecision&) = delete;
    FullPrecision& operator=(const FullPrecision&) = delete;

private:
    unsigned m_saved;
};

using PeekFn = BOOL(WINAPI*)(LPMSG, HWND, UINT, UINT, UINT);
PeekFn g_realPeek = nullptr;
std::atomic<bool> g_posted{false};
DWORD g_lastPeek = 0;
bool g_lastFound = false;

// The runtime looks for window messages after every statement, which costs
// tens of microseconds under Wine. Once a millisecond is often enough for the
// program's window and keys; a message we just posted, or a queue that just
// had one, is looked at at once.
BOOL WINAPI ThrottledPeek(LPMSG msg, HWND window, UINT first, UINT last, UINT remove)
{
    const DWORD now = GetTickCount();
    if (g_posted.exchange(false, std::memory_order_acq_rel) || g_lastFound || now != g_lastPeek) {
        g_lastPeek = now;
        g_lastFound = g_realPeek(msg, window, first, last, remove) != FALSE;
        return g_lastFound;
    }
    return FALSE;
}

// Points `module`'s import of user32's PeekMessageA at ThrottledPeek.
bool RedirectPeek(HMODULE module)
{
    if (!module)
        return false;
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress)
        return false;
    const FARPROC real = GetProcAddress(GetModuleHandleA("user32.dll"), "PeekMessageA");
    for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + imp->Name), "user32.dll") != 0)
            continue;
        auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        auto* names = imp->OriginalFirstThunk
                          ? reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk)
                          : nullptr;
        for (; thunk->u1.Function; ++thunk, names = names ? names + 1 : nullptr) {
            bool match = reinterpret_cast<FARPROC>(thunk->u1.Function) == real;
            if (!match && names && !(names->u1.Ordinal & IMAGE_ORDINAL_FLAG)) {
                const auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                match = lstrcmpA(reinterpret_cast<const char*>(byName->Name), "PeekMessageA") == 0;
            }
            if (!match)
                continue;
            DWORD old = 0;
            if (!VirtualProtect(&thunk->u1.Function, sizeof(thunk->u1.Function), PAGE_READWRITE, &old))
                return false;
            g_realPeek = reinterpret_cast<PeekFn>(thunk->u1.Function);
            thunk->u1.Function = reinterpret_cast<decltype(thunk->u1.Function)>(&ThrottledPeek);
            VirtualProtect(&thunk->u1.Function, sizeof(thunk->u1.Function), old, &old);
            return true;
        }
    }
    return false;
}

class OurDebugger final : public Debugger {
public:
    OurDebugger(void* module, void* environment) : m_module(module), m_environment(environment)
    {
        InitializeCriticalSection(&m_state);
        InitializeCriticalSection(&m_send);
        m_released = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_started = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        m_runtimeThread = GetCurrentThreadId();
    }

    // Connects to the IDE the environment names and waits for its
    // breakpoints; without an IDE the program runs as it would without us.
    void Connect()
    {
        const char* port = std::getenv("OVREL_DEBUG_PORT");
        const char* secret = std::getenv("OVREL_DEBUG_SECRET");
        if (!port || !secret)
            return;
        WSADATA data;
        if (WSAStartup(MAKEWORD(2, 2), &data) != 0)
            return;
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (m_socket == INVALID_SOCKET)
            return;
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(u_short(std::atoi(port)));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(m_socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            closesocket(m_socket);
            m_socket = INVALID_SOCKET;
            return;
        }
        const int on = 1;
        setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
        Send({"hello", secret, "1"});
        m_reader = CreateThread(nullptr, 0, &OurDebugger::ReaderMain, this, 0, nullptr);
        // The breakpoints come before the first statement runs.
        WaitForSingleObject(m_started, 10000);
        RedirectPeek(GetModuleHandleA("runtime.dll"));
    }

    void debugRun() override {}

    void debugStop() override
    {
        std::string reason;
        {
            Lock lock(m_state);
            // Outside every function the program is ending, or not yet
            // started: nothing to show. A Pause then stops at the first
            // statement there is.
            if (m_frames.empty()) {
                if (m_reason == "pause") {
                    m_rule.Resume(wire::Step::Into, {});
                    m_step = wire::Step::Into;
                    Arm();
                } else {
                    m_reason.clear();
                }
                Post(kRunMessage);
                return;
            }
            reason = m_reason.empty() ? "stop" : m_reason;
            m_reason.clear();
            m_stopped = true;
            m_step = wire::Step::None;
            m_rule.Resume(wire::Step::None, {});
            Arm();
        }
        SendStopped(reason);
    }

    void debugStmt(int srcpos, const char* file) override
    {
        Frame& top = m_frames.empty() ? m_outside : m_frames.back();
        top.srcpos = srcpos;
        top.file = file;
        if (!m_armed.load(std::memory_order_relaxed))
            return;
        const int fileId = FileIdOf(file);
        const int row = (srcpos >> 16) + 1;
        bool onBreakpoint = false;
        {
            Lock lock(m_state);
            if (m_generation != m_seenGeneration)
                RefreshRows();
            const std::vector<char>& rows = m_rows[std::size_t(fileId)];
            onBreakpoint = std::size_t(row) < rows.size() && rows[std::size_t(row)];
            const wire::Place at{fileId, row, int(m_frames.size()), (srcpos & 0xffff) + 1};
            if (!m_rule.Reached(at, onBreakpoint))
                return;
            if (m_reason != "pause")
                m_reason = onBreakpoint ? "breakpoint" : "step";
        }
        g_posted.store(true, std::memory_order_release);
        PostMessageA(nullptr, kStopMessage, 0, 0);
    }

    void debugEnter(void* frame, void* env, const char* func) override
    {
        m_frames.push_back({func, frame, env});
    }

    void debugLeave() override
    {
        if (!m_frames.empty())
            m_frames.pop_back();
    }

    void debugLog(const char* msg) override { Send({"log", msg ? msg : ""}); }

    void debugMsg(const char* msg, bool serious) override
    {
        if (!serious) {
            Send({"ended", msg ? msg : ""});
            return;
        }
        // The stack and the variables live only until we return: the
        // program waits here until the IDE lets it end.
        {
            Lock lock(m_state);
            m_stopped = true;
            m_inError = true;
        }
        Send({"error", msg ? msg : ""});
        if (m_socket != INVALID_SOCKET)
            WaitForSingleObject(m_released, INFINITE);
    }

    void debugSys(void*) override {}

private:
    static DWORD WINAPI ReaderMain(void* self)
    {
        // A new thread may not start with the usual precision under every
        // system; ours works out nothing in 24 bits.
        _controlfp(_PC_53, _MCW_PC);
        static_cast<OurDebugger*>(self)->Read();
        return 0;
    }

    void Read()
    {
        wire::Reader reader;
        char buffer[4096];
        for (;;) {
            const int got = recv(m_socket, buffer, sizeof buffer, 0);
            if (got <= 0 || !reader.Feed(std::string_view(buffer, std::size_t(got))))
                break;
            for (const wire::Fields& message : reader.Take())
                Obey(message);
        }
        // The IDE has gone: the program ends with it.
        SetEvent(m_started);
        SetEvent(m_released);
        Post(kEndMessage);
        closesocket(m_socket);
    }

    void Post(UINT message)
    {
        g_posted.store(true, std::memory_order_release);
        PostThreadMessageA(m_runtimeThread, message, 0, 0);
    }

    void Obey(const wire::Fields& m)
    {
        const std::string& what = m[0];
        if (what == "break" && m.size() >= 4) {
            Lock lock(m_state);
            m_breakpoints.Set(m[1], int(wire::ToInt(m[2])), m[3] == "1");
            ++m_generation;
            Arm();
        } else if (what == "start") {
            SetEvent(m_started);
        } else if (what == "run" || what == "over" || what == "into" || what == "out") {
            Resume(what == "run" ? wire::Step::None
                   : what == "over" ? wire::Step::Over
                   : what == "into" ? wire::Step::Into
                                    : wire::Step::Out);
        } else if (what == "pause") {
            {
                Lock lock(m_state);
                if (m_stopped)
                    return;
                m_reason = "pause";
            }
            Post(kStopMessage);
        } else if (what == "end") {
            SetEvent(m_released);
            Post(kEndMessage);
        } else if (what == "vars" && m.size() >= 4) {
            AnswerVariables(m);
        }
    }

    void Resume(wire::Step step)
    {
        {
            Lock lock(m_state);
            if (!m_stopped)
                return;
            m_stopped = false;
            if (m_inError) {
                SetEvent(m_released);
                return;
            }
            const Frame& top = m_frames.empty() ? m_outside : m_frames.back();
            const wire::Place from{top.file ? LookUpFile(top.file) : -1, (top.srcpos >> 16) + 1,
                                   int(m_frames.size()), (top.srcpos & 0xffff) + 1};
            m_rule.Resume(step, from);
            m_step = step;
            Arm();
        }
        Post(kRunMessage);
    }

    // Statements are looked at one by one only while something may stop
    // at them.
    void Arm() { m_armed.store(!m_breakpoints.Empty() || m_step != wire::Step::None); }

    // The runtime thread's, with a cache: the file changes seldom.
    int FileIdOf(const char* file)
    {
        if (file != m_lastFile) {
            m_lastFileId = LookUpFile(file);
            m_lastFile = file;
        }
        return m_lastFileId;
    }

    int LookUpFile(const char* file)
    {
        Lock lock(m_state);
        auto it = m_fileIds.find(file);
        if (it == m_fileIds.end()) {
            it = m_fileIds.emplace(file, int(m_fileKeys.size())).first;
            m_fileKeys.push_back(wire::FileKey(file ? file : ""));
            m_rows.push_back(m_breakpoints.RowFlags(m_fileKeys.back()));
        }
        return it->second;
    }

    void RefreshRows()
    {
        for (std::size_t i = 0; i < m_fileKeys.size(); ++i)
            m_rows[i] = m_breakpoints.RowFlags(m_fileKeys[i]);
        m_seenGeneration = m_generation;
    }

    void SendStopped(const std::string& reason)
    {
        std::string line;
        wire::AppendField(line, "stopped", true);
        wire::AppendField(line, reason);
        const std::size_t first = m_frames.size() > kMostFrames ? m_frames.size() - kMostFrames : 0;
        wire::AppendField(line, std::to_string(m_frames.size()));
        for (std::size_t i = m_frames.size(); i-- > first;) {
            const Frame& f = m_frames[i];
            wire::AppendField(line, f.func ? f.func : "");
            wire::AppendField(line, f.file ? wire::FileKey(f.file) : std::string());
            wire::AppendField(line, std::to_string((f.srcpos >> 16) + 1));
            wire::AppendField(line, std::to_string((f.srcpos & 0xffff) + 1));
        }
        line += '\n';
        SendLine(line);
    }

    void AnswerVariables(const wire::Fields& m)
    {
        std::vector<inspect::FrameView> frames;
        {
            Lock lock(m_state);
            if (!m_stopped) {
                Send({"vars", m[1], "unreadable"});
                return;
            }
            for (std::size_t i = m_frames.size(); i-- > 0;)
                frames.push_back({m_frames[i].frame, m_frames[i].env});
        }
        FullPrecision precision;
        SendLine(inspect::Answer(m_module, m_environment, frames, m));
    }

    void Send(const wire::Fields& fields) { SendLine(wire::Encode(fields)); }

    void SendLine(const std::string& line)
    {
        if (m_socket == INVALID_SOCKET)
            return;
        Lock lock(m_send);
        for (std::size_t done = 0; done < line.size();) {
            const int sent = send(m_socket, line.data() + done, int(line.size() - done), 0);
            if (sent <= 0)
                return;
            done += std::size_t(sent);
        }
    }

    void* m_module;
    void* m_environment;
    SOCKET m_socket = INVALID_SOCKET;
    HANDLE m_reader = nullptr;
    HANDLE m_released;
    HANDLE m_started;
    DWORD m_runtimeThread;
    CRITICAL_SECTION m_state;
    CRITICAL_SECTION m_send;

    // The runtime thread's own: the call stack as it goes.
    std::vector<Frame> m_frames;
    Frame m_outside{nullptr, nullptr, nullptr};
    const char* m_lastFile = nullptr;
    int m_lastFileId = -1;

    // Shared with the reader, under m_state.
    std::unordered_map<const char*, int> m_fileIds;
    std::vector<std::string> m_fileKeys;
    std::vector<std::vector<char>> m_rows;
    wire::BreakpointTable m_breakpoints;
    int m_generation = 0;
    int m_seenGeneration = 0;
    wire::StopRule m_rule;
    wire::Step m_step = wire::Step::None;
    std::string m_reason;
    bool m_stopped = false;
    bool m_inError = false;
    std::atomic<bool> m_armed{false};
};

}  // namespace

extern "C" __declspec(dllexport) Debugger* __cdecl debuggerGetDebugger(void* module, void* environment)
{
    static OurDebugger* debugger = nullptr;
    if (!debugger) {
        debugger = new OurDebugger(module, environment);
        debugger->Connect();
    }
    return debugger;
}
