// The VK lists against the stand-in site, signed in as plain@marvane.test (1001).
#include "tracks/lists/TVKAudioDataUnit.h"

#include "playback/TAudioPlayerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/VKEmulationAudioUnit.h"

#include "tracks/TracksTestSupport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <gtest/gtest.h>

namespace {

constexpr int PageSize = 50;

class StandinLists : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FStandin.IsReady());
        ASSERT_TRUE(FEnvironment.SignIn(QStringLiteral("plain@marvane.test"), QStringLiteral("plain-pass")));
        ASSERT_EQ(Manager().UserID(), 1001);
    }

    TVKEmulationManager &Manager() { return FEnvironment.Manager(); }
    // How many tracks the site holds for Query.
    int TotalCount(const QString &Query)
    {
        const QString page = LoadSearchSection(*Manager().CookieManager(), Query, 1001, 0);
        return QJsonDocument::fromJson(page.toUtf8()).object().value(QStringLiteral("totalCount")).toInt(-1);
    }
    static QStringList Titles(const TAudioData &Data)
    {
        QStringList titles;
        for (int i = 0; i < Data.Count(); ++i)
            titles.append(Data.getTrack(i)->Title);
        return titles;
    }
    static const TVKAudioTrackViewData &VKTrack(const TAudioData &Data, int Index)
    {
        return dynamic_cast<const TVKAudioTrackViewData &>(*Data.getTrack(Index));
    }
    using TTrackIDs = std::vector<std::pair<int, int>>; // owner and AID
    static TTrackIDs TrackIDs(const TAudioData &Data)
    {
        TTrackIDs ids;
        for (int i = 0; i < Data.Count(); ++i)
            ids.emplace_back(VKTrack(Data, i).OwnerID, VKTrack(Data, i).AID);
        return ids;
    }
    // The site's first Pages pages of search results, as it sends them.
    TTrackIDs SitePages(const QString &Query, int Pages)
    {
        TTrackIDs ids;
        for (int page = 0; page < Pages; ++page)
            for (const TVKAudioRecord &record :
                ParseAudioList(LoadSearchSection(*Manager().CookieManager(), Query, 1001, int(ids.size()))))
                ids.emplace_back(record.OwnerID, record.AID);
        return ids;
    }

    TStandin FStandin;
    TListsEnvironment FEnvironment;
};

} // namespace

// The account's list holds the catalogue tracks whose titles carry HTML
// references and Cyrillic text; they arrive decoded, as a reader sees them.
TEST_F(StandinLists, MyMusicArrivesWholeWithItsTextIntact)
{
    TVKUserAudioData mine(Manager(), PageSize);
    TListEvents events(mine);
    mine.Reset();
    ASSERT_TRUE(events.WaitForChanges(1));
    ASSERT_EQ(mine.Count(), 40);
    ASSERT_EQ(mine.Playlist()->Count(), 40);
    for (int i = 0; i < mine.Count(); ++i) {
        EXPECT_EQ(VKTrack(mine, i).OwnerID, 1001);
        EXPECT_EQ(mine.Playlist()->getItem(i)->Title, mine.getTrack(i)->Title);
    }
    const QStringList titles = Titles(mine);
    for (const QString &title : {QStringLiteral("Rock & Roll; Live"), QStringLiteral("Тишина\u00A0(Remix)"),
             QStringLiteral("\"Ёлка\" — версия 2"), QStringLiteral("Don't Stop"), QStringLiteral("<Интро>"),
             QStringLiteral("\U0001F600 Улыбка"), QStringLiteral("Сказка ABC"), QStringLiteral("Live & Unplugged"),
             QStringLiteral("Q&A; часть 1"), QStringLiteral("Ночной город")})
        EXPECT_TRUE(titles.contains(title)) << title.toStdString();
    EXPECT_EQ(mine.getTrack(0)->Artist, QStringLiteral("Северные Огни"));
    EXPECT_EQ(mine.getTrack(mine.Count() - 1)->Artist, QStringLiteral("Белый Шум"));
}

