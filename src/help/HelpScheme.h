#pragma once

class CUILabels;
class QWebEngineProfile;

namespace help {

// Makes the help scheme (HelpPages.h) known to the browser engine. Must run
// before the QApplication exists, as the engine reads its schemes once.
void RegisterHelpScheme();

// Serves the help scheme in `profile` from the local files, found on disk
// whatever the letter case of the link; a page that is not there becomes
// the generated "not found" page, so that frames get it too, in the words
// of `labels`. Once per profile; later calls only bring their labels.
void InstallHelpScheme(QWebEngineProfile* profile, const CUILabels& labels);

}  // namespace help
