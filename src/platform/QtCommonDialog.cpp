#include "platform/QtCommonDialog.h"

#include "platform/QtColor.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QRegularExpression>

QString ToQtFilter(const QString& filter)
{
    const QStringList items = filter.split(QRegularExpression(QStringLiteral("[|:]")));
    QStringList out;
    for (qsizetype i = 0; i + 1 < items.size(); i += 2) {
        const QString description = items[i].trimmed();
        const QString patterns = QString(items[i + 1]).replace(u';', u' ').trimmed();
        out << (description.contains(patterns) ? description : description + QStringLiteral(" (") + patterns + u')');
    }
    if (out.isEmpty() && !filter.isEmpty())
        out << filter;
    return out.join(QStringLiteral(";;"));
}

namespace {

// The name the chooser starts on: the initial name, in the start folder
// unless it names a folder of its own.
QString StartPath(const FileDialogRequest& request)
{
    if (request.startFolder.isEmpty())
        return request.initialName;
    if (request.initialName.isEmpty())
        return request.startFolder;
    if (QFileInfo(request.initialName).isAbsolute())
        return request.initialName;
    return QDir(request.startFolder).filePath(request.initialName);
}

// The file chooser that also takes a folder its caller accepts: Open on such
// a folder chooses it instead of entering it.
class FileOrFolderDialog : public QFileDialog {
public:
    FileOrFolderDialog(const FileDialogRequest& request, const QString& filter)
        : QFileDialog(QApplication::activeWindow(), request.title, StartPath(request), filter),
          m_acceptFolder(request.acceptFolder)
    {
        // The desktop's own dialog cannot be asked about a folder.
        setOption(QFileDialog::DontUseNativeDialog);
        setFileMode(QFileDialog::ExistingFile);
    }

    void accept() override
    {
        const QStringList chosen = selectedFiles();
        if (chosen.size() == 1 && QFileInfo(chosen.front()).isDir() && m_acceptFolder(chosen.front())) {
            m_folder = chosen.front();
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }

    QString Chosen() const { return m_folder.isEmpty() ? selectedFiles().value(0) : m_folder; }

private:
    std::function<bool(const QString&)> m_acceptFolder;
    QString m_folder;
};

}  // namespace

std::optional<QString> QtCommonDialog::OpenFile(const FileDialogRequest& request)
{
    if (request.acceptFolder) {
        FileOrFolderDialog dialog(request, ToQtFilter(request.filter));
        if (dialog.exec() != QDialog::Accepted || dialog.Chosen().isEmpty())
            return std::nullopt;
        return dialog.Chosen();
    }
    const QString path = QFileDialog::getOpenFileName(QApplication::activeWindow(), request.title,
                                                      StartPath(request), ToQtFilter(request.filter));
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> QtCommonDialog::SaveFile(const FileDialogRequest& request)
{
    QFileDialog dialog(QApplication::activeWindow(), request.title, StartPath(request), ToQtFilter(request.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (request.defaultExtension.size() > 1)
        dialog.setDefaultSuffix(request.defaultExtension.mid(1));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

std::optional<QString> QtCommonDialog::ChooseFolder(const QString& title, const QString& start)
{
    const QString dir = QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, start);
    if (dir.isEmpty())
        return std::nullopt;
    return dir;
}

std::optional<Color> QtCommonDialog::ChooseColor(Color initial)
{
    const QColor c = QColorDialog::getColor(ToQColor(initial),
                                            QApplication::activeWindow());
    if (!c.isValid())
        return std::nullopt;
    return Rgb(c.red(), c.green(), c.blue());
}

std::optional<FontChoice> QtCommonDialog::ChooseFont(const FontChoice& initial)
{
    bool ok = false;
    QFont start(initial.face);
    if (initial.size > 0)
        start.setPointSizeF(initial.size);
    const QFont f = QFontDialog::getFont(&ok, start, QApplication::activeWindow());
    if (!ok)
        return std::nullopt;
    return FontChoice{f.family(), f.pointSizeF()};
}
