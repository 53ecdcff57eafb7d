#include "platform/IniFile.h"

#include "platform/FileStatus.h"
#include "platform/Text.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace {

std::string_view SectionName(std::string_view line)
{
    line = text::TrimSpace(line);
    if (line.size() < 2 || line.front() != '[')
        return {};
    const auto close = line.find(']');
    if (close == std::string_view::npos)
        return {};
    return text::TrimSpace(line.substr(1, close - 1));
}

bool IsSectionHeader(std::string_view line)
{
    line = text::TrimSpace(line);
    return !line.empty() && line.front() == '[' && line.find(']') != std::string_view::npos;
}

// The key of a "key=value" line, or nothing.
bool SplitEntry(std::string_view line, std::string_view& key, std::string_view& value)
{
    const auto eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    key = text::TrimSpace(line.substr(0, eq));
    value = text::TrimSpace(line.substr(eq + 1));
    return true;
}

}  // namespace

IniFile::IniFile(std::string contents)
{
    std::string_view rest = text::SkipBom(contents);
    // Kept for the write, which changes only the lines it must.
    m_bom = rest.size() != contents.size();
    if (rest.empty())
        return;
    m_endsWithNewline = rest.back() == '\n' || rest.back() == '\r';
    while (!rest.empty()) {
        auto nl = rest.find_first_of("\r\n");
        if (nl == std::string_view::npos) {
            m_lines.emplace_back(rest);
            break;
        }
        m_lines.emplace_back(rest.substr(0, nl));
        if (rest[nl] == '\r' && nl + 1 < rest.size() && rest[nl + 1] == '\n')
            ++nl;
        rest.remove_prefix(nl + 1);
    }
}

IniFile IniFile::Load(const QString& path)
{
    QFile f;
    if (!OpenRegularFile(f, path))
        return IniFile();
    const QByteArray bytes = f.readAll();
    return IniFile(std::string(bytes.constData(), std::size_t(bytes.size())));
}

std::optional<IniFile> IniFile::LoadForUpdate(const QString& path, QString* error)
{
    // Something else in the settings' place (a folder, a pipe) is no empty
    // settings file to write over.
    if (!StatusOf(path))
        return IniFile();
    QFile f;
    if (!OpenRegularFile(f, path, error))
        return std::nullopt;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        if (error)
            *error = f.errorString();
        return std::nullopt;
    }
    return IniFile(std::string(bytes.constData(), std::size_t(bytes.size())));
}

IniFile::Found IniFile::Locate(std::string_view section, std::string_view key) const
{
    Found found;
    for (int i = 0; i < int(m_lines.size()); ++i) {
        const std::string_view line = m_lines[std::size_t(i)];
        if (IsSectionHeader(line)) {
            if (found.sectionLine >= 0)
                break;  // only the first section of that name counts
            if (text::EqualsNoCase(SectionName(line), section)) {
                found.sectionLine = i;
                found.sectionEnd = i + 1;
            }
            continue;
        }
        if (found.sectionLine < 0)
            continue;
        if (!text::TrimSpace(line).empty())
            found.sectionEnd = i + 1;
        std::string_view k, v;
        if (found.keyLine < 0 && SplitEntry(line, k, v) && text::EqualsNoCase(k, key))
            found.keyLine = i;
    }
    return found;
}

std::vector<std::string> IniFile::Sections() const
{
    std::vector<std::string> sections;
    for (const std::string& line : m_lines) {
        if (!IsSectionHeader(line))
            continue;
        const std::string_view name = SectionName(line);
        const bool seen = std::any_of(sections.begin(), sections.end(),
                                      [&](const std::string& s) { return text::EqualsNoCase(s, name); });
        if (!seen)
            sections.emplace_back(name);
    }
    return sections;
}

std::string IniFile::Get(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    const Found f = Locate(section, key);
    std::string_view value = defaultValue;
    if (f.keyLine >= 0) {
        std::string_view k;
        SplitEntry(m_lines[std::size_t(f.keyLine)], k, value);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
            && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
    }
    return std::string(value.substr(0, kMaxValueLength));
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value)
{
    std::string line = std::string(key) + "=" + std::string(value);
    const Found f = Locate(section, key);
    if (f.keyLine >= 0) {
        m_lines[std::size_t(f.keyLine)] = std::move(line);
    } else if (f.sectionLine >= 0) {
        m_lines.insert(m_lines.begin() + f.sectionEnd, std::move(line));
    } else {
        if (!m_lines.empty() && !text::TrimSpace(m_lines.back()).empty())
            m_lines.emplace_back();
        m_lines.push_back("[" + std::string(section) + "]");
        m_lines.push_back(std::move(line));
    }
    m_endsWithNewline = true;
}

std::string IniFile::Contents() const
{
    std::string out = m_bom ? "\xEF\xBB\xBF" : "";
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        out += m_lines[i];
        if (i + 1 < m_lines.size() || m_endsWithNewline)
            out += "\r\n";
    }
    return out;
}

bool IniFile::Save(const QString& path, QString* error) const
{
    return WriteFileAtomically(path, Contents(), error);
}

bool WriteFileAtomically(const QString& path, std::string_view bytes, QString* error)
{
    QSaveFile f(path);
    // Without direct-write fallback, a folder we cannot create files in fails
    // instead of truncating the original in place.
    f.setDirectWriteFallback(false);
    // Unbuffered, so that a disk filling up part-way shows in the count of
    // bytes written; a buffered write reports them all and the flush at
    // commit loses the rest without a word.
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    // A full disk first takes part of a write without any error; only the
    // next write fails, and it carries the system's reason.
    const qint64 total = qint64(bytes.size());
    for (qint64 done = 0; done < total;) {
        const qint64 n = f.write(bytes.data() + done, total - done);
        if (n <= 0) {
            if (error)
                *error = f.error() != QFileDevice::NoError
                             ? f.errorString()
                             : QStringLiteral("Only %1 of %2 bytes could be written.").arg(done).arg(total);
            f.cancelWriting();
            return false;
        }
        done += n;
    }
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

bool WriteIniString(const QString& fileName, const QString& section, const QString& key,
                    const QString& value)
{
    std::optional<IniFile> ini = IniFile::LoadForUpdate(fileName);
    if (!ini)
        return false;
    ini->Set(section.toStdString(), key.toStdString(), value.toStdString());
    return ini->Save(fileName);
}
