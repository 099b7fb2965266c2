#include "vkweb/TVKEmulationManagerUnit.h"

#include "app/TQelmPathManagerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "vkweb/TCookieManagerUnit.h"
#include "vkweb/TVKEmulationAuthManagerUnit.h"
#include "vkweb/TVKEmulationCaptchaManagerUnit.h"
#include "vkweb/TVKEmulationMyMusicManagerUnit.h"
#include "vkweb/TVKEmulationRequestManagerUnit.h"
#include "vkweb/TVKEmulationRequestTaskUnit.h"
#include "vkweb/TVKEmulationRequestUnit.h"
#include "vkweb/VKEmulationUtilsUnit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSaveFile>
#include <QUrl>

TVKEmulationManager::TVKEmulationManager()
    : FCookieFilePath(GetCookiesFilePath()), FCookieManager(std::make_shared<TCookieManager>()),
      FStoredJar(FCookieManager.get())
{
    LoadCookies();
    FAuthManager = std::make_unique<TVKEmulationAuthManager>(*this);
    FMyMusicManager = std::make_unique<TVKEmulationMyMusicManager>(*this);
    FCaptchaManager = std::make_unique<TVKEmulationCaptchaManager>(*this);
    FRequestManager = std::make_unique<TVKEmulationRequestManager>(500);
    FPlaybackURLOperationID = static_cast<std::uint32_t>(GetInstance<TVKEmulationOperationIDGenerator>()->GetID());
    TVKAudioPlaylistItem::SetURLRequester(
        [this](const TVKAudioPlaylistItem &Track, TAudioPlaylist *Owner) { RequestPlaybackURL(Track, Owner); });
}

TVKEmulationManager::~TVKEmulationManager()
{
    TVKAudioPlaylistItem::SetURLRequester({});
    // No task may start once the owner is going.
    FRequestManager.reset();
    // Cookies the site set during audio requests would be lost otherwise.
    const std::shared_ptr<TCookieManager> jar = CookieManager();
    if (jar.get() != FStoredJar || jar->ChangeCount() != FStoredChangeCount)
        StoreCookies();
}

void TVKEmulationManager::RequestPlaybackURL(const TVKAudioPlaylistItem &Track, TAudioPlaylist *Owner)
{
    auto request = TVKEmulationRequestFactory::ConstructAudioURLGetRequest(
        this, std::make_unique<TVKAudioPlaylistItem>(static_cast<const TCloneable &>(Track)));
    // The playlist may be gone when the answer comes: the item checks that
    // Owner is still the player's before it touches it.
    FRequestManager->Add(FPlaybackURLOperationID,
                         std::make_unique<TVKEmulationRequestData>(std::move(request), nullptr, [Owner](TObject *Sender) {
                             auto *task = static_cast<TVKEmulationAudioURLGetterRequestTask *>(Sender);
                             TVKAudioPlaylistItem::URLReceived(Owner, task->GetRequest().Track(),
                                                               task->GetResult()->ResultCode,
                                                               task->GetResult()->AudioURLs);
                         }));
}

std::shared_ptr<TCookieManager> TVKEmulationManager::CookieManager() const
{
    QMutexLocker locker(&FLock);
    return FCookieManager;
}

int TVKEmulationManager::UserID() const
{
    QMutexLocker locker(&FLock);
    return FUserID;
}

void TVKEmulationManager::SetUserID(int AUserID)
{
    QMutexLocker locker(&FLock);
    FUserID = AUserID;
}

TVKEmulationSession TVKEmulationManager::Session() const
{
    QMutexLocker locker(&FLock);
    return {FCookieManager, FUserID};
}

void TVKEmulationManager::StoreCookies()
{
    const std::shared_ptr<TCookieManager> jar = CookieManager();
    const quint64 changeCount = jar->ChangeCount();
    const QByteArray text = CookiesToJSONText(jar->Cookies());

    QDir().mkpath(QFileInfo(FCookieFilePath).absolutePath());
    // A new file renamed over the old: a crash mid-write keeps the previous cookies.
    QSaveFile file(FCookieFilePath);
    if (!file.open(QIODevice::WriteOnly))
        return;
    // The session cookies sign the user in: nobody else may read them.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(text) != text.size() || !file.commit())
        return;
    FStoredJar = jar.get();
    FStoredChangeCount = changeCount;
}

void TVKEmulationManager::LoadCookies()
{
    QFile file(FCookieFilePath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const std::optional<QList<TCookie>> cookies = CookiesFromJSONText(file.readAll());
    if (!cookies)
        return;
    const std::shared_ptr<TCookieManager> jar = CookieManager();
    const QUrl origin(GetVKWebOrigin());
    for (const TCookie &cookie : *cookies)
        jar->AddCookie(cookie, origin);
    FStoredJar = jar.get();
    FStoredChangeCount = jar->ChangeCount();
}

void TVKEmulationManager::Logout()
{
    {
        QMutexLocker locker(&FLock);
        FCookieManager = std::make_shared<TCookieManager>();
        FUserID = 0;
    }
    StoreCookies();
    FRequestManager->Reset();
    FAuthManager->Reset();
    FMyMusicManager->Reset();
    FCaptchaManager->Reset();
    if (OnLogout)
        OnLogout(this);
}
