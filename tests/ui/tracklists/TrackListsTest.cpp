// The track lists and their rows over real data: the stand-in site's lists,
// downloads into a real saved-tracks table, and the player on the null sink.
#include "ui/tracklists/TLoadingIndicatorUnit.h"
#include "ui/tracklists/TLocalAudioListBoxUnit.h"
#include "ui/tracklists/TPlaylistListBoxUnit.h"
#include "ui/tracklists/TVKAudioListBoxUnit.h"

#include "app/helpers/TQelmPathManagerUnit.h"
#include "app/helpers/TextUtilsUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "tracks/lists/TLocalAudioDataUnit.h"
#include "tracks/lists/TSavedTracksDataSetUnit.h"
#include "tracks/lists/TVKAudioDataUnit.h"
#include "ui/StyleResourceUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"

#include "support/TestEnvironment.h"
#include "tracks/TracksTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Texts in failure messages as text.
void PrintTo(const QString &Text, std::ostream *Stream)
{
    *Stream << '"' << Text.toStdString() << '"';
}

namespace {

constexpr int RowHeight = 32;

// A list's page: a surface with its scroll bar beside it, shown offscreen.
struct TView
{
    TView(int Width, int Height) : Page(std::make_unique<QWidget>())
    {
        Page->resize(Width + 10, Height);
        Surface = new QWidget(Page.get());
        Surface->setGeometry(0, 0, Width, Height);
        SetStyleLookup(Surface, QStringLiteral("listsurfacestyle"));
        Surface->setAttribute(Qt::WA_StyledBackground);
        Bar = new QScrollBar(Qt::Vertical, Page.get());
        Bar->setGeometry(Width, 0, 10, Height);
        Page->show();
    }
    template<class TList, class TItem> TList *List(int ItemHeight = RowHeight)
    {
        auto *list = new TList(Page.get(), nullptr, PanelClassOf<TItem>(), Bar, Surface);
        list->SetItemHeight(ItemHeight);
        list->Initialize();
        return list;
    }

    std::unique_ptr<QWidget> Page;
    QWidget *Surface;
    QScrollBar *Bar;
};

// The pool panel showing row Index, or null.
template<class TItem> TItem *Row(const TDynamicListBox &List, int Index)
{
    for (auto *panel : List.ActualItems())
        if (panel->Index() == Index && !panel->isHidden())
            return static_cast<TItem *>(panel);
    return nullptr;
}

// A search list that counts its requests for more.
class TCountingSearchData : public TVKSearchAudioData
{
public:
    using TVKSearchAudioData::TVKSearchAudioData;
    int NextPages = 0;

protected:
    void DoNextPage() override
    {
        ++NextPages;
        TVKSearchAudioData::DoNextPage();
    }
};

bool IsRequested(const TCustomPlaylistItem *Item)
{
    return Item
        && (Item->EqualsTo(AudioPlayer->RequestedPlaylistItem()) || Item->EqualsTo(AudioPlayer->CurrentPlaylistItem()));
}

class TrackLists : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static bool installed = false;
        if (!installed)
            InstallStyle();
        installed = true;
    }

    void SetUp() override
    {
        ASSERT_TRUE(FStandin.IsReady());
        ASSERT_TRUE(FEnvironment.SignIn(QStringLiteral("plain@marvane.test"), QStringLiteral("plain-pass")));
        LocalizationManager = new TQelmLocalizationManager();
        LocalizationManager->SelectStartupLocalization(QStringLiteral("en"));
    }

    void TearDown() override
    {
        AudioPlayer->Stop();
        delete LocalizationManager;
        LocalizationManager = nullptr;
    }

    TVKEmulationManager &Manager() { return FEnvironment.Manager(); }

    // Searches (the whole catalogue for an empty query) and waits for AtLeast rows.
    static bool Search(TVKSearchAudioData &Data, const QString &Query, int AtLeast)
    {
        if (Query.isEmpty())
            Data.Reset();
        else
            Data.SetSearchString(Query);
        return TestEnvironment::WaitFor([&] { return Data.Count() >= AtLeast; });
    }

    static const TCustomPlaylistItem *PlaylistItem(const TAudioData &Data, int Index)
    {
        return Data.GetPlaylistItemByTrackIndex(Index);
    }

    TStandin FStandin;
    TListsEnvironment FEnvironment;
};

} // namespace

