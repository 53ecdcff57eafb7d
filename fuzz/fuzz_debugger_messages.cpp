// What a program under the debugger sends: the stream cut into messages,
// and the session fed with them, which must hold together whatever comes.
#include "debugger/DebugSession.h"
#include "debugger/wire/Message.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    wire::Reader whole;
    wire::Reader pieces;
    const bool wholeOk = whole.Feed(bytes);
    bool piecesOk = true;
    for (std::size_t at = 0; at < bytes.size() && piecesOk; at += 5)
        piecesOk = pieces.Feed(bytes.substr(at, 5));
    if (wholeOk != piecesOk)
        std::abort();
    const std::vector<wire::Fields> messages = whole.Take();
    if (wholeOk && messages != pieces.Take())
        std::abort();

    DebugSession session;
    session.Launch("secret");
    session.Accept({"hello", "secret"});
    for (const wire::Fields& m : messages) {
        // Whatever is decoded encodes back to a line the reader gives back.
        wire::Reader again;
        if (!again.Feed(wire::Encode(m)) || again.Take() != std::vector<wire::Fields>{m})
            std::abort();
        session.Feed(m);
        if (!session.Halted() && !session.Frames().empty())
            std::abort();
        if (size % 3 == 0)
            session.Command(DebugCommand(size % 6));
    }
    return 0;
}
