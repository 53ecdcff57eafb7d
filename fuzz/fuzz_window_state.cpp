// The [WINDOW] section of prefs.ini as a user may leave it: the window's
// place and panes read or left out, the toolbar rows holding every band once.
#include "mainwindow/BandLayout.h"
#include "mainwindow/WindowState.h"
#include "platform/IniFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const QStringList known = {"ProjectBar", "DocBar", "EditBar", "BuildBar", "ToolsBar", "HelpBar"};
    const WindowState state = WindowStateFromIni(IniFile(input));
    if (state.geometry && (state.geometry->width() <= 0 || state.geometry->height() <= 0))
        __builtin_trap();
    for (const QString& text : {state.bands, QString::fromUtf8(input)}) {
        const std::optional<BandRows> rows = ParseBands(text, known);
        if (!rows)
            continue;
        QStringList seen;
        for (const QStringList& row : *rows) {
            if (row.isEmpty())
                __builtin_trap();
            seen += row;
        }
        seen.sort();
        QStringList all = known;
        all.sort();
        if (seen != all)
            __builtin_trap();
    }
    return 0;
}
