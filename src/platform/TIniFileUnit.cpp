#include "platform/TIniFileUnit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <mutex>
#include <optional>
#include <vector>

namespace {

std::recursive_mutex GIniLock;

// One line as the file holds it (without its line feed) and as text.
struct TIniLine
{
    QByteArray Raw;
    QString Text; // decoded, without a carriage return at the end
};

struct TIniSection
{
    QString Name;
    bool HasHeader = true; // false for lines before the first header
    QByteArray Header; // the header line as the file holds it
    std::vector<TIniLine> Lines; // the lines after the header
};

// Lines are kept as read, so a write changes only the line it is about; lines
// it does not understand (another encoding, other line ends) stay byte for byte.
struct TIniDocument
{
    std::vector<TIniSection> Sections;
    bool CarriageReturns = false; // the file ends its lines with CR LF
    bool FinalLineFeed = true;
};

bool SameName(const QString &A, const QString &B)
{
    return A.compare(B, Qt::CaseInsensitive) == 0;
}

std::optional<QString> SectionHeader(const QString &Line)
{
    const QString trimmed = Line.trimmed();
    if (!trimmed.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = trimmed.indexOf(u']');
    if (close < 0)
        return std::nullopt;
    return trimmed.mid(1, close - 1).trimmed();
}

// Splits "key=value"; comment lines and lines without "=" give nothing.
bool SplitEntry(const QString &Line, QString &Key, QString &Value)
{
    const QString trimmed = Line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u';'))
        return false;
    const qsizetype eq = trimmed.indexOf(u'=');
    if (eq < 0)
        return false;
    Key = trimmed.left(eq).trimmed();
    Value = trimmed.mid(eq + 1).trimmed();
    return true;
}

bool HasLineBreak(const QString &Text)
{
    return Text.contains(u'\n') || Text.contains(u'\r');
}

// A name the reader finds again exactly as written.
bool IsStorableKey(const QString &Key)
{
    return !HasLineBreak(Key) && !Key.contains(u'=') && Key.trimmed() == Key && !Key.startsWith(u';')
        && !Key.startsWith(u'[');
}

bool IsStorableSection(const QString &Section)
{
    return !HasLineBreak(Section) && !Section.contains(u']') && Section.trimmed() == Section;
}

bool IsQuoted(const QString &Value, QChar Quote)
{
    return Value.size() >= 2 && Value.front() == Quote && Value.back() == Quote;
}

// Inside double quotes "\\", "\r" and "\n" stand for a backslash, CR and LF;
// a backslash before anything else is itself.
QString Unescape(QStringView Text)
{
    QString out;
    out.reserve(Text.size());
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const QChar next = i + 1 < Text.size() ? Text[i + 1] : QChar();
        if (Text[i] == u'\\' && (next == u'\\' || next == u'r' || next == u'n')) {
            out += next == u'r' ? u'\r' : next == u'n' ? u'\n' : u'\\';
            ++i;
        } else {
            out += Text[i];
        }
    }
    return out;
}

// The value of a trimmed entry: one pair of enclosing quotes goes, and a
// double-quoted value has its escapes decoded.
QString DecodeValue(const QString &Stored)
{
    if (IsQuoted(Stored, u'"'))
        return Unescape(QStringView(Stored).mid(1, Stored.size() - 2));
    if (IsQuoted(Stored, u'\''))
        return Stored.mid(1, Stored.size() - 2);
    return Stored;
}

// A value the reader gives back unchanged is stored as it is; any other
// (line breaks, white space at either end, enclosing quotes) goes between
// double quotes with its backslashes and line breaks escaped.
QString EncodeValue(const QString &Value)
{
    if (!HasLineBreak(Value) && Value.trimmed() == Value && DecodeValue(Value) == Value)
        return Value;
    QString out = QStringLiteral("\"");
    for (const QChar c : Value) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else
            out += c;
    }
    return out + u'"';
}

TIniLine LineOf(const QByteArray &Raw)
{
    QString text = QString::fromUtf8(Raw);
    if (text.endsWith(u'\r'))
        text.chop(1);
    return {Raw, text};
}

TIniLine NewLine(const QString &Text, bool CarriageReturn)
{
    return {Text.toUtf8() + (CarriageReturn ? "\r" : ""), Text};
}

// The document of the file: empty when there is no file, nothing when it
// exists but cannot be read (a write must then not replace it).
std::optional<TIniDocument> Load(const QString &FileName)
{
    TIniDocument doc;
    doc.Sections.push_back({QString(), false, {}, {}});
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (QFileInfo::exists(FileName))
            return std::nullopt;
        return doc;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    if (bytes.isEmpty())
        return doc;
    QList<QByteArray> lines = bytes.split('\n');
    // The split leaves one empty piece after a final line feed.
    doc.FinalLineFeed = lines.back().isEmpty();
    if (doc.FinalLineFeed)
        lines.pop_back();
    doc.CarriageReturns = lines.front().endsWith('\r');
    for (const QByteArray &raw : lines) {
        TIniLine line = LineOf(raw);
        if (auto name = SectionHeader(line.Text))
            doc.Sections.push_back({*name, true, raw, {}});
        else
            doc.Sections.back().Lines.push_back(std::move(line));
    }
    return doc;
}

bool Save(const QString &FileName, const TIniDocument &Doc)
{
    QByteArray text;
    for (const auto &section : Doc.Sections) {
        if (section.HasHeader)
            text += section.Header + '\n';
        for (const auto &line : section.Lines)
            text += line.Raw + '\n';
    }
    if (!Doc.FinalLineFeed && text.endsWith('\n'))
        text.chop(1);
    const QFileInfo info(FileName);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text);
    return file.commit();
}

