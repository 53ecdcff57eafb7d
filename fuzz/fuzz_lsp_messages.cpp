// What an editor sends the language server: the stream cut into messages
// however the bytes come, each message decoded and answered. The reader
// holds no more than a message's worth, the same messages come out of the
// whole stream and of its pieces, and every answer is one JSON object.
#include "FuzzCheck.h"
#include "lsp/Framing.h"
#include "lsp/Message.h"
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

    // The bytes as a document's long text: unescaped as Qt's parser reads them.
    {
        QByteArray literal(bytes, qsizetype(size));
        literal = literal.repeated(qsizetype(lsp::Message::kLongString / (size ? size : 1) + 1));
        const QByteArray body = "{\"text\":\"" + literal + "\"}";
        QJsonParseError error, qtError;
        const std::optional<lsp::Message> m = lsp::Message::Decode(body, &error);
        const QJsonDocument qt = QJsonDocument::fromJson(body, &qtError);
        FUZZ_CHECK(bool(m) == (qtError.error == QJsonParseError::NoError));
        // (A text that starts with a NUL may be taken for a long string's stand-in.)
        const QString text = qt.object().value(QStringLiteral("text")).toString();
        if (m && !text.startsWith(QChar(0)))
            FUZZ_CHECK(m->Text(m->Object().value(QStringLiteral("text"))) == text.toUtf8());
    }

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
