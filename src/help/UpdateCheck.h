#pragma once

class HelpArea;

// The update check of the Help menu: compares this version with the one the
// update server publishes and shows the result in the help browser. The
// menu item is in place; the check itself comes with the update work.
void StartUpdateCheck(HelpArea& help);
