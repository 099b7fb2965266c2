#pragma once

#include "foundation/BaseTypesUnit.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class TIniFile;

// The registry, carried as one INI file per root: a key is a section named by
// its path, a value is a line "name=type:data". Key paths and value names
// compare without regard to case, as the registry does.
enum class TRegistryRoot { CurrentUser, LocalMachine };
enum class TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

class ERegistryException : public Exception
{
public:
    using Exception::Exception;
};

// The file behind a root: the current user's under $XDG_CONFIG_HOME, the local
// machine's under /etc/xdg (MARVANE_MACHINE_CONFIG_DIR moves it, for tests).
QString RegistryFilePath(TRegistryRoot Root);

class TRegistry
{
public:
    explicit TRegistry(TRegistryRoot Root);
    ~TRegistry();

    // Opens Key; with CanCreate a missing key is created. False when the key
    // is missing (and may not be created) or cannot be written.
    bool OpenKey(const QString &Key, bool CanCreate);
    bool OpenKeyReadOnly(const QString &Key);
    void CloseKey();
    bool KeyExists(const QString &Key) const;

    bool ValueExists(const QString &Name) const;
    TRegDataType GetDataType(const QString &Name) const;
    QStringList GetValueNames() const;
    bool DeleteValue(const QString &Name);

    // Reads throw ERegistryException when the value holds another data type.
    QString ReadString(const QString &Name) const;
    qint32 ReadInteger(const QString &Name) const;
    QByteArray ReadBinaryData(const QString &Name) const;

    // Writes throw ERegistryException when no key is open or it cannot be saved.
    void WriteString(const QString &Name, const QString &Value);
    void WriteExpandString(const QString &Name, const QString &Value);
    void WriteInteger(const QString &Name, qint32 Value);
    void WriteBinaryData(const QString &Name, const QByteArray &Value);

private:
    QString ReadTyped(const QString &Name, TRegDataType Expected) const;
    void WriteTyped(const QString &Name, TRegDataType Type, const QString &Data);

    std::unique_ptr<TIniFile> FFile;
    QString FCurrentPath;
    bool FReadOnly = false;
};
