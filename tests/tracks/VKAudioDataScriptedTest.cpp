// The VK lists against an audio endpoint each test scripts: failing pages,
// slow pages, Last.fm look-ups with chosen answers.
#include "tracks/lists/TVKAudioDataUnit.h"

#include "lastfm/TLastFMAPIResponseParserUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/TVKEmulationMyMusicManagerUnit.h"
#include "vkweb/TVKEmulationRequestManagerUnit.h"
#include "vkweb/TVKEmulationRequestUnit.h"

#include "tracks/TracksTestSupport.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <shared_mutex>

namespace {

constexpr int PageSize = 50;

// Count tracks of owner -5 from AID First on, all titled Title.
QList<TVKAudioRecord> Tracks(int First, int Count, const QString &Title)
{
    QList<TVKAudioRecord> tracks;
    for (int aid = First; aid < First + Count; ++aid)
        tracks.append(Record(-5, aid, QStringLiteral("Артист"), Title));
    return tracks;
}

// The ways a page fails in the wild: a gateway error, the site's own error
// frame, an answer cut off in the middle.
TScriptedSite::TAnswer FailedPage(int Attempt)
{
    switch (Attempt % 3) {
    case 0:
        return {502, QStringLiteral("<html><body>502 Bad Gateway</body></html>")};
    case 1:
        return {200, QStringLiteral("<!--18345<!>audio.css<!>0<!>6812<!>8<!>Ошибка доступа")};
    default:
        return {200, QString::fromStdString(ListAnswer(Tracks(1, 3, QStringLiteral("обрыв")))).left(90)};
    }
}

// Signed in as user 42 on a site whose answers the test chooses.
class ScriptedLists : public ::testing::Test
{
protected:
    ScriptedLists() { FEnvironment.Manager().SetUserID(42); }

    void Script(TScriptedSite::THandler Handler)
    {
        std::unique_lock guard(FLock);
        FHandler = std::move(Handler);
    }
    TVKEmulationManager &Manager() { return FEnvironment.Manager(); }
    // The search requests the site saw for offset Offset.
    std::size_t SearchesAt(int Offset) const
    {
        std::size_t count = 0;
        for (const TRecordedRequest &request : FSite.Requests("a_load_section"))
            count += FormValue(request.Body, "offset") == std::to_string(Offset);
        return count;
    }
    // Waits until the queue has served everything queued before this call.
    bool QueueServedEarlierRequests()
    {
        bool served = false;
        Manager().RequestManager().Add(
            static_cast<std::uint32_t>(GetInstance<TVKEmulationOperationIDGenerator>()->GetID()),
            std::make_unique<TVKEmulationRequestData>(
                TVKEmulationRequestFactory::ConstructAudioSearchRequest(&Manager(), QStringLiteral("probe"), 0, 1),
                nullptr, [&served](TObject *) { served = true; }));
        return TestEnvironment::WaitFor([&] { return served; });
    }

    TListsEnvironment FEnvironment;
    // Answers run side by side; a new script waits for those under way.
    std::shared_mutex FLock;
    TScriptedSite::THandler FHandler;
    TScriptedSite FSite {[this](const std::string &Act, const std::string &Body) {
        std::shared_lock guard(FLock);
        return FHandler ? FHandler(Act, Body) : TScriptedSite::TAnswer {404, {}};
    }};
    // Opened before the site stops, so that no answer waits at it then.
    TGate FGate;
};

struct TRetryCase
{
    int Failures;
    int Rows; // after the last attempt
};

void PrintTo(const TRetryCase &Case, std::ostream *Out)
{
    *Out << Case.Failures << " failures";
}

class RetriedPage : public ScriptedLists, public ::testing::WithParamInterface<TRetryCase>
{
};

} // namespace

