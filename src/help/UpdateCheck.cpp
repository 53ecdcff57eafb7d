#include "help/UpdateCheck.h"

void StartUpdateCheck(HelpArea&) {}
