#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

// A build's output, read from the pipe its processes write to on a thread of
// its own, so that neither a slow disk nor a flood of output holds the
// window. It goes into the output file, which keeps only its last few
// megabytes however much comes, and waits for the window to take it at its
// own pace, only the latest part of it when the window falls behind.
class OutputCapture {
public:
    // Past kFileLimit the file is cut back to its last kFileKept bytes,
    // from the start of a line.
    static constexpr qint64 kFileLimit = 8 << 20;
    static constexpr qint64 kFileKept = 4 << 20;
    // What waits for the window at most.
    static constexpr qint64 kHeldLimit = 4 << 20;

    // Empties the file at `outputPath` and makes the pipe.
    explicit OutputCapture(const QString& outputPath);
    // Finish(), and the pipe and the file are closed.
    ~OutputCapture();
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // False when no pipe could be made.
    bool IsValid() const { return m_read >= 0; }
    // The end of the pipe for the processes to write to, until Start.
    int WriteEnd() const { return m_write; }
    // Starts reading; the processes have their own write end by now, and
    // once they have all closed it the reading ends by itself.
    void Start();
    // The output file could be emptied and every write to it went well.
    bool FileWritten() const { return m_file >= 0 && !m_fileFailed; }

    struct Piece {
        qint64 skipped = 0;  // bytes before `bytes` let go unseen
        QByteArray bytes;
    };
    // At most `most` bytes of what arrived since the last call: the first
    // ones, or with `latest` the last ones (the others are let go).
    Piece Take(qint64 most, bool latest = false);
    // Reads what the pipe holds now and stops reading, however long a
    // writer that is left goes on: the file then holds the output up to here.
    void Finish();

private:
    void Run();
    void Keep(const char* data, qint64 size);
    void CutFile();

    int m_read = -1;
    int m_write = -1;
    // Finish wakes the reading thread through this pipe.
    int m_wake[2] = {-1, -1};
    int m_file = -1;
    qint64 m_fileSize = 0;
    std::atomic<bool> m_fileFailed = false;
    std::vector<char> m_cut;
    std::thread m_thread;

    std::mutex m_mutex;
    QByteArray m_held;
    qint64 m_skipped = 0;
};
