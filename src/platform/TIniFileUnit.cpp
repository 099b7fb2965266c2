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

struct TIniSection
{
    QString Name;
    bool HasHeader = true;       // false for lines before the first header
    std::vector<QString> Lines;  // raw lines after the header
};

using TIniDocument = std::vector<TIniSection>;

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

QString Unquote(const QString &Value)
{
    if (Value.size() >= 2 && (Value.front() == u'"' || Value.front() == u'\'') && Value.back() == Value.front())
        return Value.mid(1, Value.size() - 2);
    return Value;
}

TIniDocument Load(const QString &FileName)
{
    TIniDocument doc;
    doc.push_back({QString(), false, {}});
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly))
        return doc;
    const QString text = QString::fromUtf8(file.readAll());
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (auto name = SectionHeader(line))
            doc.push_back({*name, true, {}});
        else
            doc.back().Lines.push_back(line);
    }
    // The split leaves one empty piece after a final line feed.
    if (!doc.back().Lines.empty() && doc.back().Lines.back().isEmpty())
        doc.back().Lines.pop_back();
    return doc;
}

bool Save(const QString &FileName, const TIniDocument &Doc)
{
    QString text;
    for (const auto &section : Doc) {
        if (section.HasHeader)
            text += u'[' + section.Name + QStringLiteral("]\n");
        for (const auto &line : section.Lines)
            text += line + u'\n';
    }
    const QFileInfo info(FileName);
    if (!QDir().mkpath(info.absolutePath()))
        return false;
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text.toUtf8());
    return file.commit();
}

TIniSection *FindSection(TIniDocument &Doc, const QString &Name)
{
    for (auto &section : Doc)
        if (section.HasHeader && SameName(section.Name, Name))
            return &section;
    return nullptr;
}

const TIniSection *FindSection(const TIniDocument &Doc, const QString &Name)
{
    return FindSection(const_cast<TIniDocument &>(Doc), Name);
}

// Index of the key's line in the section, or -1.
int FindKey(const TIniSection &Section, const QString &Key)
{
    for (int i = 0; i < int(Section.Lines.size()); ++i) {
        QString key, value;
        if (SplitEntry(Section.Lines[i], key, value) && SameName(key, Key))
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
    const TIniDocument doc = Load(FFileName);
    const TIniSection *section = FindSection(doc, Section);
    if (!section)
        return Default;
    const int index = FindKey(*section, Key);
    if (index < 0)
        return Default;
    QString key, value;
    SplitEntry(section->Lines[index], key, value);
    return Unquote(value);
}

bool TIniFile::WriteString(const QString &Section, const QString &Key, const QString &Value)
{
    std::lock_guard guard(GIniLock);
    TIniDocument doc = Load(FFileName);
    TIniSection *section = FindSection(doc, Section);
    if (!section) {
        doc.push_back({Section, true, {}});
        section = &doc.back();
    }
    const QString line = Key + u'=' + Value;
    const int index = FindKey(*section, Key);
    if (index >= 0) {
        section->Lines[index] = line;
    } else {
        // After the section's last entry, before any blank lines that follow it.
        auto end = section->Lines.end();
        while (end != section->Lines.begin() && (end - 1)->trimmed().isEmpty())
            --end;
        section->Lines.insert(end, line);
    }
    return Save(FFileName, doc);
}

bool TIniFile::DeleteKey(const QString &Section, const QString &Key)
{
    std::lock_guard guard(GIniLock);
    TIniDocument doc = Load(FFileName);
    TIniSection *section = FindSection(doc, Section);
    if (!section)
        return true;
    const int index = FindKey(*section, Key);
    if (index < 0)
        return true;
    section->Lines.erase(section->Lines.begin() + index);
    return Save(FFileName, doc);
}

bool TIniFile::EraseSection(const QString &Section)
{
    std::lock_guard guard(GIniLock);
    TIniDocument doc = Load(FFileName);
    const auto before = doc.size();
    std::erase_if(doc, [&](const TIniSection &section) { return section.HasHeader && SameName(section.Name, Section); });
    return doc.size() == before || Save(FFileName, doc);
}

bool TIniFile::AddSection(const QString &Section)
{
    std::lock_guard guard(GIniLock);
    TIniDocument doc = Load(FFileName);
    if (FindSection(doc, Section))
        return true;
    doc.push_back({Section, true, {}});
    return Save(FFileName, doc);
}

bool TIniFile::SectionExists(const QString &Section) const
{
    std::lock_guard guard(GIniLock);
    return FindSection(Load(FFileName), Section) != nullptr;
}

bool TIniFile::ValueExists(const QString &Section, const QString &Key) const
{
    std::lock_guard guard(GIniLock);
    const TIniDocument doc = Load(FFileName);
    const TIniSection *section = FindSection(doc, Section);
    return section && FindKey(*section, Key) >= 0;
}

QStringList TIniFile::ReadSections() const
{
    std::lock_guard guard(GIniLock);
    QStringList names;
    for (const auto &section : Load(FFileName))
        if (section.HasHeader && !section.Name.isEmpty())
            names << section.Name;
    return names;
}

QStringList TIniFile::ReadSection(const QString &Section) const
{
    std::lock_guard guard(GIniLock);
    const TIniDocument doc = Load(FFileName);
    QStringList keys;
    if (const TIniSection *section = FindSection(doc, Section)) {
        for (const auto &line : section->Lines) {
            QString key, value;
            if (SplitEntry(line, key, value))
                keys << key;
        }
    }
    return keys;
}