// A page after the first is appended to the same list; a first page replaces
// the rows, and only a new search string makes it another list (a new tag,
// which the player does not take for an update of the list it plays).
TEST_F(StandinLists, SearchPagesAppendOrReplaceAndRunToTheEnd)
{
    TVKSearchAudioData search(Manager(), PageSize);
    TListEvents events(search);
    search.Reset();
    ASSERT_TRUE(events.WaitForChanges(1));
    ASSERT_EQ(search.Count(), PageSize);
    AudioPlayer->SetPlaylist(search.Playlist());
    const std::uint32_t tag = search.Playlist()->Tag;
    const QStringList firstPage = Titles(search);
    EXPECT_EQ(firstPage.first(), QStringLiteral("Rock & Roll; Live"));
    EXPECT_TRUE(firstPage.contains(QStringLiteral("\"Ёлка\" — версия 2")));

    search.NextPage();
    ASSERT_TRUE(events.WaitForChanges(2));
    ASSERT_EQ(search.Count(), 2 * PageSize);
    EXPECT_EQ(Titles(search).mid(0, PageSize), firstPage);
    EXPECT_EQ(search.Playlist()->Tag, tag);
    EXPECT_EQ(AudioPlayer->Playlist()->Count(), 2 * PageSize) << "the player's copy follows";

    search.Reset();
    ASSERT_TRUE(events.WaitForChanges(3));
    EXPECT_EQ(Titles(search), firstPage);
    EXPECT_EQ(search.Playlist()->Tag, tag);

    search.SetSearchString(QStringLiteral("город"));
    ASSERT_TRUE(events.WaitForChanges(4));
    EXPECT_NE(search.Playlist()->Tag, tag);
    EXPECT_EQ(AudioPlayer->Playlist()->Count(), PageSize) << "the player keeps the list it plays";
    const int total = TotalCount(QStringLiteral("город"));
    ASSERT_GT(total, PageSize);
    ASSERT_LE(total, 2 * PageSize);
    search.NextPage();
    ASSERT_TRUE(events.WaitForChanges(5));
    search.NextPage();
    ASSERT_TRUE(events.WaitForChanges(6));
    EXPECT_EQ(events.Changes, (std::vector<bool> {true, true, true, false, true, true}));

    ASSERT_EQ(search.Count(), total) << "the end of the results adds nothing";
    QSet<QPair<int, int>> tracks;
    for (int i = 0; i < search.Count(); ++i) {
        EXPECT_TRUE(search.getTrack(i)->Artist.contains(QStringLiteral("город"), Qt::CaseInsensitive)
            || search.getTrack(i)->Title.contains(QStringLiteral("город"), Qt::CaseInsensitive));
        tracks.insert({VKTrack(search, i).OwnerID, VKTrack(search, i).AID});
    }
    EXPECT_EQ(tracks.size(), total);
    EXPECT_EQ(search.Playlist()->Count(), total);
}

struct TRefreshCase
{
    const char *Query;
    int PageSize; // the list's; the site's is 50 whatever the list asks
    int Pages;
};

class StandinRefresh : public StandinLists, public ::testing::WithParamInterface<TRefreshCase>
{
};

// Each page starts where the rows shown end, and a refresh brings back every
// page shown, in one change of the same list (the player keeps playing it).
TEST_P(StandinRefresh, BringsBackEveryPageShown)
{
    const QString query = QString::fromUtf8(GetParam().Query);
    const int pages = GetParam().Pages;
    TVKSearchAudioData search(Manager(), GetParam().PageSize);
    TListEvents events(search);
    int results = 0; // the first of the web client's life is not told
    search.OnSearchResult = [&results](TObject *) { ++results; };
    if (query.isEmpty())
        search.Reset();
    else
        search.SetSearchString(query);
    ASSERT_TRUE(events.WaitForChanges(1));
    for (int page = 1; page < pages; ++page) {
        search.NextPage();
        ASSERT_TRUE(events.WaitForChanges(std::size_t(page + 1)));
    }
    const TTrackIDs shown = TrackIDs(search);
    ASSERT_EQ(shown, SitePages(query, pages));
    ASSERT_GT(shown.size(), std::size_t(PageSize));
    const std::uint32_t tag = search.Playlist()->Tag;

    search.Refresh();
    ASSERT_TRUE(events.WaitForChanges(std::size_t(pages + 1)));
    ASSERT_TRUE(TestEnvironment::WaitFor(TListsEnvironment::TasksHandled));
    EXPECT_EQ(TrackIDs(search), shown);
    EXPECT_EQ(events.Changes.size(), std::size_t(pages + 1)) << "the rows change once, when all pages are in";
    EXPECT_TRUE(events.Changes.back());
    EXPECT_EQ(search.Playlist()->Tag, tag);
    EXPECT_EQ(search.Playlist()->Count(), int(shown.size()));
    EXPECT_EQ(results, pages) << "a refresh is one result, whatever its pages";

    // And the list goes on from there.
    search.NextPage();
    ASSERT_TRUE(events.WaitForChanges(std::size_t(pages + 2)));
    EXPECT_EQ(TrackIDs(search), SitePages(query, pages + 1));
}

INSTANTIATE_TEST_SUITE_P(PageSizes, StandinRefresh,
    ::testing::Values(
        TRefreshCase {"", 50, 3}, TRefreshCase {"", 20, 3}, TRefreshCase {"", 80, 2}, TRefreshCase {"город", 50, 2}));

