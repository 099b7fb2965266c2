#include "cli/TMarvaneCLIUnit.h"

#include "app/helpers/TQelmPathManagerUnit.h"
#include "foundation/BaseTypesUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"
#include "lastfm/TLastFMAPIRequestManagerUnit.h"
#include "metadata/pages/TAlbumDataUnit.h"
#include "metadata/pages/TArtistDataUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "tracks/lists/TLocalAudioDataUnit.h"
#include "tracks/lists/TSavedTracksDataSetUnit.h"
#include "tracks/lists/TVKAudioDataUnit.h"
#include "vkapi/TVKAPIAuthManagerUnit.h"
#include "vkapi/TVKAPICaptchaManagerUnit.h"
#include "vkapi/TVKAPIManagerUnit.h"
#include "vkapi/TVKAPIRequestFactoryUnit.h"
#include "vkapi/TVKAPIRequestInvokerUnit.h"
#include "vkapi/TVKAPIRequestManagerUnit.h"
#include "vkapi/TVKAPISignupDataUnit.h"
#include "vkapi/TVKAPIUsersSelectResponseParserUnit.h"
#include "vkweb/TVKEmulationAuthManagerUnit.h"
#include "vkweb/TVKEmulationCaptchaManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/VKEmulationAudioUnit.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <utility>

#include <unistd.h>

namespace {

// The site's album number for the user's own list.
constexpr int CMyMusicAlbumID = -2;

void Write(FILE *Stream, const QString &Line)
{
    const QByteArray bytes = (Line + u'\n').toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), Stream);
    std::fflush(Stream);
}

// The next line of standard input, without its line end.
QString ReadLine(const QString &What)
{
    std::string line;
    if (!std::getline(std::cin, line))
        throw ECLIError(QStringLiteral("no %1 on standard input").arg(What));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return QString::fromStdString(line);
}

QString UsageText()
{
    return QStringLiteral("usage: marvane-cli login LOGIN | whoami | mymusic | search QUERY [--offset N] | "
                          "url OWNER_AID | add OWNER_AID | delete OWNER_AID | logout | "
                          "signup FIRST_NAME LAST_NAME PHONE female|male [--call] | username USER_ID | "
                          "artist NAME | album ARTIST ALBUM | download OWNER_AID | saved | "
                          "delete-saved OWNER_AID [--permanently]");
}

// "-2001_17" as owner and AID.
std::pair<int, int> ParseTrackID(const QString &Text)
{
    static const QRegularExpression pattern(QStringLiteral("^(-?\\d{1,10})_(\\d{1,10})$"));
    const QRegularExpressionMatch match = pattern.match(Text);
    bool ownerOK = false, aidOK = false;
    const int owner = match.hasMatch() ? match.captured(1).toInt(&ownerOK) : 0;
    const int aid = match.hasMatch() ? match.captured(2).toInt(&aidOK) : 0;
    if (!ownerOK || !aidOK)
        throw ECLIError(QStringLiteral("not a track identifier (OWNER_AID, like -2001_17): %1").arg(Text));
    return {owner, aid};
}

// Text from the network as one field of a line: tabs and line ends would
// break the line format, and the other control characters (an escape, a CSI)
// would reach the terminal as commands.
QString Field(const QString &Text)
{
    QString field;
    field.reserve(Text.size());
    for (const QChar c : Text) {
        if (c == u'\t' || c == u'\n' || c == u'\r')
            field += u' ';
        else if (c.category() != QChar::Other_Control)
            field += c;
    }
    return field;
}

QString TrackLine(int OwnerID, int AID, const QString &Artist, const QString &Title, int Duration)
{
    return QStringLiteral("%1_%2\t%3\t%4\t%5:%6")
        .arg(OwnerID)
        .arg(AID)
        .arg(Field(Artist), Field(Title))
        .arg(Duration / 60)
        .arg(Duration % 60, 2, 10, QLatin1Char('0'));
}

