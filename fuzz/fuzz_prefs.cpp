// prefs.ini of any content: every setting converted or refused, never a crash.
#include "platform/IniFile.h"
#include "platform/Prompter.h"
#include "startup/Labels.h"
#include "startup/Preferences.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace {
class SilentPrompter : public Prompter {
public:
    MsgAnswer Ask(const QString&, MsgIcon, MsgButtons) override { return MsgAnswer::Ok; }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    static const CUILabels labels;
    SilentPrompter prompter;
    IniFile ini(input);
    try {
        (void)SettingsFromIni(ini, labels, prompter);
    } catch (const std::runtime_error&) {
        // A malformed number: start-up reports it.
    }
    // Writing must keep the file readable and the written value findable.
    ini.Set("IDEOPTS", "TabSize", "4");
    const IniFile back(ini.Contents());
    if (back.Get("IDEOPTS", "TabSize", "") != "4")
        __builtin_trap();
    (void)ParseColorText(input);
    (void)ParseSettingInteger(input);
    return 0;
}