// Five retries: the sixth attempt is the last; after it the list keeps the
// rows it had and nothing more is sent or announced.
TEST_P(RetriedPage, AFailedPageIsAskedForFiveTimesMoreThenLeftAlone)
{
    std::atomic<int> failed = 0;
    const int failures = GetParam().Failures;
    Script([&](const std::string &, const std::string &Body) -> TScriptedSite::TAnswer {
        if (FormValue(Body, "search_q") == "probe")
            return {200, QString::fromStdString(ListAnswer({}))};
        if (FormValue(Body, "offset") == "0")
            return {200, QString::fromStdString(ListAnswer(Tracks(1, PageSize, QStringLiteral("Первая"))))};
        if (failed < failures)
            return FailedPage(failed++);
        return {200, QString::fromStdString(ListAnswer(Tracks(1 + PageSize, PageSize, QStringLiteral("Вторая"))))};
    });
    TVKSearchAudioData data(Manager(), PageSize);
    TListEvents events(data);
    int loadFailures = 0;
    data.OnLoadFailed = [&](TObject *Sender) {
        EXPECT_EQ(Sender, &data);
        ++loadFailures;
    };
    data.Reset();
    ASSERT_TRUE(events.WaitForChanges(1));
    data.NextPage();

    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return SearchesAt(PageSize) == 6; }));
    ASSERT_TRUE(TListsEnvironment::TasksHandled());
    ASSERT_TRUE(QueueServedEarlierRequests());
    EXPECT_EQ(SearchesAt(PageSize), 6u);
    EXPECT_EQ(data.Count(), GetParam().Rows);
    EXPECT_EQ(events.Changes.size(), GetParam().Rows == PageSize ? 1u : 2u);
    EXPECT_EQ(data.Playlist()->Count(), GetParam().Rows);
    const bool gaveUp = GetParam().Rows == PageSize;
    EXPECT_EQ(loadFailures, gaveUp ? 1 : 0) << "the window hears of a list left stale";

    // Asked again, the page the failed load was for comes.
    if (gaveUp) {
        data.Retry();
        ASSERT_TRUE(events.WaitForChanges(2));
        EXPECT_EQ(data.Count(), 2 * PageSize);
        EXPECT_EQ(data.getTrack(PageSize)->Title, QStringLiteral("Вторая"));
    }
}

INSTANTIATE_TEST_SUITE_P(Attempts, RetriedPage,
    ::testing::Values(TRetryCase {5, 2 * PageSize}, TRetryCase {6, PageSize}),
    [](const ::testing::TestParamInfo<TRetryCase> &Info) { return "Failures" + std::to_string(Info.param.Failures); });

// A second NextPage while the page is loading asks again under the same
// operation: the earlier answer, though it comes, fills nothing.
TEST_F(ScriptedLists, NextPageAgainWhileThePageLoadsReplacesTheEarlierRequest)
{
    std::atomic<int> secondPages = 0;
    Script([&](const std::string &, const std::string &Body) -> TScriptedSite::TAnswer {
        if (FormValue(Body, "offset") == "0")
            return {200, QString::fromStdString(ListAnswer(Tracks(1, PageSize, QStringLiteral("Первая"))))};
        if (++secondPages == 1) {
            FGate.Wait();
            return {200, QString::fromStdString(ListAnswer(Tracks(1 + PageSize, PageSize, QStringLiteral("Старая"))))};
        }
        return {200, QString::fromStdString(ListAnswer(Tracks(1 + PageSize, PageSize, QStringLiteral("Новая"))))};
    });
    TVKSearchAudioData data(Manager(), PageSize);
    TListEvents events(data);
    data.Reset();
    ASSERT_TRUE(events.WaitForChanges(1));

    data.NextPage();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return secondPages == 1; }));
    data.NextPage();
    ASSERT_TRUE(events.WaitForChanges(2));
    FGate.Open();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return SearchesAt(PageSize) == 2; }));
    ASSERT_TRUE(TListsEnvironment::TasksHandled());

    EXPECT_EQ(events.Changes, (std::vector<bool> {true, true}));
    ASSERT_EQ(data.Count(), 2 * PageSize);
    EXPECT_EQ(data.getTrack(PageSize)->Title, QStringLiteral("Новая"));
    EXPECT_EQ(data.getTrack(2 * PageSize - 1)->Title, QStringLiteral("Новая"));
}