QString TrackID(int OwnerID, int AID)
{
    return QStringLiteral("%1_%2").arg(OwnerID).arg(AID);
}

// Why a Last.fm page could not be shown, or nothing when it was.
std::optional<QString> PageFailure(std::uint8_t State, const QString &Subject)
{
    switch (State) {
    case mdsLoaded:
        return std::nullopt;
    case mdsNotFound:
        return QStringLiteral("Last.fm does not know %1").arg(Subject);
    case mdsRequestFailed:
        return QStringLiteral("Last.fm could not be reached");
    default:
        return QStringLiteral("Last.fm gave an error or an answer that could not be read");
    }
}

} // namespace

TMarvaneCLI::TMarvaneCLI()
{
    ThreadedObjectsManager = new TThreadedObjectsManager();
    FManager = std::make_unique<TVKEmulationManager>();
    TVKEmulationAuthManager &auth = FManager->AuthManager();
    const auto report = [this](TAuthOutcome Outcome) { return [this, Outcome](TObject *) { ReportAuth(Outcome); }; };
    auth.OnUnexpectedError = report(TAuthOutcome::aoUnexpected);
    auth.OnAuthDataRequired = report(TAuthOutcome::aoAuthDataRequired);
    auth.OnInvalidAuthData = report(TAuthOutcome::aoInvalidAuthData);
    auth.OnVerificationCodeRequired = report(TAuthOutcome::aoCodeRequired);
    auth.OnInvalidVerificationCode = report(TAuthOutcome::aoInvalidCode);
    auth.OnAuthSuccessList().Add(report(TAuthOutcome::aoSuccess));
    FManager->CaptchaManager().OnCaptchaKeyRequest = report(TAuthOutcome::aoCaptcha);
}

TMarvaneCLI::~TMarvaneCLI()
{
    for (const QString &path : std::as_const(FCaptchaFiles))
        QFile::remove(path);
    FLocalAudioData.reset();
    FSavedTracks.reset();
    FLastFMManager.reset();
    FAPIManager.reset();
    FManager.reset();
    delete ThreadedObjectsManager;
    ThreadedObjectsManager = nullptr;
}

int TMarvaneCLI::Run(const QStringList &Arguments)
{
    try {
        Execute(Arguments);
        return 0;
    } catch (const ECLIError &e) {
        Write(stderr, QStringLiteral("marvane-cli: ") + Field(e.Message));
    } catch (const std::exception &e) {
        Write(stderr,
            QStringLiteral("marvane-cli: the site's answer could not be used: ") + Field(QString::fromUtf8(e.what())));
    }
    return 1;
}

