// The autocomplete popup as the user drives it: opened on a large vocabulary
// and a large document, then narrowed after each typed letter, each step
// including the repaint of the visible rows.
#include "assist/DlgListVar.h"
#include "model/DocDeclarations.h"
#include "support/BenchLists.h"
#include "support/SourceGenerator.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cctype>

namespace {

using gen::Declared;
using gen::Styles;
using gen::Vocabulary;

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
