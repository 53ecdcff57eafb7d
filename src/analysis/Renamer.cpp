#include "analysis/Renamer.h"

#include "analysis/ChangePreview.h"
#include "analysis/ProgramEditor.h"
#include "analysis/ProgramHost.h"
#include "editor/EditCtrl.h"
#include "platform/Prompter.h"
#include "platform/Text.h"
#include "startup/Labels.h"

void RenameAtCaret(ProgramEditor& editor)
{
    const ProgramToolsHost& host = editor.host();
    const auto label = [&host](const char* key) { return host.labels.getValue(QString::fromLatin1(key)); };
    const QString path = editor.CurrentPath();
    if (path.isEmpty())
        return;
    const std::string key = ProgramHost::KeyOf(path);
    const CaretPosition caret = host.editor.CaretPos();
    const auto row = std::uint32_t(caret.Line - 1), col = std::uint32_t(caret.Column);
    // The name as written where the caret is: what the title shows, and what
    // every place must still read before it changes.
    const auto textAt = [&host](std::string_view file, std::uint32_t line, std::uint32_t from, std::uint32_t to) {
        const std::string text = host.programs.LineText(file, line);
        return to <= text.size() ? text.substr(from, to - from) : std::string();
    };
    std::string spelled;
    for (const lang::Range& r : host.programs.ProgramOf(path).References(key, row, col))
        if (r.file == key && r.row == row && col >= r.col && col <= r.endCol)
            spelled = textAt(key, row, r.col, r.endCol);
    if (spelled.empty()) {
        host.setInfoPanel(label("nothingtorename"));
        return;
    }
    const auto plan = [&](const QString& name) -> ChangePreview::Plan {
        const std::string newName = name.toStdString();
        const lang::RenamePlan found = host.programs.ProgramOf(path).Rename(key, row, col, newName);
        if (!found.refusal.empty())
            return {QString::fromStdString(found.refusal), {}};
        ProgramEdits edits = RenameEdits(found.edits, newName);
        for (const FileEdits& f : edits)
            for (const TextEdit& e : f.edits)
                if (!text::EqualsNoCase(textAt(f.key, e.row, e.col, e.endCol), spelled))
                    return {label("changedsince"), {}};
        return {{}, std::move(edits)};
    };
    ChangePreview::Setup setup;
    setup.title = label("renametitle").replace(QStringLiteral("#name#"), QString::fromStdString(spelled));
    setup.namePrompt = label("renameprompt");
    setup.name = QString::fromStdString(spelled);
    setup.confirm = label("renamebutton");
    setup.plan = plan;
    setup.lineText = [&host](std::string_view file, std::uint32_t line) { return host.programs.LineText(file, line); };
    setup.fileTitle = [&editor](const std::string& file) { return editor.TitleOf(file); };
    ChangePreview preview(std::move(setup), host.labels, &host.window);
    if (preview.exec() != QDialog::Accepted)
        return;
    // Files may have changed on disk while the preview was open: what is
    // written is planned on what they hold now, and must be what was shown.
    const ChangePreview::Plan now = plan(preview.Name());
    if (!now.refusal.isEmpty() || now.edits != preview.Edits()) {
        host.prompter.Tell(now.refusal.isEmpty() ? label("changedsince") : now.refusal, MsgIcon::Exclamation);
        return;
    }
    editor.Apply(now.edits, label("renamed")
                                .replace(QStringLiteral("#old#"), QString::fromStdString(spelled))
                                .replace(QStringLiteral("#new#"), preview.Name()));
}