void TMarvaneCLI::Execute(const QStringList &Arguments)
{
    const QString command = Arguments.value(0);
    const auto requireArguments = [&](qsizetype Count) {
        if (Arguments.size() != Count)
            throw ECLIError(UsageText());
    };
    if (command == u"login") {
        requireArguments(2);
        Login(Arguments[1]);
    } else if (command == u"whoami") {
        requireArguments(1);
        Write(stdout, QString::number(RequireSession()));
    } else if (command == u"mymusic") {
        requireArguments(1);
        const int user = RequireSession();
        PrintTracks(ParseAudioList(LoadAudioList(*FManager->CookieManager(), user, CMyMusicAlbumID)));
    } else if (command == u"search") {
        int offset = 0;
        if (Arguments.size() == 4 && Arguments[2] == u"--offset") {
            bool ok = false;
            offset = Arguments[3].toInt(&ok);
            if (!ok || offset < 0)
                throw ECLIError(QStringLiteral("the offset is not a number of 0 or more: %1").arg(Arguments[3]));
        } else {
            requireArguments(2);
        }
        const int user = RequireSession();
        PrintTracks(ParseAudioList(LoadSearchSection(*FManager->CookieManager(), Arguments[1], user, offset)));
    } else if (command == u"url") {
        requireArguments(2);
        const QString id = Arguments[1];
        ParseTrackID(id);
        RequireSession();
        const QString url = ReloadAudioURLs(*FManager->CookieManager(), id).value(0);
        if (url.isEmpty())
            throw ECLIError(QStringLiteral("the site gives no stream for %1").arg(id));
        Write(stdout, Field(url));
    } else if (command == u"add") {
        requireArguments(2);
        const auto [owner, aid] = ParseTrackID(Arguments[1]);
        RequireSession();
        const TVKAudioRecord track = FindTrack(owner, aid);
        PrintTracks({AddAudio(*FManager->CookieManager(), track.OwnerID, track.AID, track.Hashes)});
    } else if (command == u"delete") {
        requireArguments(2);
        const auto [owner, aid] = ParseTrackID(Arguments[1]);
        const int user = RequireSession();
        if (owner != user)
            throw ECLIError(QStringLiteral("only tracks of your own list (owner %1) can be deleted").arg(user));
        const TVKAudioRecord track = FindTrack(owner, aid);
        DeleteAudio(*FManager->CookieManager(), track.OwnerID, track.AID, track.Hashes);
    } else if (command == u"download") {
        requireArguments(2);
        const auto [owner, aid] = ParseTrackID(Arguments[1]);
        Download(owner, aid);
    } else if (command == u"saved") {
        requireArguments(1);
        PrintSaved();
    } else if (command == u"delete-saved") {
        const bool permanently = Arguments.size() == 3 && Arguments[2] == u"--permanently";
        if (!permanently)
            requireArguments(2);
        const auto [owner, aid] = ParseTrackID(Arguments[1]);
        DeleteSaved(owner, aid, permanently ? frDeletePermanently : frMoveToTrash);
    } else if (command == u"logout") {
        requireArguments(1);
        FManager->Logout();
    } else if (command == u"signup") {
        Signup(Arguments);
    } else if (command == u"username") {
        requireArguments(2);
        PrintUserName(Arguments[1]);
    } else if (command == u"artist") {
        requireArguments(2);
        if (Arguments[1].isEmpty())
            throw ECLIError(QStringLiteral("the artist's name is empty"));
        PrintArtist(Arguments[1]);
    } else if (command == u"album") {
        requireArguments(3);
        if (Arguments[1].isEmpty() || Arguments[2].isEmpty())
            throw ECLIError(QStringLiteral("the artist's name or the album's title is empty"));
        PrintAlbum(Arguments[1], Arguments[2]);
    } else {
        throw ECLIError(UsageText());
    }
}

void TMarvaneCLI::Login(const QString &ALogin)
{
    TVKEmulationAuthManager &auth = FManager->AuthManager();
    const QString password = ReadLine(QStringLiteral("password"));
    TAuthOutcome outcome = AwaitAuth([&] { auth.Login(ALogin, password); });
    for (;;) {
        switch (outcome) {
        case TAuthOutcome::aoSuccess:
            return;
        case TAuthOutcome::aoCaptcha: {
            const TVKEmulationCaptchaManager &captcha = FManager->CaptchaManager();
            Write(stderr, QStringLiteral("captcha: ") + SaveCaptchaImage(captcha.CaptchaImageStream()));
            const QString key = ReadLine(QStringLiteral("captcha answer"));
            const QString sid = captcha.CaptchaSID();
            outcome = AwaitAuth([&] { auth.ReloginWithCaptcha(sid, key); });
            break;
        }
        case TAuthOutcome::aoCodeRequired: {
            Write(stderr, QStringLiteral("code:"));
            const QString code = ReadLine(QStringLiteral("two-step code"));
            outcome = AwaitAuth([&] { auth.VerifyCode(code); });
            break;
        }
        case TAuthOutcome::aoInvalidCode:
            throw ECLIError(QStringLiteral("the two-step code is wrong"));
        case TAuthOutcome::aoInvalidAuthData:
        case TAuthOutcome::aoAuthDataRequired:
            throw ECLIError(QStringLiteral("wrong login or password"));
        case TAuthOutcome::aoUnexpected:
            throw ECLIError(
                QStringLiteral("sign-in failed: the site could not be reached or gave an unexpected answer"));
        }
    }
}