// Titles are plain text: an ampersand is shown once, as the site gave it,
// in every kind of row; the row's accessible name is the same text.
TEST_F(TrackLists, TitlesAreShownExactlyAsGiven)
{
    TVKSearchAudioData search(Manager(), 50);
    TView view(700, 200);
    auto *vkList = view.List<TVKSearchAudioListBox, TVKAudioListBoxItem>();
    vkList->SetData(&search);
    ASSERT_TRUE(Search(search, QStringLiteral("Rock & Roll"), 1));
    const QString title = search.getTrack(0)->Title;
    ASSERT_TRUE(title.contains(u'&'));
    const QString text = search.getTrack(0)->Artist + QStringLiteral(" - ") + title;
    auto *vkRow = Row<TVKAudioListBoxItem>(*vkList, 0);
    ASSERT_NE(vkRow, nullptr);
    EXPECT_EQ(vkRow->TitleLabel->text(), text);
    EXPECT_EQ(vkRow->accessibleName(), text);

    TView popup(700, 100);
    auto *playlistList = popup.List<TPlaylistListBox, TPlaylistListBoxItem>(24);
    playlistList->SetData(search.Playlist());
    auto *playlistRow = Row<TPlaylistListBoxItem>(*playlistList, 0);
    ASSERT_NE(playlistRow, nullptr);
    EXPECT_EQ(playlistRow->TitleLabel->text(), text);
    EXPECT_EQ(playlistRow->TitleLabel->width(), playlistRow->TitleLabel->sizeHint().width());
}