TIniSection *FindSection(TIniDocument &Doc, const QString &Name)
{
    for (auto &section : Doc.Sections)
        if (section.HasHeader && SameName(section.Name, Name))
            return &section;
    return nullptr;
}

const TIniSection *FindSection(const TIniDocument &Doc, const QString &Name)
{
    return FindSection(const_cast<TIniDocument &>(Doc), Name);
}

// Appends a section; a file without a final line feed gets one before it.
TIniSection &AddNewSection(TIniDocument &Doc, const QString &Name)
{
    Doc.FinalLineFeed = true;
    Doc.Sections.push_back({Name, true, NewLine(u'[' + Name + u']', Doc.CarriageReturns).Raw, {}});
    return Doc.Sections.back();
}

// Index of the key's line in the section, or -1.
int FindKey(const TIniSection &Section, const QString &Key)
{
    for (int i = 0; i < int(Section.Lines.size()); ++i) {
        QString key, value;
        if (SplitEntry(Section.Lines[i].Text, key, value) && SameName(key, Key))
            return i;
    }
    return -1;
}

} // namespace

TIniFile::TIniFile(QString FileName) : FFileName(std::move(FileName))
{
}

QString TIniFile::ReadString(const QString &Section, const QString &Key, const QString &Default) const
{
    std::lock_guard guard(GIniLock);
    const auto doc = Load(FFileName);
    const TIniSection *section = doc ? FindSection(*doc, Section) : nullptr;
    if (!section)
        return Default;
    const int index = FindKey(*section, Key);
    if (index < 0)
        return Default;
    QString key, value;
    SplitEntry(section->Lines[index].Text, key, value);
    return DecodeValue(value);
}

bool TIniFile::WriteString(const QString &Section, const QString &Key, const QString &Value)
{
    std::lock_guard guard(GIniLock);
    if (!IsStorableSection(Section) || !IsStorableKey(Key))
        return false;
    auto doc = Load(FFileName);
    if (!doc)
        return false;
    TIniSection *section = FindSection(*doc, Section);
    if (!section)
        section = &AddNewSection(*doc, Section);
    const QString text = Key + u'=' + EncodeValue(Value);
    const int index = FindKey(*section, Key);
    if (index >= 0) {
        // The replaced line keeps its own line end.
        TIniLine &old = section->Lines[index];
        old = NewLine(text, old.Raw.endsWith('\r'));
    } else {
        // After the section's last entry, before any blank lines that follow it.
        auto end = section->Lines.end();
        while (end != section->Lines.begin() && (end - 1)->Text.trimmed().isEmpty())
            --end;
        if (end == section->Lines.end() && section == &doc->Sections.back())
            doc->FinalLineFeed = true;
        // New lines end like the file's lines.
        section->Lines.insert(end, NewLine(text, doc->CarriageReturns));
    }
    return Save(FFileName, *doc);
}

bool TIniFile::DeleteKey(const QString &Section, const QString &Key)
{
    std::lock_guard guard(GIniLock);
    auto doc = Load(FFileName);
    if (!doc)
        return false;
    TIniSection *section = FindSection(*doc, Section);
    if (!section)
        return true;
    const int index = FindKey(*section, Key);
    if (index < 0)
        return true;
    section->Lines.erase(section->Lines.begin() + index);
    return Save(FFileName, *doc);
}

bool TIniFile::EraseSection(const QString &Section)
{
    std::lock_guard guard(GIniLock);
    auto doc = Load(FFileName);
    if (!doc)
        return false;
    const auto before = doc->Sections.size();
    std::erase_if(doc->Sections,
        [&](const TIniSection &section) { return section.HasHeader && SameName(section.Name, Section); });
    return doc->Sections.size() == before || Save(FFileName, *doc);
}

bool TIniFile::AddSection(const QString &Section)
{
    std::lock_guard guard(GIniLock);
    if (!IsStorableSection(Section))
        return false;
    auto doc = Load(FFileName);
    if (!doc)
        return false;
    if (FindSection(*doc, Section))
        return true;
    AddNewSection(*doc, Section);
    return Save(FFileName, *doc);
}

bool TIniFile::SectionExists(const QString &Section) const
{
    std::lock_guard guard(GIniLock);
    const auto doc = Load(FFileName);
    return doc && FindSection(*doc, Section) != nullptr;
}

bool TIniFile::ValueExists(const QString &Section, const QString &Key) const
{
    std::lock_guard guard(GIniLock);
    const auto doc = Load(FFileName);
    const TIniSection *section = doc ? FindSection(*doc, Section) : nullptr;
    return section && FindKey(*section, Key) >= 0;
}

QStringList TIniFile::ReadSections() const
{
    std::lock_guard guard(GIniLock);
    QStringList names;
    if (const auto doc = Load(FFileName))
        for (const auto &section : doc->Sections)
            if (section.HasHeader && !section.Name.isEmpty())
                names << section.Name;
    return names;
}

QStringList TIniFile::ReadSection(const QString &Section) const
{
    std::lock_guard guard(GIniLock);
    const auto doc = Load(FFileName);
    QStringList keys;
    if (const TIniSection *section = doc ? FindSection(*doc, Section) : nullptr) {
        for (const auto &line : section->Lines) {
            QString key, value;
            if (SplitEntry(line.Text, key, value))
                keys << key;
        }
    }
    return keys;
}
