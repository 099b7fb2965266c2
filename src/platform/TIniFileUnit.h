#pragma once

#include <QString>
#include <QStringList>

// An INI file with the profile-string semantics: every call reads the file
// afresh and every write saves it at once; section and key names compare
// without regard to case; values are trimmed and lose one pair of enclosing
// quotes. Writes replace the file atomically, so a crash never leaves it half
// written, and change only the line they are about: every other line stays
// byte for byte. All instances share one lock, so threads may use the same file.
//
// Any value reads back as written: one the reader would give back unchanged is
// stored as it is, any other (line breaks, white space at either end,
// enclosing quotes) between double quotes, with "\\", "\r" and "\n" standing
// for a backslash, CR and LF there.
class TIniFile
{
public:
    explicit TIniFile(QString FileName);

    const QString &FileName() const { return FFileName; }

    QString ReadString(const QString &Section, const QString &Key, const QString &Default) const;
    // Writes return false, changing nothing, when the file exists but cannot be
    // read, cannot be written, or the name could not be found again (a line
    // break, "=" or "]", white space at either end, a key starting with ";" or "[").
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