int TMarvaneCLI::RequireSession()
{
    switch (AwaitAuth([this] { FManager->AuthManager().Authorize(); })) {
    case TAuthOutcome::aoSuccess:
        return FManager->UserID();
    case TAuthOutcome::aoUnexpected:
        throw ECLIError(QStringLiteral("the site could not be reached or gave an unexpected answer"));
    default:
        throw ECLIError(QStringLiteral("nobody is signed in"));
    }
}

TMarvaneCLI::TAuthOutcome TMarvaneCLI::AwaitAuth(const std::function<void()> &Start)
{
    FAuthOutcome.reset();
    Start();
    if (!FAuthOutcome) {
        QEventLoop loop;
        FAuthLoop = &loop;
        QTimer::singleShot(CAnswerDeadlineMs, &loop, [this] { ReportAuth(TAuthOutcome::aoUnexpected); });
        loop.exec();
        FAuthLoop = nullptr;
    }
    return *FAuthOutcome;
}

void TMarvaneCLI::ReportAuth(TAuthOutcome Outcome)
{
    if (FAuthOutcome)
        return;
    FAuthOutcome = Outcome;
    if (FAuthLoop)
        FAuthLoop->quit();
}

TVKAudioRecord TMarvaneCLI::FindTrack(int OwnerID, int AID)
{
    const QList<TVKAudioRecord> tracks
        = ParseAudioList(LoadAudioList(*FManager->CookieManager(), OwnerID, CMyMusicAlbumID));
    for (const TVKAudioRecord &track : tracks)
        if (track.OwnerID == OwnerID && track.AID == AID)
            return track;
    throw ECLIError(QStringLiteral("no such track: %1_%2").arg(OwnerID).arg(AID));
}

void TMarvaneCLI::PrintTracks(const QList<TVKAudioRecord> &Tracks)
{
    for (const TVKAudioRecord &track : Tracks)
        Write(stdout, TrackLine(track.OwnerID, track.AID, track.Artist, track.Title, track.Duration));
}

QString TMarvaneCLI::SaveCaptchaImage(const QByteArray &Image)
{
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/marvane-captcha-XXXXXX.png"));
    file.setAutoRemove(false);
    if (!file.open())
        throw ECLIError(QStringLiteral("the captcha image could not be saved in %1").arg(QDir::tempPath()));
    FCaptchaFiles << file.fileName();
    if (file.write(Image) != Image.size() || !file.flush())
        throw ECLIError(QStringLiteral("the captcha image could not be saved in %1").arg(QDir::tempPath()));
    return file.fileName();
}

TVKAPIManager &TMarvaneCLI::APIManager()
{
    if (!FAPIManager) {
        FAPIManager = std::make_unique<TVKAPIManager>(QStringLiteral("5.37"));
        FAPIManager->CaptchaManager().OnCaptchaKeyRequest = [this](TObject *) {
            FCaptchaAsked = true;
            NotifyAPI();
        };
    }
    return *FAPIManager;
}

void TMarvaneCLI::NotifyAPI()
{
    if (FAPILoop)
        FAPILoop->quit();
}

void TMarvaneCLI::Await(const QString &Service, const std::function<bool()> &Done, int DeadlineMs)
{
    const QDeadlineTimer deadline(DeadlineMs);
    while (!Done()) {
        if (FCaptchaAsked) {
            FCaptchaAsked = false;
            const TVKAPICaptchaManager &captcha = FAPIManager->CaptchaManager();
            Write(stderr, QStringLiteral("captcha: ") + SaveCaptchaImage(captcha.CaptchaImageStream()));
            const QString key = ReadLine(QStringLiteral("captcha answer"));
            FAPIManager->RequestManager().InputCaptchaKey(captcha.CaptchaSID(), key);
            continue;
        }
        if (deadline.hasExpired())
            throw ECLIError(QStringLiteral("%1 gave no answer in time").arg(Service));
        QEventLoop loop;
        FAPILoop = &loop;
        if (!deadline.isForever())
            QTimer::singleShot(deadline.remainingTime(), &loop, &QEventLoop::quit);
        loop.exec();
        FAPILoop = nullptr;
    }
}

