#include "mainwindow/WindowState.h"

#include "platform/IniFile.h"

#include <charconv>
#include <string>

namespace {

constexpr const char* kSection = "WINDOW";

// A pixel position or size; a number no screen has counts as unreadable.
std::optional<int> Number(const IniFile& ini, const char* key)
{
    constexpr int kFarthest = 100000;
    const std::string text = ini.Get(kSection, key, "");
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < -kFarthest
        || value > kFarthest)
        return std::nullopt;
    return value;
}

bool Flag(const IniFile& ini, const char* key)
{
    return QString::fromStdString(ini.Get(kSection, key, "")).compare(u"true", Qt::CaseInsensitive) == 0;
}

}  // namespace

WindowState LoadWindowState(const QString& prefsPath)
{
    return WindowStateFromIni(IniFile::Load(prefsPath));
}

WindowState WindowStateFromIni(const IniFile& ini)
{
    WindowState state;
    const auto left = Number(ini, "Left");
    const auto top = Number(ini, "Top");
    const auto width = Number(ini, "Width");
    const auto height = Number(ini, "Height");
    if (left && top && width && height && *width > 0 && *height > 0)
        state.geometry = QRect(*left, *top, *width, *height);
    state.maximized = Flag(ini, "Maximized");
    state.leftPaneWidth = Number(ini, "LeftPane").value_or(-1);
    state.projectPaneHeight = Number(ini, "ProjectPane").value_or(-1);
    state.leftPaneCollapsed = Flag(ini, "LeftPaneHidden");
    state.bottomPanelHeight = Number(ini, "BottomPanel").value_or(-1);
    state.bottomPanelOpen = Flag(ini, "BottomPanelOpen");
    state.bands = QString::fromStdString(ini.Get(kSection, "Bands", ""));
    return state;
}

bool SaveWindowState(const QString& prefsPath, const WindowState& state, QString* error)
{
    std::optional<IniFile> ini = IniFile::LoadForUpdate(prefsPath, error);
    if (!ini)
        return false;
    auto number = [&](const char* key, int value) { ini->Set(kSection, key, std::to_string(value)); };
    if (state.geometry) {
        number("Left", state.geometry->x());
        number("Top", state.geometry->y());
        number("Width", state.geometry->width());
        number("Height", state.geometry->height());
    }
    ini->Set(kSection, "Maximized", state.maximized ? "True" : "False");
    number("LeftPane", state.leftPaneWidth);
    number("ProjectPane", state.projectPaneHeight);
    ini->Set(kSection, "LeftPaneHidden", state.leftPaneCollapsed ? "True" : "False");
    number("BottomPanel", state.bottomPanelHeight);
    ini->Set(kSection, "BottomPanelOpen", state.bottomPanelOpen ? "True" : "False");
    ini->Set(kSection, "Bands", state.bands.toStdString());
    return ini->Save(prefsPath, error);
}
