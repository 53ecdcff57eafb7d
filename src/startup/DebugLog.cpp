#include "startup/DebugLog.h"

#include <QDir>

void DebugLog::OpenLog()
{
    CloseLog();
    const QByteArray path = QDir(m_dir).filePath(QStringLiteral("debug.log")).toLocal8Bit();
    m_file = std::fopen(path.constData(), "wb");
}

void DebugLog::LogLine(const QString& message)
{
    if (!m_file)
        return;
    const QByteArray bytes = message.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), m_file);
    std::fputs("\r\n\r\n", m_file);
    std::fflush(m_file);
}

void DebugLog::CloseLog()
{
    if (!m_file)
        return;
    std::fclose(m_file);
    m_file = nullptr;
}