void TMarvaneCLI::Signup(const QStringList &Arguments)
{
    QStringList fields = Arguments.mid(1);
    const bool byCall = fields.removeAll(QStringLiteral("--call")) > 0;
    if (fields.size() != 4)
        throw ECLIError(UsageText());
    const QString &sexText = fields[3];
    if (sexText != u"female" && sexText != u"male")
        throw ECLIError(QStringLiteral("the sex is female or male, not %1").arg(sexText));
    const QString password = ReadLine(QStringLiteral("password"));

    TVKAPISignupData &data = APIManager().AuthManager().SignupData();
    TVKAPISignupFormData &form = data.SignupFormData();
    const TNotifyEvent notify = [this](TObject *) { NotifyAPI(); };
    data.OnStateChanged = notify;
    data.PhoneCheckData().OnStateChanged = notify;
    data.RepeatCodeData().OnStateChanged = notify;
    form.FirstName = fields[0];
    form.LastName = fields[1];
    form.Sex = sexText == u"female" ? 1 : 2;

    const TVKAPIPhoneCheckData &phoneCheck = data.PhoneCheckData();
    form.SetPhone(fields[2]);
    Await(QStringLiteral("the VK API"), [&] { return phoneCheck.State() != mdsInitial || fields[2].isEmpty(); });
    switch (phoneCheck.State()) {
    case mdsPhoneUsed:
        throw ECLIError(QStringLiteral("the phone number is already used: %1").arg(fields[2]));
    case mdsPhoneIncorrect:
        throw ECLIError(QStringLiteral("not a valid phone number: %1").arg(fields[2]));
    case mdsPhoneValid:
        break;
    default:
        throw ECLIError(QStringLiteral("the phone number could not be checked: the sign-up service could not be "
                                       "reached or gave an error"));
    }
    form.SetPassword(password);
    form.SetPasswordConfirmation(password);
    if (data.PasswordState() != psAcceptable)
        throw ECLIError(QStringLiteral("the password must have 6 characters or more"));

    data.Signup();
    Await(QStringLiteral("the VK API"), [&] { return data.State() != mdsLoading; });
    if (data.Stage() != ssConfirm)
        throw ECLIError(QStringLiteral("sign-up failed: the sign-up service could not be reached or refused it"));
    if (byCall) {
        data.ConfirmFormData().Voice = true;
        data.RepeatCode();
        Await(QStringLiteral("the VK API"), [&] { return data.RepeatCodeData().State() != mdsLoading; });
        if (data.RepeatCodeData().State() != mdsLoaded)
            throw ECLIError(QStringLiteral("the code could not be asked for by call"));
    }

    Write(stderr, QStringLiteral("code:"));
    data.ConfirmFormData().SetAuthCode(ReadLine(QStringLiteral("confirmation code")));
    data.Confirm();
    if (data.AuthCodeState() != acsFilled)
        throw ECLIError(QStringLiteral("no confirmation code was given"));
    Await(QStringLiteral("the VK API"), [&] { return data.State() != mdsLoading; });
    switch (data.State()) {
    case mdsReady:
        Write(stdout, QStringLiteral("signed up: %1").arg(form.Phone()));
        return;
    case mdsIncorrectAuthCode:
        throw ECLIError(QStringLiteral("the confirmation code is wrong"));
    case mdsIncorrectPassword:
        throw ECLIError(QStringLiteral("the sign-up was refused: sign up again"));
    default:
        throw ECLIError(QStringLiteral("confirmation failed: the sign-up service could not be reached or refused it"));
    }
}

