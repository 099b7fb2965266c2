#pragma once

#include "tracks/records/QelmTypesUnit.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

class QEventLoop;
class TCustomAlbumsData;
class TCustomTracksData;
class TLocalAudioData;
class TLastFMAPIRequestManager;
class TMetaDataBlock;
class TSavedTracksDataSet;
class TVKAPIManager;
class TVKEmulationManager;
enum TFileRemoval : int;

// Failure of a command: its one-line message goes to standard error.
class ECLIError
{
public:
    explicit ECLIError(QString AMessage) : Message(std::move(AMessage)) { }
    QString Message;
};

// The web client from a terminal: signs in and out and runs the audio calls
// for the session kept in the player's cookie file, one command per run.
// Tracks are printed one a line: OWNER_AID, artist, title, M:SS, tab-separated.
// Through the VK API client it also signs up a new account by phone and
// prints a user's name; through the Last.fm client it prints an artist's or
// an album's page, its tracks matched to the site's. Through the Downloads
// data of the player it downloads tracks into the music folder, lists the
// saved ones (OWNER_AID, artist, title, M:SS, path) and deletes them, to the
// desktop's trash unless told to delete them for good. Text from the network
// is printed without control characters. Secrets (password, codes, captcha
// answers) are read from standard input, never taken as arguments; captcha
// pictures are removed when the command ends.
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
    enum class TAuthOutcome {
        aoSuccess,
        aoUnexpected,
        aoAuthDataRequired,
        aoInvalidAuthData,
        aoCodeRequired,
        aoInvalidCode,
        aoCaptcha
    };

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
    // The time an answer may take.
    static constexpr int CAnswerDeadlineMs = 120000;
    // Serves the event loop until Done() holds, answering the captchas the
    // VK API asks for from standard input meanwhile; Service names what is
    // waited for in the time-out's message (-1: no time-out).
    void Await(const QString &Service, const std::function<bool()> &Done, int DeadlineMs = CAnswerDeadlineMs);
    void NotifyAPI();

    TLastFMAPIRequestManager &LastFMManager();
    void PrintArtist(const QString &Name);
    void PrintAlbum(const QString &Artist, const QString &Title);
    // Serves the event loop until no block is loading any more.
    void AwaitBlocks(std::initializer_list<TMetaDataBlock *> Blocks);
    // False when the list could not be loaded.
    bool PrintAlbums(const QString &Kind, const TCustomAlbumsData &Albums);
    // Waits for every track's look-up on the site, then prints each with its
    // OWNER_AID or why it has none; false when the list could not be loaded.
    bool PrintMatchedTracks(const TCustomTracksData &Tracks);

    // The Downloads data over the saved-tracks table, opened on first use.
    TLocalAudioData &LocalAudioData();
    // Prints the saved file's path.
    void Download(int OwnerID, int AID);
    void PrintSaved();
    void DeleteSaved(int OwnerID, int AID, TFileRemoval Removal);
    // A captcha picture in a file of its own, removed with this object.
    QString SaveCaptchaImage(const QByteArray &Image);

    QStringList FCaptchaFiles;
    std::unique_ptr<TLastFMAPIRequestManager> FLastFMManager;
    std::unique_ptr<TVKAPIManager> FAPIManager;
    QEventLoop *FAPILoop = nullptr;
    bool FCaptchaAsked = false;

    std::unique_ptr<TVKEmulationManager> FManager;
    std::unique_ptr<TSavedTracksDataSet> FSavedTracks;
    std::unique_ptr<TLocalAudioData> FLocalAudioData;
    std::optional<TAuthOutcome> FAuthOutcome;
    QEventLoop *FAuthLoop = nullptr;
};