// A refresh takes the site as it is now: pages of the site's size until the
// rows shown are matched or the results end, a failed page asked again, and
// the rows replaced once, when all pages are in.
TEST_F(ScriptedLists, ARefreshTakesTheSiteAsItIsNowInOneChange)
{
    std::atomic<int> total = 120;
    std::atomic<bool> renewed = false;
    std::atomic<int> failures = 0;
    Script([&](const std::string &, const std::string &Body) -> TScriptedSite::TAnswer {
        const int offset = std::stoi(FormValue(Body, "offset"));
        if (renewed && offset == PageSize && failures < 2)
            return FailedPage(failures++);
        const int count = std::clamp(total - offset, 0, PageSize);
        const QString title = renewed ? QStringLiteral("Новая") : QStringLiteral("Старая");
        return {200, QString::fromStdString(ListAnswer(Tracks(1 + offset, count, title)))};
    });
    TVKSearchAudioData data(Manager(), PageSize);
    TListEvents events(data);
    data.Reset();
    ASSERT_TRUE(events.WaitForChanges(1));
    for (std::size_t page = 2; page <= 3; ++page) {
        data.NextPage();
        ASSERT_TRUE(events.WaitForChanges(page));
    }
    ASSERT_EQ(data.Count(), 120);

    // The site lost tracks meanwhile, and its second page fails twice.
    total = 70;
    renewed = true;
    data.Refresh();
    ASSERT_TRUE(events.WaitForChanges(4));
    ASSERT_TRUE(TestEnvironment::WaitFor(TListsEnvironment::TasksHandled));
    EXPECT_EQ(events.Changes, (std::vector<bool> {true, true, true, true}));
    ASSERT_EQ(data.Count(), 70);
    EXPECT_EQ(data.Playlist()->Count(), 70);
    for (int i = 0; i < data.Count(); ++i)
        EXPECT_EQ(data.getTrack(i)->Title, QStringLiteral("Новая")) << i;
    EXPECT_EQ(failures, 2);
    EXPECT_EQ(SearchesAt(70), 1u) << "an empty page ends the refresh";
    EXPECT_EQ(SearchesAt(120), 0u);
}

// The removal names the AID only: in the user's list it is the user's track,
// not another owner's track with the same AID.
TEST_F(ScriptedLists, ARemovalTakesTheUsersOwnTrackOfThatAID)
{
    Script([&](const std::string &Act, const std::string &) -> TScriptedSite::TAnswer {
        if (Act == "load_silent")
            return {200,
                QString::fromStdString(ListAnswer({Record(-5, 7, QStringLiteral("Чужой"), QStringLiteral("Трек")),
                    Record(42, 7, QStringLiteral("Свой"), QStringLiteral("Трек")),
                    Record(42, 8, QStringLiteral("Свой"), QStringLiteral("Другой"))}))};
        if (Act == "delete_audio")
            return {200, QString::fromStdString(FramedJSON("{\"deleted\":true}"))};
        return {404, {}};
    });
    TVKUserAudioData data(Manager(), PageSize);
    TListEvents events(data);
    data.Reset();
    ASSERT_TRUE(events.WaitForChanges(1));
    ASSERT_EQ(data.Count(), 3);
    EXPECT_EQ(data.IndexByAID(42, 7), 1);
    EXPECT_EQ(data.IndexByAID(-5, 7), 0);
    EXPECT_EQ(data.IndexByAID(42, 9), -1);

    data.DeleteFromMyMusic(1);
    ASSERT_TRUE(events.WaitForChanges(2));
    EXPECT_TRUE(events.Changes[1]);
    ASSERT_EQ(data.Count(), 2);
    EXPECT_EQ(data.IndexByAID(-5, 7), 0);
    EXPECT_EQ(data.IndexByAID(42, 7), -1);
    EXPECT_EQ(data.Playlist()->Count(), 2);
    const auto deletes = FSite.Requests("delete_audio");
    ASSERT_EQ(deletes.size(), 1u);
    EXPECT_EQ(FormValue(deletes[0].Body, "hash"), "del7");
}