void TMarvaneCLI::PrintUserName(const QString &UserID)
{
    bool ok = false;
    const int id = UserID.toInt(&ok);
    if (!ok || id <= 0)
        throw ECLIError(QStringLiteral("not a user identifier: %1").arg(UserID));

    std::optional<QString> name;
    std::optional<QString> failure;
    APIManager().RequestManager().Add(NewVKOperationID(),
        std::make_unique<TAPIRequestData>(InvokerClass<TVKAPIUsersSelectRequestInvoker>(),
            TVKAPIRequestFactory::ConstructUsersGetRequest(QString::number(id), {}, {}), nullptr, [&](TObject *Sender) {
                const auto &invoker = *static_cast<TVKAPIUsersSelectRequestInvoker *>(Sender);
                const TVKAPIUsersSelectResponseResult *result = invoker.GetAPIResult();
                if (invoker.Result().ResultCode == irOK && result && !result->Users.isEmpty())
                    name = result->Users.first().FirstName + u' ' + result->Users.first().LastName;
                else if (invoker.Result().ResultCode == irOK)
                    failure = QStringLiteral("no such user: %1").arg(id);
                else if (invoker.Result().ResultCode == irHTTPFailed)
                    failure = QStringLiteral("the VK API could not be reached: ")
                        + invoker.Result().HTTPRequestResult.ErrorMessage;
                else if (result && result->ResultCode == vkTokenRefused)
                    failure = QStringLiteral("the VK API asks for an access token for user %1").arg(id);
                else if (result && result->ResultCode == vkAPIError)
                    failure = QStringLiteral("the VK API refused: ") + result->APIErrorMessage;
                else
                    failure = QStringLiteral("the VK API's answer could not be used");
                NotifyAPI();
            }));
    Await(QStringLiteral("the VK API"), [&] { return name || failure; });
    if (failure)
        throw ECLIError(*failure);
    Write(stdout, Field(*name));
}

TLastFMAPIRequestManager &TMarvaneCLI::LastFMManager()
{
    if (!FLastFMManager)
        FLastFMManager = std::make_unique<TLastFMAPIRequestManager>();
    return *FLastFMManager;
}

void TMarvaneCLI::AwaitBlocks(std::initializer_list<TMetaDataBlock *> Blocks)
{
    for (TMetaDataBlock *block : Blocks)
        block->OnStateChanged = [this](TObject *) { NotifyAPI(); };
    Await(QStringLiteral("Last.fm"), [&] {
        return std::none_of(Blocks.begin(), Blocks.end(),
            [](const TMetaDataBlock *Block) { return Block->State() == mdsLoading || Block->State() == mdsCleared; });
    });
}

void TMarvaneCLI::PrintArtist(const QString &Name)
{
    // The top tracks are looked up on the site, which needs a session.
    RequireSession();
    TArtistData artist(*FManager, LastFMManager());
    artist.SetArtist(Name);
    AwaitBlocks({&artist, &artist.TopAlbumsData(), &artist.TopTracksData()});
    if (const auto failure = PageFailure(artist.State(), Name))
        throw ECLIError(*failure);

    Write(stdout, QStringLiteral("artist\t") + Field(artist.Artist()));
    if (!artist.Bio().isEmpty())
        Write(stdout, QStringLiteral("bio\t") + Field(artist.Bio()));
    const TSimilarArtistsData &similar = artist.SimilarArtistsData();
    for (int i = 0; i < similar.ActiveItemsCount(); ++i)
        Write(stdout, QStringLiteral("similar\t") + Field(similar.getItem(i).Name));
    const bool albumsShown = PrintAlbums(QStringLiteral("album"), artist.TopAlbumsData());
    const bool tracksShown = PrintMatchedTracks(artist.TopTracksData());
    if (!albumsShown || !tracksShown)
        throw ECLIError(QStringLiteral("the artist's %1 could not be loaded from Last.fm")
                            .arg(albumsShown ? QStringLiteral("top tracks") : QStringLiteral("top albums")));
}

