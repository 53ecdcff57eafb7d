#pragma once

#include "platform/ImageList.h"

#include <QHash>
#include <QIcon>
#include <QString>

class Prompter;

// The four picture strips that lie beside the program: the toolbar buttons
// (and their disabled look), the small pictures of the declaration kinds and
// the document tabs, and the splitter button. Each picture also exists as the
// SVG it was drawn from, for screens that scale the window.
class ToolbarImages {
public:
    ImageList ToolbarIconList;
    ImageList ToolbarDisabledIconList;
    ImageList SmallIconList;
    ImageList SplitterIconList;

    QIcon ToolbarIcon(int n) const;
    QIcon SmallIcon(int n) const;
    QIcon SplitterIcon(int n) const;

private:
    QIcon Icon(const char* strip, const ImageList& list, const ImageList* disabled, int n) const;
    mutable QHash<QString, QIcon> m_icons;
};

// Loads the four strips from `programDir`, in the order toolbar, disabled
// toolbar, small, splitter. A strip that is missing or unreadable is said in
// its fixed message, with the critical icon, and the loading stops: false
// means the program must end.
bool LoadToolbarImages(const QString& programDir, Prompter& prompter, ToolbarImages& images);
