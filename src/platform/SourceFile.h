#pragma once

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Reading the source files of a program: regular files only, within a size
// limit, and never waiting on one longer than a deadline.

// The window's limits, which a check applies too: a document as large as
// the editor holds well, an included file a quarter of that (an asset
// included by mistake is not read).
constexpr qint64 kMaxDocumentBytes = qint64(256) << 20;
constexpr qint64 kMaxIncludeBytes = qint64(64) << 20;

struct SourceText {
    enum class Trouble { None, Missing, TooLarge, NoAnswer };
    std::string bytes;
    Trouble trouble = Trouble::None;
    qint64 size = 0;  // the file's, when it is too large
    bool ok() const { return trouble == Trouble::None; }
};

// Reads on the calling thread; a folder, pipe, device or socket is Missing,
// as is a file that cannot be read.
SourceText ReadSourceFile(const QString& path, qint64 maxBytes);

// Reads files on a thread of its own and waits for each at most the
// deadline: a file that gives no answer (/proc/kmsg, a hung network share)
// is left to that thread, which no later read waits behind, and what the
// file yields in the end goes to the late handler, on that thread.
class SourceReader {
public:
    using Read = std::function<SourceText(const QString& path)>;
    using Late = std::function<void(const QString& path, SourceText text)>;
    // The files a file names, to be read before they are asked for.
    using Follow = std::function<std::vector<QString>(const QString& path, const std::string& text)>;

    SourceReader(Read read, std::chrono::milliseconds deadline);
    ~SourceReader();
    SourceReader(const SourceReader&) = delete;
    SourceReader& operator=(const SourceReader&) = delete;

    // The file's text, or NoAnswer: also at once for a file still read by a
    // thread that was given up on.
    SourceText Get(const QString& path);
    // Called, on the reading thread, with what a file given up on yielded;
    // never once this reader is gone.
    void SetLate(Late late);
    // Called on the reading thread with each file read; the files it names
    // are read next, while nothing is asked for.
    void SetFollow(Follow follow);

    std::chrono::milliseconds deadline() const { return m_deadline; }

private:
    struct Worker;
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    std::shared_ptr<Worker> m_worker;
    Read m_read;
    Follow m_follow;
    std::chrono::milliseconds m_deadline;
};
