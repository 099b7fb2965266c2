#pragma once

#include "tracks/QelmTypesUnit.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QEventLoop;
class TVKAPIManager;
class TVKEmulationManager;

// Failure of a command: its one-line message goes to standard error.
class ECLIError
{
public:
    explicit ECLIError(QString AMessage) : Message(std::move(AMessage)) {}
    QString Message;
};

// The web client from a terminal: signs in and out and runs the audio calls
// for the session kept in the player's cookie file, one command per run.
// Tracks are printed one a line: OWNER_AID, artist, title, M:SS, tab-separated.
// Through the VK API client it also signs up a new account by phone and
// prints a user's name. Secrets (password, codes, captcha answers) are read
// from standard input, never taken as arguments.
class TMarvaneCLI
{
public:
    TMarvaneCLI();
    ~TMarvaneCLI();
    TMarvaneCLI(const TMarvaneCLI &) = delete;
    TMarvaneCLI &operator=(const TMarvaneCLI &) = delete;

    // Runs the command; returns the exit code.
    int Run(const QStringList &Arguments);

private:
    enum class TAuthOutcome { aoSuccess, aoUnexpected, aoAuthDataRequired, aoInvalidAuthData, aoCodeRequired,
                              aoInvalidCode, aoCaptcha };

    void Execute(const QStringList &Arguments);
    void Login(const QString &ALogin);
    // Signs in with the stored cookies; returns the user's identifier.
    int RequireSession();
    // Starts a sign-in step and serves the event loop until it reports.
    TAuthOutcome AwaitAuth(const std::function<void()> &Start);
    // The owner's track with this AID, as the site lists it now.
    void ReportAuth(TAuthOutcome Outcome);
    TVKAudioRecord FindTrack(int OwnerID, int AID);
    void PrintTracks(const QList<TVKAudioRecord> &Tracks);

    void Signup(const QStringList &Arguments);
    void PrintUserName(const QString &UserID);
    TVKAPIManager &APIManager();
    // Serves the event loop until Done() holds, answering the captchas the
    // API asks for from standard input meanwhile.
    void AwaitAPI(const std::function<bool()> &Done);
    void NotifyAPI();

    std::unique_ptr<TVKAPIManager> FAPIManager;
    QEventLoop *FAPILoop = nullptr;
    bool FCaptchaAsked = false;

    std::unique_ptr<TVKEmulationManager> FManager;
    std::optional<TAuthOutcome> FAuthOutcome;
    QEventLoop *FAuthLoop = nullptr;
};
