// What an editor sends the language server: the stream cut into messages
// however the bytes come, each message decoded and answered. The reader
// holds no more than a message's worth, the same messages come out of the
// whole stream and of its pieces, and every answer is one JSON object.
#include "FuzzCheck.h"
#include "lsp/Framing.h"
#include "lsp/Server.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kMaxBody = 1 << 16;

std::vector<lsp::FrameEvent> Cut(const char* bytes, std::size_t size, std::size_t piece)
{
    lsp::FrameReader reader(kMaxBody);
    std::vector<lsp::FrameEvent> events;
    for (std::size_t at = 0; at < size; at += piece) {
        reader.Feed(bytes + at, std::min(piece, size - at), events);
        FUZZ_CHECK(reader.Held() <= kMaxBody + lsp::FrameReader::kMaxHeader + piece);
    }
    return events;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_lsp_messages";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);

    const char* bytes = reinterpret_cast<const char*>(data);
    const std::vector<lsp::FrameEvent> whole = Cut(bytes, size, size ? size : 1);
    const std::vector<lsp::FrameEvent> pieces = Cut(bytes, size, 3);
    FUZZ_CHECK(whole.size() == pieces.size());
    for (std::size_t i = 0; i < whole.size(); ++i)
        FUZZ_CHECK(whole[i].kind == pieces[i].kind && whole[i].body == pieces[i].body);

    // Documents without a file, so that nothing is read from disk.
    lsp::Server server([](const QString&) { return lsp::ServerSetup{}; },
                       [](const QByteArray& body) { FUZZ_CHECK(QJsonDocument::fromJson(body).isObject()); });
    server.Receive(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"capabilities":{}}})");
    for (const lsp::FrameEvent& e : whole) {
        if (e.kind != lsp::FrameEvent::Message)
            continue;
        if (e.body.contains("file:"))
            continue;
        server.Receive(e.body);
    }
    return 0;
}