// The web client keeps the lists' handlers for its whole life; a list that
// went first must hear nothing more.
TEST_F(ScriptedLists, AListGoneBeforeTheWebClientHearsNothingMore)
{
    Script([&](const std::string &Act, const std::string &) -> TScriptedSite::TAnswer {
        if (Act == "add")
            return {200,
                QString::fromStdString(
                    FramedJSON(TrackJSON(Record(42, 900, QStringLiteral("Кино"), QStringLiteral("Звезда")))))};
        if (Act == "delete_audio")
            return {200, QString::fromStdString(FramedJSON("{\"deleted\":true}"))};
        return {200, QString::fromStdString(ListAnswer(Tracks(1, 3, QStringLiteral("Звезда"))))};
    });
    TVKEmulationMyMusicManager &myMusic = Manager().MyMusicManager();
    const std::size_t addedHandlers = myMusic.OnTrackAddedEventsList().Count();
    const std::size_t deletedHandlers = myMusic.OnTrackDeletedEventsList().Count();
    // The queue has just started a request: the next start is an interval away.
    ASSERT_TRUE(QueueServedEarlierRequests());
    {
        TVKSearchAudioData search(Manager(), PageSize);
        TVKUserAudioData mine(Manager(), PageSize);
        TVKCompositeAudioData composite(Manager());
        search.SetSearchString(QStringLiteral("Кино"));
        mine.Reset();
        composite.SetTracks({{{QStringLiteral("Кино"), QString(), QStringLiteral("Звезда")}}});
    }
    EXPECT_EQ(myMusic.OnTrackAddedEventsList().Count(), addedHandlers) << "no handler is left behind";
    EXPECT_EQ(myMusic.OnTrackDeletedEventsList().Count(), deletedHandlers);
    TVKUserAudioData survivor(Manager(), PageSize);
    TListEvents events(survivor);
    Manager().MyMusicManager().AddToMyMusic(
        TVKAudioPlaylistItem(Record(-5, 3, QStringLiteral("Кино"), QStringLiteral("Звезда"))));
    Manager().MyMusicManager().DeleteFromMyMusic(
        TVKAudioPlaylistItem(Record(42, 8, QStringLiteral("Кино"), QStringLiteral("Звезда"))));
    // The removal is queued last: once it is handled, so is everything before it.
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return !FSite.Requests("delete_audio").empty(); }));
    ASSERT_TRUE(TListsEnvironment::TasksHandled());
    ASSERT_EQ(survivor.Count(), 1) << "the list alive got the copy";
    EXPECT_EQ(static_cast<TVKAudioTrackViewData *>(survivor.getTrack(0))->AID, 900);
    // The loads the lists left queued went with them.
    EXPECT_TRUE(FSite.Requests("load_silent").empty());
    for (const TRecordedRequest &request : FSite.Requests("a_load_section"))
        EXPECT_EQ(FormValue(request.Body, "search_q"), "probe");
}

namespace {

// Lets a test hand a list's result handlers a sender of its own.
class TExposedSearch : public TVKSearchAudioData
{
public:
    using TVKSearchAudioData::RequestResult;
    using TVKSearchAudioData::TVKSearchAudioData;
};

class TExposedComposite : public TVKCompositeAudioData
{
public:
    using TVKCompositeAudioData::SearchRequestResult;
    using TVKCompositeAudioData::TVKCompositeAudioData;
};

} // namespace

TEST(ListResults, AResultFromAnotherKindOfSenderIsAnErrorNotMisread)
{
    TListsEnvironment environment;
    TExposedSearch search(environment.Manager(), PageSize);
    TExposedComposite composite(environment.Manager());
    TObject stranger;
    const std::function<void()> handlers[] = {
        [&] { search.RequestResult(&stranger); },
        [&] { composite.SearchRequestResult(&stranger, 1); },
    };
    for (const auto &handler : handlers)
        EXPECT_THROW(handler(), Exception);
    EXPECT_EQ(search.Count(), 0);
}

namespace {

// Last.fm tracks looked up on a site whose search answers are fixed per
// query (compared in lower case), or fail for "Broken - Track".
class CompositeLists : public ScriptedLists
{
protected:
    CompositeLists()
    {
        FAnimations.Connect(FData.Animations);
        const QList<TVKAudioRecord> kino {Record(-10, 1, QStringLiteral("Кино"), QStringLiteral("Группа крови (live)")),
            Record(-10, 2, QStringLiteral("КИНО"), QStringLiteral("ГРУППА КРОВИ")),
            Record(-10, 3, QStringLiteral("Кино"), QStringLiteral("Группа крови"))};
        FAnswers = {{QStringLiteral("кино - группа крови"), kino},
            {QStringLiteral("ёлка - прованс"), {Record(-11, 5, QStringLiteral("ЁЛКА"), QStringLiteral("Прованс"))}},
            {QStringLiteral("nobody - nothing"),
                {Record(-12, 7, QStringLiteral("Nobody Else"), QStringLiteral("Nothing"))}}};
        Script([this](const std::string &, const std::string &Body) -> TScriptedSite::TAnswer {
            const QString query = QString::fromStdString(FormValue(Body, "search_q")).toLower();
            if (query == u"broken - track")
                return FailedPage(0);
            return {200, QString::fromStdString(ListAnswer(FAnswers.value(query)))};
        });
    }
    // No answer reads the table once it is gone.
    ~CompositeLists() override { Script(nullptr); }

