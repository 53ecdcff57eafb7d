#pragma once

#include <QString>

// The user's own folders as the XDG base directory rules name them: the
// variable when it holds an absolute path, otherwise its default under the
// home folder (a relative value is invalid and ignored).
namespace userfolders {

// $XDG_CONFIG_HOME, else ~/.config.
QString ConfigHome();
// $XDG_STATE_HOME, else ~/.local/state.
QString StateHome();
// $XDG_RUNTIME_DIR; "" when it names no absolute folder (it has no default).
QString RuntimeDir();

}  // namespace userfolders
