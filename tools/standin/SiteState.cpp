#include "standin/SiteState.h"

#include "standin/SiteText.h"

#include <QDateTime>
#include <QRandomGenerator>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace Standin {

namespace {
// Bounds what a client that never finishes a sign-in can make the stand-in keep.
constexpr std::size_t MaxPending = 10000;

template<typename Container> void Bound(Container &Items)
{
    if (Items.size() > MaxPending)
        Items.clear();
}
} // namespace

TSiteState::TSiteState(const TCatalogue &Catalogue, int PlainMyMusicSize) :
      FCatalogue(Catalogue),
      FAccounts({{u"plain@marvane.test"_s, u"plain-pass"_s, 1001, u"Анна Плейн"_s, false, {}},
          {u"captcha@marvane.test"_s, u"captcha-pass"_s, 1002, u"Борис Капча"_s, true, {}},
          {u"twostep@marvane.test"_s, u"twostep-pass"_s, 1003, u"Вера Двухэтапная"_s, false, u"123456"_s}}),
      FIPHash(RandomToken(9))
{
    // Each account starts with a few catalogue tracks; the first gets the ones with references.
    // A list longer than the catalogue goes round it again, each copy a track of its own.
    const std::vector<TTrack> &tracks = Catalogue.Tracks();
    const std::map<int, std::size_t> counts
        = {{1001, std::size_t(std::max(PlainMyMusicSize, 0))}, {1002, 12}, {1003, 6}};
    for (const auto &[user, count] : counts) {
        const std::size_t first = user == 1001 ? 0 : std::size_t(user) % 97;
        std::vector<TTrack> &list = FMyMusic[user];
        list.reserve(count);
        // Newest first, as AddCopy would leave them.
        for (std::size_t i = 0; i < count; ++i) {
            TTrack copy = tracks[(first + i) % tracks.size()];
            copy.OwnerID = user;
            copy.AID = int(count - i);
            list.push_back(copy);
        }
        FNextAID[user] = int(count);
    }
}

std::optional<TAccount> TSiteState::FindAccount(const QString &Login) const
{
    for (const TAccount &account : FAccounts)
        if (account.Login.compare(Login.trimmed(), Qt::CaseInsensitive) == 0)
            return account;
    return std::nullopt;
}

std::optional<TAccount> TSiteState::AccountOf(int UserID) const
{
    for (const TAccount &account : FAccounts)
        if (account.UserID == UserID)
            return account;
    return std::nullopt;
}

QString TSiteState::IssueLoginFormHash()
{
    const QString hash = RandomToken(9);
    std::lock_guard lock(FLock);
    Bound(FLoginFormHashes);
    FLoginFormHashes.insert(hash);
    return hash;
}

bool TSiteState::IsIssuedLoginFormHash(const QString &Hash) const
{
    std::lock_guard lock(FLock);
    return FLoginFormHashes.contains(Hash);
}

QString TSiteState::IssueTicket(const TLoginOutcome &Outcome)
{
    const QString ticket = RandomToken(16);
    std::lock_guard lock(FLock);
    Bound(FTickets);
    FTickets[ticket] = Outcome;
    return ticket;
}

std::optional<TLoginOutcome> TSiteState::TakeTicket(const QString &Ticket)
{
    std::lock_guard lock(FLock);
    const auto found = FTickets.find(Ticket);
    if (found == FTickets.end())
        return std::nullopt;
    const TLoginOutcome outcome = found->second;
    FTickets.erase(found);
    return outcome;
}

QString TSiteState::IssueCaptcha()
{
    const QString sid = QString::number(QRandomGenerator::global()->bounded(100000000000LL, 999999999999LL));
    std::lock_guard lock(FLock);
    Bound(FCaptchas);
    FCaptchas[sid] = CaptchaText;
    return sid;
}

bool TSiteState::IsCaptcha(const QString &Sid) const
{
    std::lock_guard lock(FLock);
    return FCaptchas.contains(Sid);
}

bool TSiteState::SolveCaptcha(const QString &Sid, const QString &Text)
{
    std::lock_guard lock(FLock);
    const auto found = FCaptchas.find(Sid);
    if (found == FCaptchas.end())
        return false;
    const bool solved = found->second == Text.trimmed();
    FCaptchas.erase(found);
    return solved;
}

QString TSiteState::BeginTwoStepCheck(int UserID)
{
    const QString hash = QString::number(QDateTime::currentSecsSinceEpoch()) + u'_' + RandomToken(9);
    std::lock_guard lock(FLock);
    Bound(FTwoStepChecks);
    FTwoStepChecks[hash] = UserID;
    return hash;
}

std::optional<int> TSiteState::TwoStepUser(const QString &Hash) const
{
    std::lock_guard lock(FLock);
    const auto found = FTwoStepChecks.find(Hash);
    return found == FTwoStepChecks.end() ? std::nullopt : std::optional<int>(found->second);
}

void TSiteState::EndTwoStepCheck(const QString &Hash)
{
    std::lock_guard lock(FLock);
    FTwoStepChecks.erase(Hash);
}

std::pair<QString, QString> TSiteState::OpenSession(int UserID)
{
    std::pair<QString, QString> cookies {RandomToken(24), RandomToken(12)};
    std::lock_guard lock(FLock);
    FSessions[cookies.first] = {cookies.second, UserID};
    return cookies;
}

int TSiteState::SessionUser(const QString &Sid, const QString &StId) const
{
    std::lock_guard lock(FLock);
    const auto found = FSessions.find(Sid);
    return found != FSessions.end() && found->second.first == StId ? found->second.second : 0;
}

std::vector<TTrack> TSiteState::MyMusic(int UserID) const
{
    std::lock_guard lock(FLock);
    const auto found = FMyMusic.find(UserID);
    return found == FMyMusic.end() ? std::vector<TTrack>() : found->second;
}

std::optional<TTrack> TSiteState::FindTrack(int OwnerID, int AID) const
{
    if (const TTrack *track = FCatalogue.Find(OwnerID, AID))
        return *track;
    std::lock_guard lock(FLock);
    const auto list = FMyMusic.find(OwnerID);
    if (list != FMyMusic.end())
        for (const TTrack &track : list->second)
            if (track.AID == AID)
                return track;
    return std::nullopt;
}

TTrack TSiteState::AddCopy(int UserID, const TTrack &Source)
{
    TTrack copy = Source;
    copy.OwnerID = UserID;
    std::lock_guard lock(FLock);
    copy.AID = ++FNextAID[UserID];
    std::vector<TTrack> &list = FMyMusic[UserID];
    list.insert(list.begin(), copy);
    return copy;
}

bool TSiteState::Delete(int UserID, int AID)
{
    std::lock_guard lock(FLock);
    std::vector<TTrack> &list = FMyMusic[UserID];
    const auto found = std::find_if(list.begin(), list.end(), [AID](const TTrack &Track) { return Track.AID == AID; });
    if (found == list.end())
        return false;
    list.erase(found);
    return true;
}

} // namespace Standin
