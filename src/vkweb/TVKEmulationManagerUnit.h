#pragma once

#include "foundation/BaseTypesUnit.h"
#include "foundation/TIDGeneratorUnit.h"
#include "vkweb/VKEmulationUtilsUnit.h"

#include <QMutex>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class TAudioPlaylist;
class TCookieManager;
class TVKAudioPlaylistItem;
class TVKEmulationAuthManager;
class TVKEmulationCaptchaManager;
class TVKEmulationMyMusicManager;
class TVKEmulationRequestManager;

// Operation identifiers under which callers queue web-client requests.
class TVKEmulationOperationIDGenerator : public TIDGenerator
{
protected:
    template<class C> friend C *GetInstance();
    TVKEmulationOperationIDGenerator() = default;
};

// What a web-client task takes along when it is made: the jar of that moment
// and the user then signed in. A logout replaces the manager's jar, never the
// one a running task holds, so a task begun before it cannot touch the new
// session.
struct TVKEmulationSession
{
    std::shared_ptr<TCookieManager> CookieManager;
    int UserID = 0;
};

// Root of the VK web client: owns the cookie jar, keeps it in the cookie file
// between runs, and logs the user out. The cookie file is read once at
// creation and written after sign-in steps, at logout, and at destruction when
// the jar changed since.
class TVKEmulationManager : public TObject
{
public:
    TVKEmulationManager();
    ~TVKEmulationManager() override;
    TVKEmulationManager(const TVKEmulationManager &) = delete;
    TVKEmulationManager &operator=(const TVKEmulationManager &) = delete;

    TVKEmulationAuthManager &AuthManager() const { return *FAuthManager; }
    TVKEmulationMyMusicManager &MyMusicManager() const { return *FMyMusicManager; }
    TVKEmulationCaptchaManager &CaptchaManager() const { return *FCaptchaManager; }
    // The queue of audio requests (500 ms between starts).
    TVKEmulationRequestManager &RequestManager() const { return *FRequestManager; }
    // The current jar; safe from any thread.
    std::shared_ptr<TCookieManager> CookieManager() const;
    // The signed-in user's identifier, 0 when nobody is signed in.
    int UserID() const;
    // Counts a successful search answer of a track list over this client;
    // true for the first (the automatic search after sign-in). Interface
    // thread only.
    bool CountSearchResult() { return FSearchResultsCount++ == 0; }
    // Set by sign-in when the site names the user.
    void SetUserID(int AUserID);
    // The jar and user for a task made now.
    TVKEmulationSession Session() const;

    // Writes the whole jar to the cookie file, atomically and readable by
    // the owner only from the file's creation; a failed write leaves the
    // previous file, raises OnCookieFileWriteFailed and returns false.
    bool StoreCookies();
    // Reads the cookie file into the jar; a missing or damaged file loads nothing.
    void LoadCookies();
    // A new, empty jar; the empty file (or none, when it cannot be
    // rewritten); the queue emptied; then OnLogout.
    void Logout();

    const QString &CookieFilePath() const { return FCookieFilePath; }
    // The time-outs of the sign-in steps begun from now on.
    const TVKTransportTimeouts &Timeouts() const { return FTimeouts; }
    void SetTimeouts(const TVKTransportTimeouts &ATimeouts) { FTimeouts = ATimeouts; }

    TNotifyEvent OnLogout;
    // The cookie file could not be written, with the system's message: the
    // session may not survive a restart.
    std::function<void(TObject *Sender, const QString &Message)> OnCookieFileWriteFailed;
    // A logout could neither rewrite nor remove the cookie file, with the
    // system's message: the next start signs the old user in again.
    std::function<void(TObject *Sender, const QString &Message)> OnLogoutNotStored;

    // Every URL look-up for playback shares it: a newer one replaces one
    // still waiting.
    std::uint32_t PlaybackURLOperationID() const { return FPlaybackURLOperationID; }

private:
    // Installed as the playlist items' URL requester while this client lives.
    void RequestPlaybackURL(const TVKAudioPlaylistItem &Track, TAudioPlaylist *Owner);
    // The jar into the cookie file; the system's message on failure.
    QString WriteCookieFile();
    // Leaves no usable session in the cookie file.
    void ForgetStoredSession();

    QString FCookieFilePath;
    mutable QMutex FLock;
    std::shared_ptr<TCookieManager> FCookieManager;
    int FUserID = 0;
    TVKTransportTimeouts FTimeouts;
    std::unique_ptr<TVKEmulationAuthManager> FAuthManager;
    std::unique_ptr<TVKEmulationMyMusicManager> FMyMusicManager;
    std::unique_ptr<TVKEmulationCaptchaManager> FCaptchaManager;
    std::unique_ptr<TVKEmulationRequestManager> FRequestManager;
    std::uint32_t FPlaybackURLOperationID = 0;
    // The jar and its change count when the file last matched it.
    const TCookieManager *FStoredJar = nullptr;
    quint64 FStoredChangeCount = 0;
    int FSearchResultsCount = 0;
};
