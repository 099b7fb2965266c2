#include "app/FileUtilsUnit.h"

#include "platform/ShellUnit.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString RemoveInvalidFileNameChars(const QString &Text)
{
    static const QString Invalid = QStringLiteral("\"*/:<>?\\|");
    QString out;
    out.reserve(Text.size());
    for (const QChar c : Text)
        if (c.unicode() > 31 && !Invalid.contains(c))
            out += c;
    return out;
}

QString MakeUniqueFilePath(const QString &Path)
{
    const qsizetype slash = Path.lastIndexOf(u'/');
    QString folder = slash < 0 ? QString() : Path.left(slash);
    const QString fileName = Path.mid(slash + 1);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const QString baseName = dot < 0 ? fileName : fileName.left(dot);
    const QString extension = dot < 0 ? QString() : fileName.mid(dot);
    folder.truncate(247);

    for (int i = 1;; ++i) {
        const QString suffix = i == 1 ? QString() : QStringLiteral(" (%1)").arg(i);
        const qsizetype room = 258 - folder.size() - extension.size() - suffix.size();
        const QString candidate = folder + u'/' + baseName.left(std::max<qsizetype>(room, 0)) + suffix + extension;
        if (!QFileInfo::exists(candidate) && !QFileInfo::exists(PartialFilePath(candidate)))
            return candidate;
    }
}

QString PartialFilePath(const QString &Path)
{
    return Path + QStringLiteral(".part");
}

void ShowFileInExplorer(const QString &Path)
{
    Shell::ShowItemInFileBrowser(Path);
}

QString GetShellFolderPath(TShellFolder CSIDL)
{
    switch (CSIDL) {
    case CSIDL_MYMUSIC:
        return QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    case CSIDL_APPDATA:
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    }
    return {};
}