    // The tracks as the Last.fm client reads them from an album's answer.
    static TCompositeTracksLookupData Lookup(const QList<QPair<QString, QString>> &Tracks)
    {
        TLastFMTracksRecord record;
        for (const auto &[artist, title] : Tracks) {
            TLastFMTrackRecord track;
            track.Artist = artist;
            track.Title = title;
            record.FItems.push_back(track);
        }
        return TCompositeTracksLookupData::CreateFromLastFMTracksRecord(record, QStringLiteral("Альбом"));
    }
    bool LookUpsEnded()
    {
        return TestEnvironment::WaitFor([this] { return FAnimations.Running.empty(); })
            && TListsEnvironment::TasksHandled();
    }
    const TCompositeAudioDataItemViewData *Placeholder(int Index) const
    {
        return dynamic_cast<const TCompositeAudioDataItemViewData *>(FData.getTrack(Index));
    }

    QMap<QString, QList<TVKAudioRecord>> FAnswers;
    TAnimationsRecorder FAnimations;
    TVKCompositeAudioData FData {Manager()};
    TListEvents FEvents {FData};
};

} // namespace

// Each row takes the answer to its own look-up: of two equal rows one
// result resolves the first, the second waits for its own; equal rows that
// are not found both end, their spinners stopped.
TEST_F(CompositeLists, EqualRowsAreEachResolvedByTheirOwnLookUp)
{
    const QPair<QString, QString> kino {QStringLiteral("Кино"), QStringLiteral("Группа крови")};
    const QPair<QString, QString> nobody {QStringLiteral("Nobody"), QStringLiteral("Nothing")};
    std::optional<TCompositeAudioDataItemState> secondAtFirstResult;
    FData.OnChanged = [&](TObject *, bool IsCurrentDataUpdated) {
        FEvents.Changes.push_back(IsCurrentDataUpdated);
        if (FEvents.Changes.size() == 2 && Placeholder(2))
            secondAtFirstResult = Placeholder(2)->State;
    };
    FData.SetTracks(Lookup({kino, nobody, kino, nobody}));
    ASSERT_EQ(FData.Count(), 4);
    EXPECT_EQ(FEvents.Changes, std::vector<bool> {false});
    EXPECT_EQ(FAnimations.Running.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(Placeholder(i), nullptr);
        EXPECT_EQ(Placeholder(i)->State, TCompositeAudioDataItemState::cdiSearching);
        EXPECT_EQ(Placeholder(i)->AlbumName, QStringLiteral("Альбом"));
        EXPECT_NE(Placeholder(i)->LoadingAnimationID, 0);
    }

    ASSERT_TRUE(LookUpsEnded());
    EXPECT_EQ(secondAtFirstResult, TCompositeAudioDataItemState::cdiSearching);
    EXPECT_EQ(FEvents.Changes, (std::vector<bool> {false, true, true, true, true}));
    for (int i : {0, 2}) {
        const auto *found = dynamic_cast<const TVKAudioTrackViewData *>(FData.getTrack(i));
        ASSERT_NE(found, nullptr) << i;
        EXPECT_EQ(found->AID, 2) << "the first record equal but for case";
        EXPECT_EQ(found->OwnerID, -10);
        EXPECT_EQ(found->Artist, QStringLiteral("Кино")) << "the row keeps the Last.fm text";
        EXPECT_EQ(found->Title, QStringLiteral("Группа крови"));
    }
    for (int i : {1, 3}) {
        ASSERT_NE(Placeholder(i), nullptr) << i;
        EXPECT_EQ(Placeholder(i)->State, TCompositeAudioDataItemState::cdiNotFound);
        EXPECT_EQ(Placeholder(i)->LoadingAnimationID, 0);
    }
    EXPECT_EQ(FAnimations.Stopped.size(), 4u);
    EXPECT_EQ(FData.TrackIndexToPlaylistIndex(0), 0);
    EXPECT_EQ(FData.TrackIndexToPlaylistIndex(1), -1);
    EXPECT_EQ(FData.TrackIndexToPlaylistIndex(2), 1);
    EXPECT_EQ(FData.GetPlaylistItemByTrackIndex(3), nullptr);
    EXPECT_EQ(FData.Playlist()->getItem(1)->AID, 2);
}