void TMarvaneCLI::PrintAlbum(const QString &Artist, const QString &Title)
{
    RequireSession();
    TAlbumData album(*FManager, LastFMManager());
    album.SetAlbum(Artist, Title);
    AwaitBlocks({&album});
    if (const auto failure = PageFailure(album.State(), QStringLiteral("%1 by %2").arg(Title, Artist)))
        throw ECLIError(*failure);
    AwaitBlocks({&album.RelatedAlbumsData()});

    Write(stdout, QStringLiteral("album\t%1\t%2").arg(Field(album.Artist()), Field(album.Title())));
    const bool tracksShown = PrintMatchedTracks(album.AlbumTracksData());
    const bool relatedShown = PrintAlbums(QStringLiteral("other album"), album.RelatedAlbumsData());
    if (!tracksShown || !relatedShown)
        throw ECLIError(QStringLiteral("the artist's other albums could not be loaded from Last.fm"));
}

bool TMarvaneCLI::PrintAlbums(const QString &Kind, const TCustomAlbumsData &Albums)
{
    if (Albums.State() != mdsLoaded && Albums.State() != mdsEmptyResult)
        return false;
    for (int i = 0; i < Albums.ActiveItemsCount(); ++i)
        Write(stdout, Kind + u'\t' + Field(Albums.getItem(i).Title));
    return true;
}

bool TMarvaneCLI::PrintMatchedTracks(const TCustomTracksData &Tracks)
{
    if (Tracks.State() != mdsLoaded)
        return false;
    TVKCompositeAudioData &rows = Tracks.TracksData();
    const auto pending = [&rows](int Index) {
        const auto *row = dynamic_cast<const TCompositeAudioDataItemViewData *>(rows.getTrack(Index));
        return row
            && (row->State == TCompositeAudioDataItemState::cdiPending
                || row->State == TCompositeAudioDataItemState::cdiSearching);
    };
    rows.OnChanged = [this](TObject *, bool) { NotifyAPI(); };
    rows.OnItemChanged = [this](TObject *, int) { NotifyAPI(); };
    Await(QStringLiteral("the site"), [&] {
        for (int i = 0; i < rows.Count(); ++i)
            if (pending(i))
                return false;
        return true;
    });
    rows.OnChanged = nullptr;
    rows.OnItemChanged = nullptr;

    for (int i = 0; i < rows.Count(); ++i) {
        const TCustomAudioTrackViewData *row = rows.getTrack(i);
        if (const auto *found = dynamic_cast<const TCustomVKAudioTrackViewData *>(row)) {
            Write(stdout,
                QStringLiteral("track\t")
                    + TrackLine(found->OwnerID, found->AID, found->Artist, found->Title, found->Duration));
            continue;
        }
        const bool failed = static_cast<const TCompositeAudioDataItemViewData *>(row)->State
            == TCompositeAudioDataItemState::cdiError;
        Write(stdout,
            QStringLiteral("track\t%1\t%2\t%3")
                .arg(failed ? QStringLiteral("look-up failed") : QStringLiteral("not found"), Field(row->Artist),
                    Field(row->Title)));
    }
    return true;
}

TLocalAudioData &TMarvaneCLI::LocalAudioData()
{
    if (FLocalAudioData)
        return *FLocalAudioData;
    TSavedTracksOpening opening = OpenSavedTracksDB(GetSavedTracksDBPath(), GetSavedTracksBackupDBPath());
    if (!opening.DataSet)
        throw ECLIError(
            (opening.Damaged ? QStringLiteral("the saved tracks are damaged and their backup cannot replace them: ")
                             : QStringLiteral("the saved tracks cannot be opened: "))
            + Field(opening.ErrorMessage));
    if (opening.Restored)
        Write(stderr,
            QStringLiteral("marvane-cli: the saved tracks were damaged and have been restored from their "
                           "backup; the damaged file is kept beside it"));
    FSavedTracks = std::move(opening.DataSet);
    FLocalAudioData = std::make_unique<TLocalAudioData>(*FManager, *FSavedTracks);
    return *FLocalAudioData;
}

