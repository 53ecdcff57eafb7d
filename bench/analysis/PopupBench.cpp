// The autocomplete popup as the user drives it: opened on a large vocabulary
// and a large document, then narrowed after each typed letter, each step
// including the repaint of the visible rows.
#include "analysis/DlgListVar.h"
#include "analysis/Scanner.h"
#include "support/SourceGenerator.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cctype>

namespace {

DeclStyles Styles()
{
    auto style = [](int kind) { return std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0}); };
    return {style(2), style(3), style(4), style(5), style(6), style(8)};
}

// 1,500 command names shaped like the real vocabulary's.
EditorKeywordListPtr Vocabulary()
{
    static const char* const verbs[] = {"Create", "Load", "Free", "Entity", "Set", "Get", "Update",
                                        "Draw", "Copy", "Read", "Write", "Show", "Hide", "Move", "Turn"};
    static const char* const nouns[] = {"Image", "Mesh", "Sound", "Texture", "Brush", "Camera", "Light",
                                        "Pivot", "Sprite", "Surface", "Bank", "File", "Font", "Stream",
                                        "Buffer", "Channel", "Terrain", "Plane", "Mirror", "Listener"};
    static const char* const tails[] = {"", "X", "Y", "Z", "Ex"};
    auto style = std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kKindCommand, 0});
    auto list = std::make_shared<EditorKeywordList>();
    for (const char* v : verbs)
        for (const char* n : nouns)
            for (const char* t : tails) {
                EditorKeyword e;
                e.Name = std::string(v) + n + t;
                for (char c : e.Name)
                    e.Key += char(std::tolower(static_cast<unsigned char>(c)));
                e.Style = style;
                list->Add(std::move(e));
            }
    list->Entries();
    return list;
}

// About 10,000 names declared in a generated document.
EditorKeywordListPtr Declared()
{
    ScanResult r = ScanDocument(gen::BlitzSource(32000), "/bench/", Styles());
    r.DocKeywords->Entries();
    return r.DocKeywords;
}

struct Popup {
    Popup()
    {
        list.SetVocabulary(vocabulary);
        list.move(100, 100);
        list.show();
        QApplication::processEvents();
    }
    void Open()
    {
        list.setTokens(*declared, true);
        list.updateview(1, -1);
        list.ShowNearestToken("", true);
        list.repaint();
    }
    EditorKeywordListPtr vocabulary = Vocabulary();
    EditorKeywordListPtr declared = Declared();
    DlgListVar list;
};

Popup& SharedPopup()
{
    static Popup popup;
    return popup;
}

// Ctrl+Space: both lists merged into the popup and its first page painted.
void BM_PopupOpen(benchmark::State& state)
{
    Popup& popup = SharedPopup();
    for (auto _ : state)
        popup.Open();
    state.counters["tokens"] = double(popup.list.model().count());
}
BENCHMARK(BM_PopupOpen)->Unit(benchmark::kMillisecond);

// One typed letter with the list open: the nearest name selected and the
// page painted again.
void BM_PopupNarrowStep(benchmark::State& state)
{
    Popup& popup = SharedPopup();
    popup.Open();
    const std::string typed = "mUpdateEnemy1234";
    std::size_t length = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(popup.list.isSingleToken(std::string_view(typed).substr(0, length)));
        popup.list.repaint();
        length = length == typed.size() ? 1 : length + 1;
    }
}
BENCHMARK(BM_PopupNarrowStep)->Unit(benchmark::kMicrosecond);

// Page Down through the list, repainting each page.
void BM_PopupPageDown(benchmark::State& state)
{
    Popup& popup = SharedPopup();
    popup.Open();
    for (auto _ : state) {
        if (popup.list.model().current() >= popup.list.model().count())
            popup.list.updateview(1, -1);
        popup.list.ScrollView(Qt::Key_PageDown);
        popup.list.repaint();
    }
}
BENCHMARK(BM_PopupPageDown)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
