#include "app/helpers/FileUtilsUnit.h"

#include "platform/ShellUnit.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

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
// The longest text from a name's last "." on that counts as its extension.
constexpr qsizetype MaxExtensionLength = 8;

// Text cut at its end, by whole characters, to at most Bytes bytes of UTF-8.
QString CutToUTF8Bytes(const QString &Text, qsizetype Bytes)
{
    qsizetype used = 0;
    qsizetype i = 0;
    while (i < Text.size()) {
        const bool pair = Text.at(i).isHighSurrogate() && i + 1 < Text.size() && Text.at(i + 1).isLowSurrogate();
        const char32_t c = pair ? QChar::surrogateToUcs4(Text.at(i), Text.at(i + 1)) : Text.at(i).unicode();
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
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const QChar c = Text.at(i);
        if (c.isHighSurrogate() && i + 1 < Text.size() && Text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += Text.at(++i);
        } else if (c.unicode() > 31 && !c.isSurrogate() && !Invalid.contains(c)
            && !IsBidirectionalControl(c.unicode())) {
            out += c;
        }
    }
    // These two name folders, never a file.
    if (out == u"." || out == u"..")
        return {};
    return out;
}

QString DownloadFileName(const QString &Artist, const QString &Title, const QString &URL)
{
    static const QStringList AudioSuffixes = {QStringLiteral("mp3"), QStringLiteral("m4a"), QStringLiteral("mp4"),
        QStringLiteral("aac"), QStringLiteral("ogg"), QStringLiteral("oga"), QStringLiteral("opus"),
        QStringLiteral("flac"), QStringLiteral("wav"), QStringLiteral("wma"), QStringLiteral("webm")};
    const QString path = QUrl(URL).path();
    const QString lastSegment = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = lastSegment.lastIndexOf(u'.');
    const QString suffix = dot < 0 ? QString() : lastSegment.mid(dot + 1).toLower();
    QString name = Artist + QStringLiteral(" - ") + Title;
    name.replace(u' ', u'_');
    if (AudioSuffixes.contains(suffix))
        name += u'.' + suffix;
    return RemoveInvalidFileNameChars(name);
}

QString MakeUniqueFilePath(const QString &Path)
{
    const qsizetype slash = Path.lastIndexOf(u'/');
    // The folder is the user's choice: it is never cut.
    const QString folder = Path.left(slash + 1);
    const QString fileName = Path.mid(slash + 1);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const bool hasExtension = dot > 0 && fileName.size() - dot <= MaxExtensionLength;
    const QString baseName = hasExtension ? fileName.left(dot) : fileName;
    const QString extension = hasExtension ? fileName.mid(dot) : QString();
    const qsizetype partBytes = PartialFilePath(QString()).size();

    for (int i = 1;; ++i) {
        const QString suffix = i == 1 ? QString() : QStringLiteral(" (%1)").arg(i);
        const qsizetype roomBytes = MaxFileNameBytes - partBytes - (suffix + extension).toUtf8().size();
        const QString candidate = folder + CutToUTF8Bytes(baseName, roomBytes) + suffix + extension;
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
