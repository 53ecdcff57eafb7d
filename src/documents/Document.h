#pragma once

#include "documents/DocumentFiles.h"
#include "editor/EditCtrl.h"
#include "editor/Keywords.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// One open document. The editor buffer holds its text, undo history, caret,
// selection and encoding; the record holds what the program knows about it.
struct CDoc {
    bool Modified = false;
    // Display name: the file name, or "newfile_3" for a document never saved.
    QString FileTitle;
    QString FilePath;
    // The folder of FilePath with its trailing separator; the base of
    // relative Include paths.
    QString FileDir;
    // Names declared in the document and its includes, from the last scan.
    EditorKeywordListPtr DocKeywords;
    EditorBufferPtr EditorState;
    // "Doc_" and the document number; never reused while the program runs.
    QString Key;
    std::optional<EditorSelection> SavedSelection;
    int CaretLine = 1;
    int CaretCol = 0;
    // Full paths of the files the last scan included, each once.
    QStringList Includes;
    // The version of its file on disk the text came from, or was written as.
    DiskStamp Disk;
    // The file no longer holds the text last saved or read (deleted, or
    // changed by another program while the user kept their own): the
    // document stays modified whatever undo does.
    bool DiskDiffers = false;
    // Reloaded from disk while another document was shown: scanned when shown.
    bool RescanWanted = false;
};
using CDocPtr = std::shared_ptr<CDoc>;
