#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// An INI file read and written the way the Windows profile functions do it:
// sections and keys compare without regard to case, values are trimmed and a
// value enclosed in matching quotes loses them, a read returns at most 254
// characters, and a write replaces or adds one line while keeping every other
// line of the file (comments, unknown keys, other sections) as it was.
//
// Writes go to a temporary file that is then renamed over the original, so a
// failed write never leaves half a file behind.
class IniFile {
public:
    static constexpr int kMaxValueLength = 254;

    IniFile() = default;
    explicit IniFile(std::string contents);

    // Reads `path`; a missing or unreadable file reads as empty.
    static IniFile Load(const QString& path);
    // Reads `path` to change and write it back: a missing file is empty, but
    // one that exists and cannot be read gives nothing (and says why), since
    // writing would replace the user's lines with ours alone.
    static std::optional<IniFile> LoadForUpdate(const QString& path, QString* error = nullptr);

    // The sections' names in the order of the file, each once (the first
    // spelling of a name written in several cases).
    std::vector<std::string> Sections() const;
    // The value of `key` in `section`, or `defaultValue` when either is missing.
    std::string Get(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    // Replaces the first line of `key` in `section`, or adds one at the end of
    // the section (adding the section at the end of the file when missing).
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // The file's text with CR LF line ends.
    std::string Contents() const;
    // Atomic write; on failure returns false with a reason and leaves the file
    // on disk untouched.
    bool Save(const QString& path, QString* error = nullptr) const;

private:
    struct Found {
        int sectionLine = -1;  // line of the section header
        int sectionEnd = -1;   // one past the section's last non-blank line
        int keyLine = -1;
    };
    Found Locate(std::string_view section, std::string_view key) const;

    std::vector<std::string> m_lines;
    bool m_endsWithNewline = true;
    bool m_bom = false;
};

// The profile call under its familiar name. Result ignored by callers that follow the profile function's contract; it
// reports whether the file was written.
bool WriteIniString(const QString& fileName, const QString& section, const QString& key,
                    const QString& value);

// Writes `bytes` to `path` through a temporary file in the same folder and a
// rename, so the old file stays whole when anything fails.
bool WriteFileAtomically(const QString& path, std::string_view bytes, QString* error);