// The row rules of a VK list: duration, play style, the My Music button by
// list and hover, the download button or ring by the track's state.
TEST_F(TrackLists, VKRowsFollowTheirListAndTheTrackState)
{
    TVKSearchAudioData search(Manager(), 50);
    TVKUserAudioData mine(Manager(), 50);
    TView searchView(700, 160);
    TView mineView(700, 160);
    auto *searchList = searchView.List<TVKSearchAudioListBox, TVKAudioListBoxItem>();
    auto *mineList = mineView.List<TVKUserAudioListBox, TVKAudioListBoxItem>();
    searchList->SetData(&search);
    mineList->SetData(&mine);
    ASSERT_TRUE(Search(search, QString(), 50));
    mine.Reset();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return mine.Count() == 40; }));

    auto *row = Row<TVKAudioListBoxItem>(*searchList, 1);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->DurationLabel->text(), SecondsToTimeString(search.getTrack(1)->Duration));
    EXPECT_EQ(GetStyleLookup(row->PlayButton), u"playtrackButtonstyle");
    EXPECT_EQ(row->PlayButton->accessibleName(), u"Play");
    EXPECT_FALSE(row->PaintedAsPlaying());

    struct TCase
    {
        TVKAudioListBox *List;
        int Hovered;
        QString Style;
        bool Visible;
    };
    const TCase cases[] = {
        {searchList, 1, QStringLiteral("addtrackButtonstyle"), true},
        {searchList, 2, QStringLiteral("addtrackButtonstyle"), false},
        {mineList, 1, QStringLiteral("deltrackButtonstyle"), true},
        {mineList, -1, QStringLiteral("deltrackButtonstyle"), false},
    };
    for (const TCase &c : cases) {
        c.List->SetMouseInItemIndex(c.Hovered);
        auto *shown = Row<TVKAudioListBoxItem>(*c.List, 1);
        EXPECT_EQ(GetStyleLookup(shown->MyMusicButton), c.Style) << c.Hovered;
        EXPECT_EQ(!shown->MyMusicButton->isHidden(), c.Visible) << c.Hovered;
        // The title gives way to the button.
        EXPECT_LE(shown->TitleLabel->x() + shown->TitleLabel->width(),
            c.Visible ? shown->MyMusicButton->x() : shown->DurationLabel->x());
    }

    // Adding from the search list turns the button into the added mark.
    searchList->SetMouseInItemIndex(1);
    QTest::mouseClick(row->MyMusicButton, Qt::LeftButton);
    EXPECT_TRUE(
        TestEnvironment::WaitFor([&] { return GetStyleLookup(row->MyMusicButton) == u"addedtrackButtonstyle"; }));
    EXPECT_EQ(row->MyMusicButton->accessibleName(), u"Track added to My Music");

    // Deleting from My Music is the window's to confirm: without it nothing happens.
    mineList->SetMouseInItemIndex(2);
    auto *mineRow = Row<TVKAudioListBoxItem>(*mineList, 2);
    const int count = mine.Count();
    QTest::mouseClick(mineRow->MyMusicButton, Qt::LeftButton);
    std::vector<int> asked;
    mineList->OnDeleteFromMyMusic = [&](int Index) { asked.push_back(Index); };
    QTest::mouseClick(mineRow->MyMusicButton, Qt::LeftButton);
    EXPECT_EQ(asked, std::vector<int> {2});
    EXPECT_TRUE(FEnvironment.TasksHandled());
    EXPECT_EQ(mine.Count(), count);

    // The download button or the ring, by what the window says of the track.
    struct TStateCase
    {
        bool HasProc;
        TTrackState State;
        int Percent;
        bool ButtonShown;
        bool ButtonEnabled;
        bool RingShown;
    };
    const TStateCase states[] = {
        {false, tsNotFound, 0, true, false, false},
        {true, tsNotFound, 0, true, true, false},
        {true, tsLoading, 37, false, false, true},
        {true, tsSaved, 100, false, false, true},
    };
    std::vector<std::pair<int, int>> askedFor;
    for (const TStateCase &c : states) {
        askedFor.clear();
        searchList->SetGetTrackStateRequestProc(c.HasProc
                ? TGetTrackStateRequestProc([&](int AID, int OwnerID, TTrackState &State, int &Percent) {
                      askedFor.emplace_back(AID, OwnerID);
                      State = c.State;
                      Percent = c.Percent;
                  })
                : TGetTrackStateRequestProc());
        searchList->RepaintActualItems();
        const auto &track = *searchList->VKTrack(1);
        EXPECT_EQ(!row->DownloadButton->isHidden(), c.ButtonShown) << c.State;
        if (c.ButtonShown) {
            EXPECT_EQ(row->DownloadButton->isEnabled(), c.ButtonEnabled) << c.State;
        }
        EXPECT_EQ(!row->LoadingIndicator->isHidden(), c.RingShown) << c.State;
        if (c.RingShown) {
            EXPECT_EQ(row->LoadingIndicator->Value(), c.Percent);
        }
        const bool askedForThisTrack
            = std::find(askedFor.begin(), askedFor.end(), std::pair(track.AID, track.OwnerID)) != askedFor.end();
        EXPECT_EQ(askedForThisTrack, c.HasProc) << c.State;
    }
    EXPECT_EQ(row->DownloadButton->accessibleName(), u"Download track");

    // RepaintItemByAID reaches a row away from the top.
    searchView.Bar->setValue(searchView.Bar->maximum());
    const int last = search.Count() - 1;
    auto *lastRow = Row<TVKAudioListBoxItem>(*searchList, last);
    ASSERT_NE(lastRow, nullptr);
    searchList->SetGetTrackStateRequestProc([&](int AID, int, TTrackState &State, int &Percent) {
        State = AID == searchList->VKTrack(last)->AID ? tsLoading : tsNotFound;
        Percent = 64;
    });
    searchList->RepaintItemByAID(searchList->VKTrack(last)->AID);
    EXPECT_FALSE(lastRow->LoadingIndicator->isHidden());
    EXPECT_EQ(lastRow->LoadingIndicator->Value(), 64);
}

