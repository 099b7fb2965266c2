#pragma once

#include <QByteArray>
#include <QString>

#include <string>

// Sets an environment variable for as long as it lives, then restores it.
class TScopedEnvironment
{
public:
    TScopedEnvironment(const char *Name, const QString &Value) : FName(Name), FHad(qEnvironmentVariableIsSet(Name))
    {
        FSaved = qgetenv(Name);
        qputenv(Name, Value.toUtf8());
    }
    ~TScopedEnvironment()
    {
        if (FHad)
            qputenv(FName, FSaved);
        else
            qunsetenv(FName);
    }
    TScopedEnvironment(const TScopedEnvironment &) = delete;
    TScopedEnvironment &operator=(const TScopedEnvironment &) = delete;

private:
    const char *FName;
    bool FHad;
    QByteArray FSaved;
};

// Text as the audio endpoint sends it: Windows-1251 bytes.
std::string ToWindows1251(const QString &Text);
