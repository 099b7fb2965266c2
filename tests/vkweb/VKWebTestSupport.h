#pragma once

#include "support/ChildProcess.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

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

// marvane-standin running as a real process on free loopback ports, with the
// base URL variables pointing at it for as long as it lives.
class TStandin
{
public:
    // Options: more of the stand-in's command-line options (a My Music size,
    // an audio rate, the update host's answer).
    explicit TStandin(const QStringList &Options = {});
    ~TStandin();
    TStandin(const TStandin &) = delete;
    TStandin &operator=(const TStandin &) = delete;

    bool IsReady() const { return FEnvironment.size() == 6; }
    const QString &WebURL() const { return FWebURL; }
    const QString &LoginURL() const { return FLoginURL; }
    const QString &APIURL() const { return FAPIURL; }
    const QString &RelayURL() const { return FRelayURL; }
    const QString &LastFMURL() const { return FLastFMURL; }
    const QString &UpdateURL() const { return FUpdateURL; }
    // The requests it served so far, one JSON line each.
    QStringList LogLines() const;

private:
    QTemporaryDir FDir;
    TChildProcess FProcess;
    QString FWebURL;
    QString FLoginURL;
    QString FAPIURL;
    QString FRelayURL;
    QString FLastFMURL;
    QString FUpdateURL;
    std::vector<std::unique_ptr<TScopedEnvironment>> FEnvironment;
};