// The row's play button and a click on the row both play it; the playing
// row shows "connecting..." and then the time left, and its button pauses.
TEST_F(TrackLists, PlayingRowShowsConnectionAndTimeLeft)
{
    TVKSearchAudioData search(Manager(), 50);
    TView view(700, 200);
    auto *list = view.List<TVKSearchAudioListBox, TVKAudioListBoxItem>();
    list->SetData(&search);
    ASSERT_TRUE(Search(search, QString(), 50));
    auto *row = Row<TVKAudioListBoxItem>(*list, 2);
    ASSERT_NE(row, nullptr);

    QString connectingText;
    QString connectingStyle;
    AudioPlayer->OnConnectionStart = [&](TObject *) {
        list->RepaintPlayingItem();
        connectingText = row->DurationLabel->text();
        connectingStyle = GetStyleLookup(row->PlayButton);
    };
    QTest::mouseClick(row->PlayButton, Qt::LeftButton);
    EXPECT_TRUE(IsRequested(PlaylistItem(search, 2)));
    ASSERT_TRUE(TestEnvironment::WaitFor([] { return AudioPlayer->State() == TAudioPlayerState::psPlaying; }));
    AudioPlayer->OnConnectionStart = nullptr;
    EXPECT_EQ(connectingText, u"connecting...");
    EXPECT_EQ(connectingStyle, u"pausetrackButtonstyle");

    list->RepaintPlayingItem();
    EXPECT_TRUE(row->PaintedAsPlaying());
    EXPECT_EQ(GetStyleLookup(row->PlayButton), u"pausetrackButtonstyle");
    EXPECT_EQ(row->DurationLabel->text(),
        SecondsToRemainingTimeString(search.getTrack(2)->Duration, AudioPlayer->PlayingPosition()));
    EXPECT_TRUE(row->DurationLabel->text().startsWith(u'-'));
    EXPECT_EQ(GetStyleLookup(row->TitleLabel), u"playingtracktextstyle");
    EXPECT_EQ(row->PlayButton->accessibleName(), u"Pause");
    EXPECT_TRUE(row->accessibleName().endsWith(QStringLiteral(", playing")));

    // The playing row's button pauses and resumes.
    QTest::mouseClick(row->PlayButton, Qt::LeftButton);
    EXPECT_EQ(AudioPlayer->State(), TAudioPlayerState::psPaused);
    list->RepaintPlayingItem();
    EXPECT_EQ(GetStyleLookup(row->PlayButton), u"playtrackButtonstyle");
    EXPECT_EQ(GetStyleLookup(row->TitleLabel), u"tracktextstyle");
    EXPECT_TRUE(row->accessibleName().endsWith(QStringLiteral(", paused")));

    // A click on another row plays that one; the old row is painted plain again.
    auto *other = Row<TVKAudioListBoxItem>(*list, 4);
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_EQ(list->ActiveItemIndex(), 4);
    EXPECT_TRUE(IsRequested(PlaylistItem(search, 4)));
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return list->IsPlayingItem(4); }));
    list->RepaintPlayingItem();
    EXPECT_TRUE(other->PaintedAsPlaying());
    EXPECT_FALSE(row->PaintedAsPlaying());
    EXPECT_EQ(row->DurationLabel->text(), SecondsToTimeString(search.getTrack(2)->Duration));
}

// Enter on the focused list plays its active row; the active row shows a
// frame while the list has the focus.
TEST_F(TrackLists, EnterPlaysTheActiveRowOfTheFocusedList)
{
    TVKSearchAudioData search(Manager(), 50);
    TView view(700, 200);
    auto *list = view.List<TVKSearchAudioListBox, TVKAudioListBoxItem>();
    list->SetData(&search);
    ASSERT_TRUE(Search(search, QString(), 50));
    // Scrolled by less than a row: the first row in view is row 0.
    view.Bar->setValue(10);
    QApplication::setActiveWindow(view.Page.get());
    // The surface took the focus when its page was shown, before it had rows.
    view.Surface->clearFocus();
    view.Surface->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return view.Surface->hasFocus(); }));
    const auto frame = [&](int Index) {
        auto *row = Row<TVKAudioListBoxItem>(*list, Index);
        return row->grab().toImage().pixelColor(0, RowHeight / 2);
    };
    // Reached by the keyboard, the list shows its first row in view as active.
    EXPECT_EQ(list->ActiveItemIndex(), 0);
    EXPECT_EQ(frame(0), StyleColor(TStyleColor::Accent));

    QTest::keyClick(view.Surface, Qt::Key_Down);
    ASSERT_EQ(list->ActiveItemIndex(), 1);
    EXPECT_NE(frame(0), StyleColor(TStyleColor::Accent));
    EXPECT_EQ(frame(1), StyleColor(TStyleColor::Accent));
    EXPECT_NE(frame(2), StyleColor(TStyleColor::Accent));

    QTest::keyClick(view.Surface, Qt::Key_Return);
    EXPECT_TRUE(IsRequested(PlaylistItem(search, 1)));
    QTest::keyClick(view.Surface, Qt::Key_Down);
    QTest::keyClick(view.Surface, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(IsRequested(PlaylistItem(search, 2)));

    view.Surface->clearFocus();
    EXPECT_NE(frame(2), StyleColor(TStyleColor::Accent));
}

