// The recent-files list of prefs.ini as a user may leave it, and files of
// any name opened: the list read is written back and read again the same, a
// file opened comes back from prefs.ini unless its name is one the file
// cannot hold whole, and the menu tells apart every file of one name.
#include "FuzzCheck.h"
#include "documents/RecentFiles.h"
#include "platform/IniFile.h"

#include <QFileInfo>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void CheckMenu(const RecentFiles& recent)
{
    const QStringList names = recent.DisplayNames();
    const QStringList& files = recent.Files();
    FUZZ_CHECK(names.size() == files.size() && files.size() <= RecentFiles::kMaxFiles);
    for (qsizetype i = 0; i < files.size(); ++i)
        for (qsizetype j = i + 1; j < files.size(); ++j)
            if (QFileInfo(files[i]).fileName() == QFileInfo(files[j]).fileName())
                FUZZ_CHECK(names[i] != names[j]);
}

RecentFiles Reread(const RecentFiles& recent)
{
    IniFile ini;
    recent.Save(ini);
    RecentFiles again;
    again.Load(IniFile(ini.Contents()));
    return again;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);

    RecentFiles read;
    read.Load(IniFile(input));
    CheckMenu(read);
    FUZZ_CHECK(Reread(read).Files() == read.Files());

    // Each line of the input as a file opened, the last one the newest. No
    // file's name holds a NUL.
    RecentFiles opened;
    for (const QString& line : QString::fromUtf8(input).split(u'\n'))
        if (!line.contains(QChar(u'\0')))
            opened.Add(line);
    CheckMenu(opened);
    const QStringList back = Reread(opened).Files();
    qsizetype at = 0;
    for (const QString& file : opened.Files()) {
        if (at < back.size() && back[at] == file) {
            ++at;
            continue;
        }
        // Left out only when prefs.ini could not give it back whole.
        FUZZ_CHECK(file.toUtf8().size() >= IniFile::kMaxValueLength || file.contains(u'\r'));
    }
    FUZZ_CHECK(at == back.size());
    return 0;
}