// Catalogue owners share AIDs: the added track's own row animates, and the
// copy joins the user's list at the top.
TEST_F(StandinLists, AnAddedTrackAnimatesItsOwnRowAndJoinsMyMusic)
{
    TVKSearchAudioData search(Manager(), PageSize);
    TVKUserAudioData mine(Manager(), PageSize);
    TAnimationsRecorder searchAnimations, mineAnimations;
    searchAnimations.Connect(search.Animations);
    mineAnimations.Connect(mine.Animations);
    TListEvents searchEvents(search), mineEvents(mine);
    search.Reset();
    mine.Reset();
    ASSERT_TRUE(searchEvents.WaitForChanges(1));
    ASSERT_TRUE(mineEvents.WaitForChanges(1));

    int first = -1, added = -1;
    for (int j = 0; j < search.Count() && added < 0; ++j)
        for (int i = 0; i < j && added < 0; ++i)
            if (VKTrack(search, i).AID == VKTrack(search, j).AID) {
                first = i;
                added = j;
            }
    ASSERT_GE(added, 0) << "the first page has two owners' tracks with one AID";
    const TVKAudioTrackViewData source = VKTrack(search, added);
    EXPECT_EQ(search.IndexByAID(source.OwnerID, source.AID), added);
    EXPECT_FALSE(search.IsTrackAddedToMyMusic(added));

    search.AddToMyMusic(added);
    ASSERT_TRUE(mineEvents.WaitForChanges(2));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return !searchEvents.ItemChanges.empty(); }));
    EXPECT_EQ(searchEvents.ItemChanges, std::vector<int> {added});
    EXPECT_NE(VKTrack(search, added).AddTrackAnimationID, 0);
    EXPECT_EQ(VKTrack(search, first).AddTrackAnimationID, 0);
    EXPECT_TRUE(search.IsTrackAddedToMyMusic(added));
    EXPECT_FALSE(search.IsTrackAddedToMyMusic(first));

    ASSERT_EQ(mine.Count(), 41);
    EXPECT_TRUE(mineEvents.Changes[1]);
    EXPECT_EQ(VKTrack(mine, 0).OwnerID, 1001);
    EXPECT_EQ(VKTrack(mine, 0).Title, source.Title);
    EXPECT_EQ(mine.Playlist()->getItem(0)->Title, source.Title);
    EXPECT_TRUE(mineAnimations.Stopped.empty() && mineAnimations.Running.empty()) << "no animation in the own list";

    // A removal confirmed by the site takes the row away.
    const TVKAudioTrackViewData removed = VKTrack(mine, 5);
    mine.DeleteFromMyMusic(5);
    ASSERT_TRUE(mineEvents.WaitForChanges(3));
    EXPECT_EQ(mine.Count(), 40);
    EXPECT_EQ(mine.IndexByAID(1001, removed.AID), -1);
    EXPECT_EQ(mine.Playlist()->Count(), 40);

    // The copy just added carries its own hashes: it can be removed at once.
    const int copy = VKTrack(mine, 0).AID;
    mine.DeleteFromMyMusic(0);
    ASSERT_TRUE(mineEvents.WaitForChanges(4));
    EXPECT_EQ(mine.IndexByAID(1001, copy), -1);
}

// A Last.fm list looked up on the site: a catalogue track in other letter
// case is found and becomes playable, an unknown one is not found.
TEST_F(StandinLists, LastFMTracksAreMatchedToTheSitesTracks)
{
    TVKAudioRecord known;
    for (const TVKAudioRecord &record : ParseAudioList(LoadAudioList(*Manager().CookieManager(), 1001, -2)))
        if (!(record.Artist + record.Title).contains(u'&') && !record.Title.isEmpty()) {
            known = record;
            break;
        }
    ASSERT_FALSE(known.Title.isEmpty());
    TCompositeTracksLookupData tracks;
    tracks.FTracks = {{known.Artist.toUpper(), QStringLiteral("Album"), known.Title.toLower()},
        {QStringLiteral("Nobody Known"), QStringLiteral("Album"), QStringLiteral("No Such Song")}};
    TVKCompositeAudioData matched(Manager());
    matched.SetTracks(tracks);
    const auto state = [&](int Index) {
        const auto *row = dynamic_cast<const TCompositeAudioDataItemViewData *>(matched.getTrack(Index));
        return row ? row->State : TCompositeAudioDataItemState::cdiPending;
    };
    ASSERT_TRUE(TestEnvironment::WaitFor(
        [&] {
            return matched.TrackIndexToPlaylistIndex(0) == 0 && state(1) == TCompositeAudioDataItemState::cdiNotFound;
        },
        std::chrono::seconds(20)));
    EXPECT_EQ(VKTrack(matched, 0).Duration, known.Duration);
    EXPECT_EQ(VKTrack(matched, 0).Title, known.Title.toLower()) << "the row keeps the Last.fm text";
    EXPECT_EQ(matched.Playlist()->Count(), 1);
}