// The next page is asked for once when a scroll lands exactly on the end,
// and not one pixel short of it.
TEST_F(TrackLists, ScrollingToTheEndAsksForTheNextPageOnce)
{
    TCountingSearchData search(Manager(), 50);
    TView view(700, 160);
    auto *list = view.List<TVKSearchAudioListBox, TVKAudioListBoxItem>();
    list->SetData(&search);
    ASSERT_TRUE(Search(search, QString(), 50));
    ASSERT_TRUE(view.Bar->isEnabled());
    EXPECT_EQ(search.NextPages, 0);
    view.Bar->setValue(view.Bar->maximum() - 1);
    EXPECT_EQ(search.NextPages, 0);
    view.Bar->setValue(view.Bar->maximum());
    EXPECT_EQ(search.NextPages, 1);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return search.Count() == 100; }));
    // The new page keeps the scroll position, which is no longer the end.
    EXPECT_LT(view.Bar->value(), view.Bar->maximum());
    EXPECT_EQ(search.NextPages, 1);
}

// A page that does not fill the list leaves no end to scroll to: the list
// asks for more by itself, once per page, and stops when a page brings
// nothing new.
TEST_F(TrackLists, AListThePagesDoNotFillAsksForMoreOnce)
{
    struct TCase
    {
        QString Query;
        int PageSize;
        int Rows; // the surface's height in rows
        int Pages; // requests for more expected
        bool Fills;
    };
    const TCase cases[] = {
        // The site's pages are 50 rows: 50, 100, then 150 rows; only the last fills 110 rows of surface.
        {QString(), 50, 110, 2, true},
        // Fewer tracks than a page: one request, which brings nothing.
        {QStringLiteral("Rock & Roll"), 50, 110, 1, false},
    };
    for (const TCase &c : cases) {
        TCountingSearchData search(Manager(), c.PageSize);
        TView view(700, c.Rows * RowHeight);
        auto *list = view.List<TVKSearchAudioListBox, TVKAudioListBoxItem>();
        list->SetData(&search);
        int changes = 0;
        search.OnChanged = [&changes, listChanged = search.OnChanged](TObject *Sender, bool IsCurrentDataUpdated) {
            listChanged(Sender, IsCurrentDataUpdated);
            ++changes;
        };
        ASSERT_TRUE(Search(search, c.Query, 1));
        // Each request for more ends in a change, the last one bringing what fills or nothing.
        ASSERT_TRUE(TestEnvironment::WaitFor([&] { return changes == c.Pages + 1; }))
            << c.Query.toStdString() << ": " << changes << " changes, " << search.NextPages << " asked, "
            << search.Count() << " rows";
        EXPECT_EQ(search.NextPages, c.Pages) << c.Query.toStdString();
        EXPECT_EQ(list->TotalItemsHeight() > view.Surface->height(), c.Fills) << c.Query.toStdString();
        if (!c.Fills) {
            EXPECT_LT(search.Count(), c.PageSize);
        }
        // Repaints ask for nothing more.
        list->RepaintActualItems();
        view.Surface->resize(view.Surface->width(), view.Surface->height() - 1);
        view.Surface->resize(view.Surface->width(), view.Surface->height() + 1);
        EXPECT_EQ(search.NextPages, c.Pages) << c.Query.toStdString();
    }
}

