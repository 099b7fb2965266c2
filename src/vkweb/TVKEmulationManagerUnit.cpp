#include "vkweb/TVKEmulationManagerUnit.h"

#include "app/helpers/TQelmPathManagerUnit.h"
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
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {

// Writes Bytes to a new file beside Path and renames it over Path, so that a
// crash mid-write keeps the previous file. The session cookies sign the user
// in: the new file is the owner's alone from its creation on, never narrowed
// afterwards. The system's message on failure, else an empty text.
QString WriteOwnerOnlyFile(const QString &Path, const QByteArray &Bytes)
{
    if (!QDir().mkpath(QFileInfo(Path).absolutePath()))
        return QStringLiteral("Cannot create the folder of ") + Path;
    // Made with the permissions 0600 whatever the umask.
    QTemporaryFile file(Path + QStringLiteral(".XXXXXX"));
    if (!file.open())
        return file.errorString();
    if (file.write(Bytes) != Bytes.size() || !file.flush())
        return file.errorString();
    if (::fsync(file.handle()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    if (std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(Path).constData()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    file.setAutoRemove(false);
    return {};
}

} // namespace

TVKEmulationManager::TVKEmulationManager() :
      FCookieFilePath(GetCookiesFilePath()), FCookieManager(std::make_shared<TCookieManager>()),
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
            TVKAudioPlaylistItem::URLReceived(
                Owner, task->GetRequest().Track(), task->GetResult()->ResultCode, task->GetResult()->AudioURLs);
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

bool TVKEmulationManager::StoreCookies()
{
    const QString error = WriteCookieFile();
    if (!error.isEmpty()) {
        if (OnCookieFileWriteFailed)
            OnCookieFileWriteFailed(this, error);
        return false;
    }
    return true;
}

QString TVKEmulationManager::WriteCookieFile()
{
    const std::shared_ptr<TCookieManager> jar = CookieManager();
    const quint64 changeCount = jar->ChangeCount();
    const QString error = WriteOwnerOnlyFile(FCookieFilePath, CookiesToJSONText(jar->Cookies()));
    if (error.isEmpty()) {
        FStoredJar = jar.get();
        FStoredChangeCount = changeCount;
    }
    return error;
}

void TVKEmulationManager::ForgetStoredSession()
{
    const QString error = WriteCookieFile();
    // The old file would sign the user in again at the next start; without
    // it the next start asks for the password, as an empty file would.
    if (error.isEmpty() || !QFileInfo::exists(FCookieFilePath) || QFile::remove(FCookieFilePath))
        return;
    if (OnLogoutNotStored)
        OnLogoutNotStored(this, error);
}

void TVKEmulationManager::LoadCookies()
{
    QFile file(FCookieFilePath);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const std::optional<QList<TCookie>> cookies = CookiesFromJSONText(file.readAll());
    if (!cookies)
        return;
    // The jar as it was stored: the login host's own cookies and those of
    // narrower paths sign the user in as much as the web host's.
    const std::shared_ptr<TCookieManager> jar = CookieManager();
    for (const TCookie &cookie : *cookies)
        jar->Restore(cookie);
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
    ForgetStoredSession();
    FRequestManager->Reset();
    FAuthManager->Reset();
    FMyMusicManager->Reset();
    FCaptchaManager->Reset();
    if (OnLogout)
        OnLogout(this);
}
