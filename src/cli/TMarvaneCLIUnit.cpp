#include "cli/TMarvaneCLIUnit.h"

#include "foundation/BaseTypesUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"
#include "vkweb/TVKEmulationAuthManagerUnit.h"
#include "vkweb/TVKEmulationCaptchaManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/VKEmulationAudioUnit.h"

#include <QDir>
#include <QEventLoop>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QTimer>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

// A sign-in step that has not reported by then is given up.
constexpr int CAuthDeadlineMs = 120000;
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
                          "url OWNER_AID | add OWNER_AID | delete OWNER_AID | logout");
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

QString TrackLine(const TVKAudioRecord &Track)
{
    // Tabs and line ends inside a name would break the line format.
    const auto field = [](QString Text) {
        return Text.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
    };
    return QStringLiteral("%1_%2\t%3\t%4\t%5:%6")
        .arg(Track.OwnerID)
        .arg(Track.AID)
        .arg(field(Track.Artist), field(Track.Title))
        .arg(Track.Duration / 60)
        .arg(Track.Duration % 60, 2, 10, QLatin1Char('0'));
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
        Write(stderr, QStringLiteral("marvane-cli: ") + e.Message);
    } catch (const std::exception &e) {
        Write(stderr, QStringLiteral("marvane-cli: the site's answer could not be used: ")
                          + QString::fromUtf8(e.what()));
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
        Write(stdout, url);
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
    } else if (command == u"logout") {
        requireArguments(1);
        FManager->Logout();
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
            QTemporaryFile image(QDir::tempPath() + QStringLiteral("/marvane-captcha-XXXXXX.png"));
            image.setAutoRemove(false);
            if (!image.open() || image.write(captcha.CaptchaImageStream()) != captcha.CaptchaImageStream().size()
                || !image.flush())
                throw ECLIError(QStringLiteral("the captcha image could not be saved in %1").arg(QDir::tempPath()));
            Write(stderr, QStringLiteral("captcha: ") + image.fileName());
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
            throw ECLIError(QStringLiteral("sign-in failed: the site could not be reached or gave an unexpected answer"));
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
        QTimer::singleShot(CAuthDeadlineMs, &loop, [this] { ReportAuth(TAuthOutcome::aoUnexpected); });
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
    const QList<TVKAudioRecord> tracks = ParseAudioList(LoadAudioList(*FManager->CookieManager(), OwnerID, CMyMusicAlbumID));
    for (const TVKAudioRecord &track : tracks)
        if (track.OwnerID == OwnerID && track.AID == AID)
            return track;
    throw ECLIError(QStringLiteral("no such track: %1_%2").arg(OwnerID).arg(AID));
}

void TMarvaneCLI::PrintTracks(const QList<TVKAudioRecord> &Tracks)
{
    for (const TVKAudioRecord &track : Tracks)
        Write(stdout, TrackLine(track));
}
