#include "platform/TRegistryUnit.h"

#include "platform/TIniFileUnit.h"

#include <QStandardPaths>

namespace {

struct TTypeTag
{
    TRegDataType Type;
    const char *Tag;
};

constexpr TTypeTag TypeTags[] = {
    {TRegDataType::rdString, "sz"},
    {TRegDataType::rdExpandString, "expand_sz"},
    {TRegDataType::rdInteger, "dword"},
    {TRegDataType::rdBinary, "binary"},
};

QString TagOf(TRegDataType Type)
{
    for (const auto &tag : TypeTags)
        if (tag.Type == Type)
            return QString::fromLatin1(tag.Tag);
    return {};
}

TRegDataType TypeOf(const QString &Stored, QString *Data = nullptr)
{
    const qsizetype colon = Stored.indexOf(u':');
    if (colon < 0)
        return TRegDataType::rdUnknown;
    const QString tag = Stored.left(colon);
    for (const auto &known : TypeTags) {
        if (tag == QLatin1String(known.Tag)) {
            if (Data)
                *Data = Stored.mid(colon + 1);
            return known.Type;
        }
    }
    return TRegDataType::rdUnknown;
}

// INI values are trimmed and must stay on one line: escape the backslash,
// control characters and a space at the end.
QString EscapeText(const QString &Text)
{
    QString out;
    out.reserve(Text.size());
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const QChar c = Text[i];
        const bool lastSpace = c == u' ' && i == Text.size() - 1;
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c.unicode() < 0x20 || lastSpace)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
        else
            out += c;
    }
    return out;
}

QString UnescapeText(const QString &Text)
{
    QString out;
    out.reserve(Text.size());
    for (qsizetype i = 0; i < Text.size(); ++i) {
        if (Text[i] != u'\\' || i + 1 >= Text.size()) {
            out += Text[i];
        } else if (Text[i + 1] == u'x' && i + 3 < Text.size()) {
            out += QChar(Text.mid(i + 2, 2).toUShort(nullptr, 16));
            i += 3;
        } else {
            out += Text[i + 1];
            ++i;
        }
    }
    return out;
}

QString NormalizeKey(QString Key)
{
    Key.replace(u'/', u'\\');
    while (Key.startsWith(u'\\'))
        Key.remove(0, 1);
    while (Key.endsWith(u'\\'))
        Key.chop(1);
    return Key;
}

} // namespace

QString RegistryFilePath(TRegistryRoot Root)
{
    if (Root == TRegistryRoot::CurrentUser)
        return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            + QStringLiteral("/MarvanePlayer/registry-user.ini");
    QString dir = qEnvironmentVariable("MARVANE_MACHINE_CONFIG_DIR");
    if (dir.isEmpty())
        dir = QStringLiteral("/etc/xdg");
    return dir + QStringLiteral("/MarvanePlayer/registry-machine.ini");
}

TRegistry::TRegistry(TRegistryRoot Root) : FFile(std::make_unique<TIniFile>(RegistryFilePath(Root)))
{
}

TRegistry::~TRegistry() = default;

bool TRegistry::OpenKey(const QString &Key, bool CanCreate)
{
    const QString path = NormalizeKey(Key);
    if (!FFile->SectionExists(path)) {
        if (!CanCreate || !FFile->AddSection(path))
            return false;
    }
    FCurrentPath = path;
    FReadOnly = false;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const QString &Key)
{
    const QString path = NormalizeKey(Key);
    if (!FFile->SectionExists(path))
        return false;
    FCurrentPath = path;
    FReadOnly = true;
    return true;
}

void TRegistry::CloseKey()
{
    FCurrentPath.clear();
}

bool TRegistry::KeyExists(const QString &Key) const
{
    return FFile->SectionExists(NormalizeKey(Key));
}

bool TRegistry::ValueExists(const QString &Name) const
{
    return !FCurrentPath.isEmpty() && FFile->ValueExists(FCurrentPath, Name);
}

TRegDataType TRegistry::GetDataType(const QString &Name) const
{
    if (!ValueExists(Name))
        return TRegDataType::rdUnknown;
    return TypeOf(FFile->ReadString(FCurrentPath, Name, QString()));
}

QStringList TRegistry::GetValueNames() const
{
    return FCurrentPath.isEmpty() ? QStringList() : FFile->ReadSection(FCurrentPath);
}

bool TRegistry::DeleteValue(const QString &Name)
{
    return !FCurrentPath.isEmpty() && !FReadOnly && ValueExists(Name) && FFile->DeleteKey(FCurrentPath, Name);
}

QString TRegistry::ReadTyped(const QString &Name, TRegDataType Expected) const
{
    QString data;
    const TRegDataType type
        = ValueExists(Name) ? TypeOf(FFile->ReadString(FCurrentPath, Name, QString()), &data) : TRegDataType::rdUnknown;
    const bool stringLike = Expected == TRegDataType::rdString
        && (type == TRegDataType::rdString || type == TRegDataType::rdExpandString);
    if (type != Expected && !stringLike)
        throw ERegistryException(QStringLiteral("Invalid data type for '%1'").arg(Name));
    return data;
}

QString TRegistry::ReadString(const QString &Name) const
{
    return UnescapeText(ReadTyped(Name, TRegDataType::rdString));
}

qint32 TRegistry::ReadInteger(const QString &Name) const
{
    return qint32(ReadTyped(Name, TRegDataType::rdInteger).toUInt());
}

QByteArray TRegistry::ReadBinaryData(const QString &Name) const
{
    return QByteArray::fromHex(ReadTyped(Name, TRegDataType::rdBinary).toLatin1());
}

void TRegistry::WriteTyped(const QString &Name, TRegDataType Type, const QString &Data)
{
    if (FCurrentPath.isEmpty() || FReadOnly || !FFile->WriteString(FCurrentPath, Name, TagOf(Type) + u':' + Data))
        throw ERegistryException(QStringLiteral("Failed to set data for '%1'").arg(Name));
}

void TRegistry::WriteString(const QString &Name, const QString &Value)
{
    WriteTyped(Name, TRegDataType::rdString, EscapeText(Value));
}

void TRegistry::WriteExpandString(const QString &Name, const QString &Value)
{
    WriteTyped(Name, TRegDataType::rdExpandString, EscapeText(Value));
}

void TRegistry::WriteInteger(const QString &Name, qint32 Value)
{
    WriteTyped(Name, TRegDataType::rdInteger, QString::number(quint32(Value)));
}

void TRegistry::WriteBinaryData(const QString &Name, const QByteArray &Value)
{
    WriteTyped(Name, TRegDataType::rdBinary, QString::fromLatin1(Value.toHex()));
}
