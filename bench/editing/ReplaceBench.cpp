// Replace all in a long source: the engine alone, and the dialog's command
// with the edit handed to the editor.
#include "editing/DialogFindReplace.h"
#include "editing/TextSearch.h"
#include "editor/EditCtrl.h"
#include "platform/Prompter.h"
#include "startup/Labels.h"
#include "support/SourceGenerator.h"

#include <QApplication>
#include <QComboBox>
#include <QCheckBox>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

namespace {

struct AnswerOk : Prompter {
    MsgAnswer Ask(const QString&, MsgIcon, MsgButtons buttons) override
    {
        return buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes : MsgAnswer::Ok;
    }
};

// 100,000 generated lines, every tenth ending in a comment that names the
// word to replace: 10,000 matches spread over the whole text.
const std::string& LongSource()
{
    static const std::string text = [] {
        const std::string plain = gen::BlitzSource(100000);
        std::string out;
        out.reserve(plain.size() + 100000);
        int line = 0;
        for (std::size_t at = 0; at < plain.size();) {
            std::size_t end = plain.find("\r\n", at);
            if (end == std::string::npos)
                end = plain.size();
            out.append(plain, at, end - at);
            if (line++ % 10 == 0)
                out += " ; qqmark";
            if (end < plain.size())
                out += "\r\n";
            at = end + 2;
        }
        return out;
    }();
    return text;
}

void BM_ReplaceAllEngine(benchmark::State& state)
{
    const std::string& text = LongSource();
    const search::Options options{state.range(0) != 0};
    int count = 0;
    for (auto _ : state) {
        const auto edit = search::ReplaceAll(text, "qqmark", "qqmarker", 0, text.size(), options);
        count = edit.count;
        benchmark::DoNotOptimize(edit.replacement.data());
    }
    state.counters["matches"] = count;
}
BENCHMARK(BM_ReplaceAllEngine)->Arg(0)->Arg(1)->ArgName("matchCase")->Unit(benchmark::kMillisecond);

// The Replace all button on a shown editor: find, compute, one edit, the
// closing search. Colouring the changed lines happens afterwards, while idle.
void BM_ReplaceAllCommand(benchmark::State& state)
{
    CUILabels labels;
    AnswerOk prompter;
    EditCtrl editor;
    editor.resize(900, 700);
    editor.show();
    DialogFindReplace dialog(editor, labels, prompter);
    dialog.Check1->setChecked(state.range(0) != 0);
    const QByteArray original = QByteArray::fromStdString(LongSource());
    int lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        editor.SetText(original);
        while (editor.ColouringPending())
            QApplication::processEvents();
        dialog.comboSearch->setEditText(QStringLiteral("qqmark"));
        dialog.ComboReplace->setEditText(QStringLiteral("qqmarker"));
        dialog.Find();  // a new search, as a fresh dialog would start
        state.ResumeTiming();
        dialog.ReplaceAll();
        QApplication::processEvents();
        state.PauseTiming();
        lines = editor.LineCount();
        if (editor.Text().count("qqmarker") != 10000)
            state.SkipWithError("not every match was replaced");
        state.ResumeTiming();
    }
    state.counters["lines"] = lines;
}
BENCHMARK(BM_ReplaceAllCommand)->Arg(0)->Arg(1)->ArgName("matchCase")->Unit(benchmark::kMillisecond);

}  // namespace
