#pragma once

#include <QString>

#include <cstdio>
#include <string_view>

// The diagnostic trace switched on from the Debug menu. Every message is
// followed by an empty line.
class DebugLog {
public:
    // `dir` holds debug.log: the program directory, or the user's state
    // folder when installed.
    explicit DebugLog(QString dir) : m_dir(std::move(dir)) {}
    ~DebugLog() { CloseLog(); }
    DebugLog(const DebugLog&) = delete;
    DebugLog& operator=(const DebugLog&) = delete;

    // Creates or empties debug.log; on failure the log simply stays off.
    void OpenLog();
    void LogLine(const QString& message);
    void CloseLog();
    bool LogToFile() const { return m_file != nullptr; }

private:
    QString m_dir;
    std::FILE* m_file = nullptr;
};
