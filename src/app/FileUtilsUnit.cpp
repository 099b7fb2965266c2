#include "app/FileUtilsUnit.h"

#include "platform/ShellUnit.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// Marks that reorder what is shown: a title holding them can disguise the
// extension of the file it names.
bool IsBidirectionalControl(char16_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// The file system limits a name to this many bytes; the partial file of a
// download adds its suffix to the same name.
constexpr qsizetype MaxFileNameBytes = 255;

// Text cut at its end, by whole characters, to at most Bytes bytes of UTF-8.
QString CutToUTF8Bytes(const QString &Text, qsizetype Bytes)
{
    qsizetype used = 0;
    qsizetype i = 0;
    while (i < Text.size()) {
        const char32_t c = Text.at(i).isHighSurrogate() && i + 1 < Text.size() ? QChar::surrogateToUcs4(Text.at(i), Text.at(i + 1)) : Text.at(i).unicode();
        const qsizetype units = c > 0xFFFF ? 2 : 1;
        const qsizetype size = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (used + size > Bytes)
            break;
        used += size;
        i += units;
    }
    return Text.left(i);
}

} // namespace

QString RemoveInvalidFileNameChars(const QString &Text)
{
    static const QString Invalid = QStringLiteral("\"*/:<>?\\|");
    QString out;
    out.reserve(Text.size());
    for (const QChar c : Text)
        if (c.unicode() > 31 && !Invalid.contains(c) && !IsBidirectionalControl(c.unicode()))
            out += c;
    // These two name folders, never a file.
    if (out == u"." || out == u"..")
        return {};
    return out;
}

QString MakeUniqueFilePath(const QString &Path)
{
    const qsizetype slash = Path.lastIndexOf(u'/');
    // A bare name stays a bare name: it must not become one at the root.
    QString folder = slash < 0 ? QString() : Path.left(slash).left(247) + u'/';
    const QString fileName = Path.mid(slash + 1);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const QString baseName = dot < 0 ? fileName : fileName.left(dot);
    const QString extension = dot < 0 ? QString() : fileName.mid(dot);
    const qsizetype partBytes = PartialFilePath(QString()).size();

    for (int i = 1;; ++i) {
        const QString suffix = i == 1 ? QString() : QStringLiteral(" (%1)").arg(i);
        const qsizetype room = 259 - folder.size() - extension.size() - suffix.size();
        const qsizetype roomBytes = MaxFileNameBytes - partBytes - (suffix + extension).toUtf8().size();
        const QString name = CutToUTF8Bytes(baseName.left(std::max<qsizetype>(room, 0)), std::max<qsizetype>(roomBytes, 0));
        const QString candidate = folder + name + suffix + extension;
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
