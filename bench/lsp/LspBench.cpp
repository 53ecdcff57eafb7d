#include "lsp/Run.h"
#include "startup/Layout.h"
#include "support/SourceGenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <memory>

namespace {

// A main file of 100,000 lines that includes 20 files of 1,000 lines each,
// on disk as a client's workspace has it.
struct Project {
    QTemporaryDir dir;
    QString mainUri;
    std::string mainText;
    std::vector<std::string> lines;

    Project()
    {
        std::vector<std::string> names;
        std::filesystem::create_directories(dir.filePath(QStringLiteral("lib")).toStdString());
        for (int i = 0; i < 20; ++i) {
            names.push_back("lib\\part" + std::to_string(i) + ".bb");
            std::ofstream(dir.filePath(QStringLiteral("lib/part%1.bb").arg(i)).toStdString(), std::ios::binary)
                << gen::BlitzProgram(1000, "inc" + std::to_string(i) + "_");
        }
        mainText = gen::BlitzProgram(100000, "m", names);
        const QString main = dir.filePath(QStringLiteral("main.bb"));
        std::ofstream(main.toStdString(), std::ios::binary) << mainText;
        mainUri = QUrl::fromLocalFile(main).toString();
        std::size_t start = 0;
        for (std::size_t end; (end = mainText.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(mainText.substr(start, end - start));
        lines.push_back(mainText.substr(start));
    }
    // The first line from `row` on that holds `text`, and where.
    std::pair<int, int> Find(int row, const std::string& text) const
    {
        while (lines[std::size_t(row)].find(text) == std::string::npos)
            ++row;
        return {row, int(lines[std::size_t(row)].find(text))};
    }
};

const Project& TheProject()
{
    static const Project project;
    return project;
}

QByteArray Message(const QJsonObject& m)
{
    QJsonObject message = m;
    message.insert(QStringLiteral("jsonrpc"), QStringLiteral("2.0"));
    return QJsonDocument(message).toJson(QJsonDocument::Compact);
}

QJsonObject Pos(int line, int character)
{
    return {{QStringLiteral("line"), line}, {QStringLiteral("character"), character}};
}

// A server as `ovrel --lsp` runs it, its output kept rather than written.
struct Session {
    QByteArray last;
    std::unique_ptr<lsp::Server> server;

    Session()
    {
        const Layout layout = Layout::Portable(QStringLiteral(OVREL_BENCH_RESOURCES));
        server = std::make_unique<lsp::Server>(
            [layout](const QString& blitzPath) { return lsp::LoadServerSetup(layout, blitzPath); },
            [this](const QByteArray& body) { last = body; });
        server->Receive(Message({{QStringLiteral("id"), 1}, {QStringLiteral("method"), QStringLiteral("initialize")},
                                 {QStringLiteral("params"), QJsonObject{{QStringLiteral("capabilities"), QJsonObject()}}}}));
    }
    void Receive(const QJsonObject& m) { server->Receive(Message(m)); }
    // Until the diagnostics are out.
    void AwaitPublished()
    {
        QEventLoop loop;
        QObject::connect(server.get(), &lsp::Server::Published, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // The message as the client sent it: its making is the client's time.
    static const QByteArray& OpenMessage()
    {
        static const QByteArray message = [] {
            const Project& p = TheProject();
            return Message({{QStringLiteral("method"), QStringLiteral("textDocument/didOpen")},
                            {QStringLiteral("params"),
                             QJsonObject{{QStringLiteral("textDocument"),
                                          QJsonObject{{QStringLiteral("uri"), p.mainUri},
                                                      {QStringLiteral("languageId"), QStringLiteral("blitzbasic")},
                                                      {QStringLiteral("version"), 1},
                                                      {QStringLiteral("text"), QString::fromStdString(p.mainText)}}}}}});
        }();
        return message;
    }
    void Open() { server->Receive(OpenMessage()); }
};

void BM_DiagnosticsAfterOpen(benchmark::State& state)
{
    Session::OpenMessage();
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<Session>();
        state.ResumeTiming();
        session->Open();
        session->AwaitPublished();
        state.PauseTiming();
        session.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DiagnosticsAfterOpen)->Unit(benchmark::kMillisecond)->UseRealTime();

// A letter typed into a name at line 99,000 and taken out again, each
// answered with the diagnostics.
void BM_ChangeAtLine99000(benchmark::State& state)
{
    Session session;
    session.Open();
    session.AwaitPublished();
    const auto [row, col] = TheProject().Find(99000, "Text x + 4");
    int version = 1;
    for (auto _ : state) {
        const bool typing = version % 2 == 1;
        const QJsonObject range{{QStringLiteral("start"), Pos(row, col + 6)}, {QStringLiteral("end"), Pos(row, col + (typing ? 6 : 7))}};
        session.Receive({{QStringLiteral("method"), QStringLiteral("textDocument/didChange")},
                         {QStringLiteral("params"),
                          QJsonObject{{QStringLiteral("textDocument"), QJsonObject{{QStringLiteral("uri"), TheProject().mainUri},
                                                                                   {QStringLiteral("version"), ++version}}},
                                      {QStringLiteral("contentChanges"),
                                       QJsonArray{QJsonObject{{QStringLiteral("range"), range},
                                                              {QStringLiteral("text"), typing ? QStringLiteral("q") : QString()}}}}}}});
        session.AwaitPublished();
    }
    state.counters["row"] = row;
}
BENCHMARK(BM_ChangeAtLine99000)->Unit(benchmark::kMillisecond)->UseRealTime();

// Definition and references of a global used near the end of the program.
void Query(benchmark::State& state, const char* method)
{
    Session session;
    session.Open();
    session.AwaitPublished();
    const auto [row, col] = TheProject().Find(99000, "mscore");
    const QJsonObject params{{QStringLiteral("textDocument"), QJsonObject{{QStringLiteral("uri"), TheProject().mainUri}}},
                             {QStringLiteral("position"), Pos(row, col + 2)},
                             {QStringLiteral("context"), QJsonObject{{QStringLiteral("includeDeclaration"), true}}}};
    int id = 1;
    for (auto _ : state)
        session.Receive({{QStringLiteral("id"), ++id}, {QStringLiteral("method"), QString::fromLatin1(method)}, {QStringLiteral("params"), params}});
    state.counters["reply bytes"] = double(session.last.size());
}
void BM_Definition(benchmark::State& state) { Query(state, "textDocument/definition"); }
void BM_References(benchmark::State& state) { Query(state, "textDocument/references"); }
BENCHMARK(BM_Definition)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_References)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