void TMarvaneCLI::Download(int OwnerID, int AID)
{
    RequireSession();
    TVKAudioRecord track = FindTrack(OwnerID, AID);
    track.URL = ReloadAudioURLs(*FManager->CookieManager(), TrackID(OwnerID, AID)).value(0);
    if (track.URL.isEmpty())
        throw ECLIError(QStringLiteral("the site gives no stream for %1").arg(TrackID(OwnerID, AID)));

    TLocalAudioData &downloads = LocalAudioData();
    std::optional<QString> failure;
    const bool showProgress = ::isatty(STDERR_FILENO) == 1;
    downloads.OnChanged = [this](TObject *, bool) { NotifyAPI(); };
    downloads.OnItemChanged = [this](TObject *, int) { NotifyAPI(); };
    downloads.OnDownloadFailed = [&](TObject *, int, int, const QString &Message) {
        failure = Message;
        NotifyAPI();
    };
    downloads.OnDownloadNoLogicalDriveError = [&](TObject *) {
        failure = QStringLiteral("the music folder's drive is not there: ")
            + GetInstance<TQelmSettings>()->CurrentMusicFolderPath();
        NotifyAPI();
    };
    downloads.OnItemDownloadPercentChangedEvent = [&](TObject *, int, int) {
        const int row = downloads.FindTrackByAID(AID, OwnerID);
        if (showProgress && row >= 0 && !downloads.IsSavedTrack(row))
            std::fprintf(stderr, "\r%3d%%", int(downloads.getLoadingTrack(row).DownloadProgressPercent));
    };

    const int rowsBefore = downloads.Count();
    downloads.DownloadTrack(TVKAudioPlaylistItem(track));
    const auto downloading = [&downloads] {
        for (int i = 0; i < downloads.Count(); ++i)
            if (!downloads.IsSavedTrack(i))
                return true;
        return false;
    };
    // The downloader gives up on a server that stalls: no time-out of our own.
    Await(
        QStringLiteral("the download"), [&] { return failure || !downloading(); }, -1);
    if (showProgress)
        std::fputs("\n", stderr);
    if (failure)
        throw ECLIError(QStringLiteral("the download of %1 failed: %2").arg(TrackID(OwnerID, AID), Field(*failure)));
    if (downloads.Count() == rowsBefore)
        throw ECLIError(QStringLiteral("the download of %1 was not kept").arg(TrackID(OwnerID, AID)));
    // The newest row is the one just saved.
    Write(stdout, Field(downloads.getSavedTrack(0).FilePath));
}

void TMarvaneCLI::PrintSaved()
{
    const TLocalAudioData &downloads = LocalAudioData();
    for (int i = 0; i < downloads.Count(); ++i) {
        const TSavedTrackRecord track = downloads.getSavedTrack(i);
        Write(stdout,
            TrackLine(track.OwnerID, track.AID, track.Artist, track.Title, track.Duration) + u'\t'
                + Field(track.FilePath));
    }
}

void TMarvaneCLI::DeleteSaved(int OwnerID, int AID, TFileRemoval Removal)
{
    TLocalAudioData &downloads = LocalAudioData();
    const int row = downloads.FindTrackByAID(AID, OwnerID);
    if (row < 0)
        throw ECLIError(QStringLiteral("no saved track %1").arg(TrackID(OwnerID, AID)));
    TDeleteResult result = drDone;
    try {
        result = downloads.DeleteTrack(row, Removal);
    } catch (const Exception &error) {
        throw ECLIError(QStringLiteral("the file of %1 could not be deleted: %2")
                            .arg(TrackID(OwnerID, AID), Field(error.Message())));
    }
    if (result == drNoTrash)
        throw ECLIError(QStringLiteral("the file of %1 could not be moved to the trash, nothing was deleted "
                                       "(--permanently deletes it for good)")
                            .arg(TrackID(OwnerID, AID)));
}