TEST_F(CompositeLists, MatchingIgnoresLetterCaseUnderTheUsersLocale)
{
    const struct
    {
        QString Artist;
        QString Title;
        int AID; // 0: not found
    } cases[] = {
        {QStringLiteral("кино"), QStringLiteral("группа крови"), 2},
        {QStringLiteral("Ёлка"), QStringLiteral("ПРОВАНС"), 5},
        {QStringLiteral("Nobody"), QStringLiteral("Nothing"), 0},
    };
    QList<QPair<QString, QString>> tracks;
    for (const auto &c : cases)
        tracks.append({c.Artist, c.Title});
    FData.SetTracks(Lookup(tracks));
    ASSERT_TRUE(LookUpsEnded());
    ASSERT_EQ(FData.Count(), 3);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(cases[i].Title.toStdString());
        const auto *found = dynamic_cast<const TVKAudioTrackViewData *>(FData.getTrack(i));
        EXPECT_EQ(found ? found->AID : 0, cases[i].AID);
        EXPECT_EQ(FData.getTrack(i)->Artist, cases[i].Artist);
        EXPECT_EQ(FData.getTrack(i)->Title, cases[i].Title);
    }
    EXPECT_EQ(QLocale::system().toLower(QStringLiteral("ЁЛКА")), QStringLiteral("ёлка"));
}

// A failed look-up ends like the others: spinner stopped, the row repainted
// with its error.
TEST_F(CompositeLists, AFailedLookUpStopsItsSpinnerAndShowsItsError)
{
    FData.SetTracks(Lookup({{QStringLiteral("Broken"), QStringLiteral("Track")}}));
    const int animation = Placeholder(0)->LoadingAnimationID;
    ASSERT_NE(animation, 0);
    ASSERT_TRUE(TestEnvironment::WaitFor([this] { return !FEvents.ItemChanges.empty(); }));
    EXPECT_EQ(FEvents.ItemChanges, std::vector<int> {0});
    EXPECT_EQ(Placeholder(0)->State, TCompositeAudioDataItemState::cdiError);
    EXPECT_EQ(Placeholder(0)->LoadingAnimationID, 0);
    EXPECT_TRUE(FAnimations.Running.empty());
    EXPECT_EQ(FAnimations.Stopped, std::vector<int> {animation});
    ASSERT_TRUE(TListsEnvironment::TasksHandled());
    EXPECT_EQ(FSite.Requests("a_load_section").size(), 1u) << "a look-up is not retried";
    EXPECT_EQ(FEvents.Changes, std::vector<bool> {false});
}

TEST_F(CompositeLists, NewTracksDropTheLookUpsStillWaiting)
{
    FData.SetTracks(Lookup(
        {{QStringLiteral("Кино"), QStringLiteral("Группа крови")}, {QStringLiteral("Ёлка"), QStringLiteral("Прованс")},
            {QStringLiteral("Кино"), QStringLiteral("Группа крови")}}));
    const std::set<int> first = FAnimations.Running;
    FData.SetTracks(Lookup({{QStringLiteral("Nobody"), QStringLiteral("Nothing")}}));
    ASSERT_EQ(FAnimations.Running.size(), 1u);
    EXPECT_FALSE(first.contains(*FAnimations.Running.begin()));
    ASSERT_TRUE(LookUpsEnded());
    ASSERT_TRUE(QueueServedEarlierRequests());
    ASSERT_EQ(FData.Count(), 1);
    EXPECT_EQ(Placeholder(0)->State, TCompositeAudioDataItemState::cdiNotFound);
    // The first old look-up may have started; then the new one and the probe.
    EXPECT_LE(FSite.Requests("a_load_section").size(), 3u);
    EXPECT_EQ(FEvents.Changes, (std::vector<bool> {false, false, true}));
}
