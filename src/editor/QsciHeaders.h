#pragma once

// QScintilla's headers declare their signals and slots with Qt's keyword
// macros, which this project switches off; they are defined around them.
#ifdef QT_NO_KEYWORDS
#define signals Q_SIGNALS
#define slots Q_SLOTS
#define OVREL_QSCI_KEYWORDS
#endif

#include <Qsci/qscidocument.h>
#include <Qsci/qscilexercustom.h>
#include <Qsci/qsciscintilla.h>
#include <Qsci/qsciscintillabase.h>

#ifdef OVREL_QSCI_KEYWORDS
#undef signals
#undef slots
#undef OVREL_QSCI_KEYWORDS
#endif
