#include "navigation/Renamer.h"

#include "editor/EditCtrl.h"
#include "model/ProgramHost.h"
#include "navigation/ChangePreview.h"
#include "navigation/ProgramEditor.h"
#include "platform/Prompter.h"
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
    const ProgramLineText lineText = [&host](std::string_view file, std::uint32_t line) {
        return host.programs.LineText(file, line);
    };
    const std::string spelled = NameToRename(host.programs.ProgramOf(path), lineText, key, row, col).spelled;
    if (spelled.empty()) {
        host.setInfoPanel(label("nothingtorename"));
        return;
    }
    const auto plan = [&](const QString& name) -> ChangePreview::Plan {
        RenamePlanned planned = PlanRename(host.programs.ProgramOf(path), lineText, key, row, col, name.toStdString());
        if (!planned.refusal.empty())
            return {QString::fromStdString(planned.refusal), {}};
        if (planned.changedSince)
            return {label("changedsince"), {}};
        return {{}, std::move(planned.edits)};
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
