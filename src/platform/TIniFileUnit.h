#pragma once

#include <QString>
#include <QStringList>

// An INI file with the profile-string semantics: every call reads the file
// afresh and every write saves it at once; section and key names compare
// without regard to case; values are trimmed and lose one pair of enclosing
// quotes. Writes replace the file atomically, so a crash never leaves it half
// written. All instances share one lock, so threads may use the same file.
class TIniFile
{
public:
    explicit TIniFile(QString FileName);

    const QString &FileName() const { return FFileName; }

    QString ReadString(const QString &Section, const QString &Key, const QString &Default) const;
    // Returns false when the file cannot be written.
    bool WriteString(const QString &Section, const QString &Key, const QString &Value);
    bool DeleteKey(const QString &Section, const QString &Key);
    bool EraseSection(const QString &Section);
    // Adds an empty section unless it exists.
    bool AddSection(const QString &Section);

    bool SectionExists(const QString &Section) const;
    bool ValueExists(const QString &Section, const QString &Key) const;
    // Section names in file order; like the profile functions, a section with
    // an empty name is not reported (SectionExists("") finds it).
    QStringList ReadSections() const;
    // Key names of one section, in file order.
    QStringList ReadSection(const QString &Section) const;

private:
    QString FFileName;
};
