#pragma once

#include "documents/Document.h"
#include "model/ProgramHost.h"

// What the features below the editor's event routing need of it: the edits
// made in the editor handed to the program model, before they ask it a
// question.
class ModelFeed {
public:
    virtual void TakeEdits() = 0;

protected:
    ~ModelFeed() = default;
};

// The path the program model knows a document by: its file, or for a
// document never saved a path no file has.
inline QString ProgramPath(const CDoc& doc)
{
    return doc.FilePath.isEmpty() ? ProgramHost::UnsavedPath(doc.Key) : doc.FilePath;
}
