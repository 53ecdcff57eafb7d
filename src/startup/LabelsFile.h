#pragma once

#include "startup/Labels.h"

#include <QString>

#include <optional>
#include <string_view>

class Prompter;

// Reading locale.txt.

// The outcome of reading a label file's text: the labels read, and the
// 1-based line of the first malformed line (0 when there is none). Entries
// before a malformed line are kept. A key given twice, or a file of 32767
// lines or more, throws std::runtime_error.
struct LabelsParse {
    CUILabels labels;
    int errorLine = 0;
};
LabelsParse ParseLabels(std::string_view contents);

// Reads <programDir>/locale.txt, saying "Locale.txt not found!!" or
// "Parse error on locale.txt, line N" when it cannot. Throws as ParseLabels.
std::optional<CUILabels> LoadLabels(const QString& programDir, Prompter& prompter);