// Placeholder rows of a metadata page (tracks the site lacks): 00:00, a
// disabled download button, no My Music button, and a click plays nothing.
TEST_F(TrackLists, CompositePlaceholderRowsPlayNothing)
{
    TVKCompositeAudioData data(Manager());
    QWidget page;
    page.resize(700, 100);
    auto *container = new QWidget(&page);
    container->setGeometry(0, 0, 700, 100);
    page.show();
    auto *list = new TMetaVKCompositeAudioListBox(&page, nullptr, container);
    list->SetData(&data);
    TCompositeTracksLookupData lookups;
    lookups.FTracks.append({QStringLiteral("Nobody Known"), QString(), QStringLiteral("No Such Song 7f3a")});
    data.SetTracks(lookups);
    ASSERT_TRUE(TestEnvironment::WaitFor([&] {
        const auto *item = dynamic_cast<const TCompositeAudioDataItemViewData *>(data.getTrack(0));
        return item && item->State == TCompositeAudioDataItemState::cdiNotFound;
    }));
    auto *row = Row<TVKCompositeAudioListBoxItem>(*list, 0);
    ASSERT_NE(row, nullptr);
    list->SetMouseInItemIndex(0);
    EXPECT_EQ(row->DurationLabel->text(), u"00:00");
    EXPECT_FALSE(row->DownloadButton->isHidden());
    EXPECT_FALSE(row->DownloadButton->isEnabled());
    EXPECT_TRUE(row->MyMusicButton->isHidden());
    EXPECT_TRUE(row->PlayButton->isHidden());
    EXPECT_FALSE(row->UnavailableTrackIndicator->isHidden());
    EXPECT_EQ(row->UnavailableTrackIndicator->property(HintProperty).toString(), u"Track not found in VK database");
    EXPECT_EQ(row->TitleLabel->text(), u"Nobody Known - No Such Song 7f3a");

    QTest::mouseClick(row, Qt::LeftButton);
    EXPECT_EQ(AudioPlayer->RequestedPlaylistItem(), nullptr);
    EXPECT_EQ(AudioPlayer->CurrentPlaylistItem(), nullptr);
    EXPECT_EQ(AudioPlayer->State(), TAudioPlayerState::psStopped);
}

// Row names and button names follow a change of language.
TEST_F(TrackLists, AccessibleNamesFollowTheLanguage)
{
    TVKSearchAudioData search(Manager(), 50);
    TView view(700, 100);
    auto *list = view.List<TVKSearchAudioListBox, TVKAudioListBoxItem>();
    list->SetData(&search);
    list->SetGetTrackStateRequestProc([](int, int, TTrackState &State, int &) { State = tsNotFound; });
    ASSERT_TRUE(Search(search, QString(), 50));
    auto *row = Row<TVKAudioListBoxItem>(*list, 0);
    EXPECT_EQ(row->PlayButton->accessibleName(), u"Play");
    EXPECT_EQ(row->DownloadButton->accessibleName(), u"Download track");
    LocalizationManager->SetActiveLCID(1049);
    EXPECT_EQ(row->PlayButton->accessibleName(), QStringLiteral("Воспроизвести"));
    EXPECT_EQ(row->DownloadButton->accessibleName(), QStringLiteral("Скачать трек"));
    EXPECT_EQ(row->accessibleName(), search.getTrack(0)->Artist + QStringLiteral(" - ") + search.getTrack(0)->Title);
}

