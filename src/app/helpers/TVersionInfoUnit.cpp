#include "app/helpers/TVersionInfoUnit.h"

#include "app/helpers/MarvaneVersion.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

TVersionNumbers ParseVersion(const QString &Text)
{
    TVersionNumbers numbers;
    const QStringList parts = Text.split(u'.');
    if (parts.size() != 4)
        return numbers;
    numbers.IsValid = true;
    std::uint16_t *fields[] = {&numbers.Major, &numbers.Minor, &numbers.Release, &numbers.Build};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        const int value = parts[i].trimmed().toInt(&ok);
        if (!ok)
            numbers.IsValid = false;
        else
            *fields[i] = std::uint16_t(value & 0xFFFF);
    }
    return numbers;
}

QString GetFileVersionString(const QString &FileName)
{
    const QFileInfo file(FileName);
    const QFileInfo self(QCoreApplication::applicationFilePath());
    if (!file.exists() || file.canonicalFilePath() != self.canonicalFilePath())
        return {};
    return QStringLiteral(MARVANE_FILE_VERSION);
}

QString ProgramVersionFromFileVersion(const QString &FileVersion)
{
    const TVersionNumbers version = ParseVersion(FileVersion);
    QString text = QString::number(version.Major) + u'.' + QString::number(version.Minor);
    if (version.Release != 0)
        text += u'.' + QString::number(version.Release);
    return text;
}

QString GetProgramVersionString()
{
    return ProgramVersionFromFileVersion(GetFileVersionString(QCoreApplication::applicationFilePath()));
}
