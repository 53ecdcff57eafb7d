#pragma once

#include <QString>

#include <cstdio>
#include <string_view>

// The diagnostic trace switched on from the Debug menu. Every message is
// followed by an empty line.
class DebugLog {
public:
    explicit DebugLog(QString programDir) : m_dir(std::move(programDir)) {}
    ~DebugLog() { CloseLog(); }
    DebugLog(const DebugLog&) = delete;
    DebugLog& operator=(const DebugLog&) = delete;

    // Creates or empties debug.log in the program directory; on failure the
    // log simply stays off.
    void OpenLog();
    void LogLine(const QString& message);
    void CloseLog();
    bool LogToFile() const { return m_file != nullptr; }

private:
    QString m_dir;
    std::FILE* m_file = nullptr;
};