// The Downloads tab over real downloads into a fresh table.
class DownloadsList : public TrackLists
{
protected:
    void SetUp() override
    {
        TrackLists::SetUp();
        ASSERT_TRUE(FMusic.isValid());
        GetInstance<TQelmSettings>()->SetCustomMusicFolderFlag(true);
        GetInstance<TQelmSettings>()->SetCustomMusicFolderPath(FMusic.path());
        QDir().mkpath(GetProgramDataFolderPath());
        ASSERT_TRUE(QFile::copy(QStringLiteral(MARVANE_EMPTY_DB), GetSavedTracksDBPath()));
        QFile(GetSavedTracksDBPath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        FDataSet = std::make_unique<TSavedTracksDataSet>(GetSavedTracksDBPath());
        FData = std::make_unique<TLocalAudioData>(Manager(), *FDataSet);
    }

    void TearDown() override
    {
        AudioPlayer->Stop();
        FData.reset();
        FDataSet.reset();
        TrackLists::TearDown();
    }

    // Downloads a stand-in tone as Artist - Title and waits until it is saved.
    bool Download(int AID, const QString &Title)
    {
        TVKAudioRecord record;
        record.AID = AID;
        record.OwnerID = 3001;
        record.Artist = QStringLiteral("Tone");
        record.Title = Title;
        record.Duration = 3;
        record.URL = FStandin.WebURL() + QStringLiteral("/audio/tone-3s.mp3");
        const int count = FData->Count();
        FData->DownloadTrack(TVKAudioPlaylistItem(record));
        return TestEnvironment::WaitFor([&] {
            return FData->Count() == count + 1 && FData->FindTrackByAID(AID, 3001) >= 0
                && FData->IsSavedTrack(FData->FindTrackByAID(AID, 3001));
        });
    }

    QTemporaryDir FMusic;
    std::unique_ptr<TSavedTracksDataSet> FDataSet;
    std::unique_ptr<TLocalAudioData> FData;
};

// Hovering a row trades its ring for the delete button, which is half
// transparent and does nothing on the playing row; deleting is the
// window's to confirm.
TEST_F(DownloadsList, HoverDeleteAndExploreFollowTheRow)
{
    TView view(700, 160);
    auto *list = view.List<TLocalAudioListBox, TLocalAudioListBoxItem>();
    list->SetData(FData.get());
    ASSERT_TRUE(Download(1, QStringLiteral("Rock & Roll")));
    ASSERT_TRUE(Download(2, QStringLiteral("Second")));
    // Newest first.
    const int playing = FData->FindTrackByAID(1, 3001);
    const int other = FData->FindTrackByAID(2, 3001);
    auto *playingRow = Row<TLocalAudioListBoxItem>(*list, playing);
    auto *otherRow = Row<TLocalAudioListBoxItem>(*list, other);
    ASSERT_NE(playingRow, nullptr);
    ASSERT_NE(otherRow, nullptr);
    EXPECT_EQ(playingRow->TitleLabel->text(), u"Tone - Rock & Roll");
    EXPECT_EQ(playingRow->LoadingIndicator->Value(), 100);
    EXPECT_EQ(playingRow->LoadingIndicator->accessibleName(), u"Track downloaded");

    QTest::mouseClick(playingRow->PlayButton, Qt::LeftButton);
    ASSERT_EQ(AudioPlayer->State(), TAudioPlayerState::psPlaying);
    list->RepaintPlayingItem();
    EXPECT_TRUE(playingRow->PaintedAsPlaying());
    EXPECT_EQ(GetStyleLookup(playingRow->PlayButton), u"pausetrackButtonstyle");
    EXPECT_EQ(playingRow->accessibleName(), u"Tone - Rock & Roll, playing, downloaded");
    EXPECT_EQ(otherRow->accessibleName(), u"Tone - Second, downloaded");

    struct TCase
    {
        int Hovered;
        TLocalAudioListBoxItem *Row;
        bool DeleteShown;
        qreal DeleteOpacity;
        qreal RingOpacity;
        bool ExploreShown;
    };
    const TCase cases[] = {
        {-1, playingRow, false, 0.5, 1, false},
        {playing, playingRow, true, 0.5, 0, true},
        {other, otherRow, true, 1, 0, true},
        {other, playingRow, false, 0.5, 1, false},
    };
    for (const TCase &c : cases) {
        list->SetMouseInItemIndex(c.Hovered);
        EXPECT_EQ(!c.Row->DeleteButton->isHidden(), c.DeleteShown) << c.Hovered;
        if (c.DeleteShown) {
            EXPECT_EQ(c.Row->DeleteButtonOpacity(), c.DeleteOpacity) << c.Hovered;
        }
        EXPECT_EQ(c.Row->LoadingIndicator->Opacity(), c.RingOpacity) << c.Hovered;
        EXPECT_EQ(c.Row->LoadingIndicator->testAttribute(Qt::WA_TransparentForMouseEvents), c.RingOpacity == 0);
        EXPECT_EQ(!c.Row->ExploreButton->isHidden(), c.ExploreShown) << c.Hovered;
        EXPECT_EQ(c.Row->ExploreButton->isEnabled(), c.ExploreShown) << c.Hovered;
    }

    std::vector<int> asked;
    list->SetMouseInItemIndex(other);
    QTest::mouseClick(otherRow->DeleteButton, Qt::LeftButton);
    EXPECT_EQ(FData->Count(), 2) << "without the window's callback nothing is deleted";
    list->OnDeleteTrack = [&](int Index) { asked.push_back(Index); };
    QTest::mouseClick(otherRow->DeleteButton, Qt::LeftButton);
    list->SetMouseInItemIndex(playing);
    QTest::mouseClick(playingRow->DeleteButton, Qt::LeftButton);
    EXPECT_EQ(asked, std::vector<int> {other});
    EXPECT_EQ(FData->Count(), 2);
}

// Centring the playing row of the playlist pop-up: only when the rows are
// taller than the view, and never past either end.
TEST_F(DownloadsList, FocusOnPlayingItemCentresWithinTheScrollRange)
{
    ASSERT_TRUE(Download(1, QStringLiteral("Tone")));
    const TSavedTrackRecord saved = FData->getSavedTrack(0);
    constexpr int ItemHeight = 24;
    struct TCase
    {
        int Count;
        int Playing;
        int Rows; // the view's height in rows
        int Value; // -1: the maximum
    };
    const TCase cases[] = {
        {10, 5, 10, 0}, // exactly fills the view
        {4, 3, 10, 0}, // shorter than the view
        {40, 20, 10, 20 * ItemHeight - 4 * ItemHeight - ItemHeight / 2},
        {40, 1, 10, 0},
        {40, 39, 10, -1},
    };
    std::uint32_t tag = 9000;
    for (const TCase &c : cases) {
        TAudioPlaylist playlist;
        // Other contents, so the player takes a copy.
        playlist.Tag = ++tag;
        for (int i = 0; i < c.Count; ++i) {
            TSavedTrackRecord record = saved;
            record.AID = 100 + i;
            record.Title = QStringLiteral("Tone %1").arg(i);
            playlist.Add(std::make_unique<TLocalVKAudioPlaylistItem>(record));
        }
        TView view(400, c.Rows * ItemHeight);
        auto *list = view.List<TPlaylistListBox, TPlaylistListBoxItem>(ItemHeight);
        AudioPlayer->SetPlaylist(&playlist);
        list->SetData(AudioPlayer->Playlist());
        AudioPlayer->Play(c.Playing);
        ASSERT_EQ(AudioPlayer->CurrentPlaylistIndex(), c.Playing);
        list->FocusOnPlayingItem();
        const int wanted = c.Value < 0 ? view.Bar->maximum() : c.Value;
        EXPECT_EQ(view.Bar->value(), wanted) << c.Count << " rows, playing " << c.Playing;
        auto *row = Row<TPlaylistListBoxItem>(*list, c.Playing);
        ASSERT_NE(row, nullptr) << c.Count;
        EXPECT_GE(row->y(), 0);
        EXPECT_LE(row->y() + row->height(), view.Surface->height());
        list->RepaintPlayingItem();
        EXPECT_TRUE(row->PaintedAsPlaying());
        list->SetData(nullptr);
    }
}

// The ring takes 0..100 only.
TEST_F(TrackLists, LoadingIndicatorTakesPercentsOnly)
{
    QWidget page;
    TLoadingIndicator indicator(&page);
    struct TCase
    {
        int Given;
        int Kept;
    };
    const TCase cases[] = {{37, 37}, {-1, 37}, {101, 37}, {100, 100}, {0, 0}};
    for (const TCase &c : cases) {
        indicator.SetValue(c.Given);
        EXPECT_EQ(indicator.Value(), c.Kept) << c.Given;
    }
    indicator.SetValue(37);
    EXPECT_EQ(indicator.accessibleName(), u"37%");
    EXPECT_FALSE(indicator.grab().toImage().isNull());
}
