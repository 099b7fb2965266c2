// The artist and album pages, the search lists and the moves between them,
// offscreen over real blocks against the stand-in's Last.fm host.
#include "metadata/views/TCoverImageDataViewUnit.h"
#include "metadata/views/TLastFMSearchListBoxUnit.h"
#include "metadata/views/TMetaDataContentCoverUnit.h"
#include "metadata/views/TMetaDataListViewsUnit.h"
#include "metadata/views/TMetaDataNavigateTagsUnit.h"
#include "metadata/views/TMetaDataPageViewsUnit.h"
#include "metadata/views/TMetaDataViewsManagerUnit.h"

#include "foundation/THierarchicalSingletonUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "metadata/pages/TAlbumDataUnit.h"
#include "metadata/pages/TArtistDataUnit.h"
#include "tracks/lists/TVKAudioDataUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/StyledControlsUnit.h"
#include "ui/animations/TVirtualShapeAnimationUnit.h"
#include "ui/tracklists/TVKAudioListBoxUnit.h"
#include "ui/wrappers/TMetaDataBlockExpanderWrapperUnit.h"

#include "metadata/MetaDataTestSupport.h"
#include "support/TestHTTPServer.h"
#include "ui/UiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

const QString Northern = QStringLiteral("Северные Огни");

// The main window's empty places, in a window of its own.
struct TSeamWindow
{
    explicit TSeamWindow(int Width = 636, int Height = 520) : Window(std::make_unique<QWidget>())
    {
        auto *layout = new QVBoxLayout(Window.get());
        layout->setContentsMargins(0, 0, 0, 0);
        Tags = new QWidget(Window.get());
        Tags->setFixedHeight(30);
        Tabs = new QStackedWidget(Window.get());
        layout->addWidget(Tags);
        layout->addWidget(Tabs, 1);
        for (const char *name :
            {"ArtistSearchTabItem", "AlbumSearchTabItem", "ArtistPageTabItem", "AlbumPageTabItem"}) {
            auto *page = new QWidget;
            page->setObjectName(QString::fromLatin1(name));
            Tabs->addWidget(page);
            Pages.push_back(page);
        }
        Window->resize(Width, Height);
        Window->show();
    }
    TMetaDataViewsSeam Seam() const { return {Tags, Tabs, Pages[0], Pages[1], Pages[2], Pages[3]}; }

    std::unique_ptr<QWidget> Window;
    QWidget *Tags;
    QStackedWidget *Tabs;
    std::vector<QWidget *> Pages;
};

class MetaDataViews : public TStyledTest
{
protected:
    void SetUp() override
    {
        LocalizationManager = new TQelmLocalizationManager();
        LocalizationManager->SelectStartupLocalization(QStringLiteral("en"));
    }

    void TearDown() override
    {
        FManager.reset();
        delete LocalizationManager;
        LocalizationManager = nullptr;
        THierarchicalSingleton::DoDestroy();
    }

    TMetaDataViewsManager &Manager(TMetaDataEnvironment &Environment, TSeamWindow &Window)
    {
        FManager = std::make_unique<TMetaDataViewsManager>(
            nullptr, Window.Seam(), Environment.VK(), Environment.LastFM(),
            [](int, int, TTrackState &State, int &Percent) {
                State = tsNotFound;
                Percent = 0;
            },
            [](const TVKAudioPlaylistItem &) {});
        return *FManager;
    }

    static void Click(QWidget *Control)
    {
        ASSERT_TRUE(Control && Control->isVisible());
        QTest::mouseClick(Control, Qt::LeftButton, {}, Control->rect().center());
    }

    std::unique_ptr<TMetaDataViewsManager> FManager;
};

class StandinMetaDataViews : public MetaDataViews
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FStandin.IsReady());
        ASSERT_TRUE(FEnvironment.SignIn());
        MetaDataViews::SetUp();
    }

    int Requests(const QString &Method) const
    {
        return static_cast<int>(FStandin.LogLines().filter(QStringLiteral("\"lastfm\"")).filter(Method).size());
    }

    TStandin FStandin;
    TMetaDataEnvironment FEnvironment;
};

bool WaitForCover(const TMetaDataContentCover &Cover, TContentCoverState State)
{
    return TestEnvironment::WaitFor([&] { return Cover.State() == State; }, std::chrono::seconds(20));
}

} // namespace

TEST_F(StandinMetaDataViews, EveryMoveOfTheEventTableShowsItsPageAndTags)
{
    TSeamWindow window;
    TMetaDataViewsManager &manager = Manager(FEnvironment, window);
    TMetaDataNavigateTagsPanelWrapper &tags = *manager.NavigateTagsPanel();
    const auto page = [&] { return window.Tabs->currentWidget()->objectName(); };
    EXPECT_EQ(manager.ActiveTab(), atNone);
    EXPECT_EQ(manager.Mode(), mmInactive);

    // Until a mode is chosen, typing only stores the query.
    manager.SetSearchQuery(QStringLiteral("Огни"));
    EXPECT_EQ(Requests(QStringLiteral("artist.search")), 0);
    manager.SwitchToArtistSearchTab();
    EXPECT_EQ(manager.ActiveTab(), atArtistSearch);
    EXPECT_EQ(page(), QStringLiteral("ArtistSearchTabItem"));
    ASSERT_TRUE(WaitForState(manager.ArtistSearchData(), mdsLoaded));
    EXPECT_FALSE(tags.Control()->isVisible());
    TLastFMArtistSearchListBox &artists = *manager.ArtistSearchListBox();
    ASSERT_GE(artists.ItemsCount(), 1);
    EXPECT_EQ(artists.ContentCover()->State(), ccsHidden);

    // An artist result opens its page, with the artist tag alone.
    Click(artists.ActualItems().front());
    EXPECT_EQ(manager.ActiveTab(), atArtist);
    EXPECT_EQ(page(), QStringLiteral("ArtistPageTabItem"));
    TArtistDataView &artistPage = *manager.ArtistDataView();
    ASSERT_TRUE(WaitForState(manager.ArtistData(), mdsLoaded));
    EXPECT_EQ(artistPage.TitleLabel()->text(), Northern);
    EXPECT_TRUE(artistPage.BioText()->text().contains(Northern));
    EXPECT_TRUE(tags.Control()->isVisible());
    EXPECT_TRUE(tags.ArtistTag()->Control()->isVisible());
    EXPECT_FALSE(tags.AlbumTag()->Control()->isVisible());
    EXPECT_EQ(tags.ArtistTag()->Control()->pos(), QPoint(6, 6));
    EXPECT_EQ(tags.ArtistTag()->DelButton()->property(HintProperty).toString(), QStringLiteral("Back to search page"));

    // The same artist again: no request, the same page.
    const int infos = Requests(QStringLiteral("artist.getInfo"));
    Click(tags.ArtistTag()->Control());
    EXPECT_EQ(manager.ActiveTab(), atArtist);

    // A top album opens the album page; both tags show, the album after the artist.
    ASSERT_TRUE(WaitForState(manager.ArtistData().TopAlbumsData(), mdsLoaded));
    ASSERT_GE(artistPage.TopAlbumsView()->Items().size(), 1u);
    // Square pictures filling their panels.
    QApplication::processEvents();
    const TCoverImageDataView &cover = *artistPage.TopAlbumsView()->Items().front();
    EXPECT_EQ(cover.Control()->width(), cover.Control()->height());
    EXPECT_EQ(cover.ContentImage()->size(), cover.Control()->size());
    Click(artistPage.TopAlbumsView()->Items().front()->Control());
    EXPECT_EQ(manager.ActiveTab(), atAlbum);
    EXPECT_EQ(manager.AlbumData().Artist(), Northern);
    ASSERT_TRUE(WaitForState(manager.AlbumData(), mdsLoaded));
    EXPECT_EQ(tags.AlbumTag()->Text(), manager.AlbumData().Title());
    EXPECT_EQ(
        tags.AlbumTag()->Control()->x(), tags.ArtistTag()->Control()->x() + tags.ArtistTag()->Control()->width() + 6);
    EXPECT_EQ(tags.ArtistTag()->Control()->property(HintProperty).toString(), QStringLiteral("Back to artist page"));

    // Closing the album goes back to its artist, without asking again.
    Click(tags.AlbumTag()->DelButton());
    EXPECT_EQ(manager.ActiveTab(), atArtist);
    EXPECT_EQ(Requests(QStringLiteral("artist.getInfo")), infos);

    // A similar artist re-targets the page.
    ASSERT_TRUE(WaitForState(manager.ArtistData().SimilarArtistsData(), mdsLoaded));
    Click(artistPage.SimilarArtistsView()->Items().front()->Control());
    EXPECT_EQ(manager.ActiveTab(), atArtist);
    EXPECT_EQ(manager.ArtistData().Artist(), QStringLiteral("Полярная Станция"));
    EXPECT_EQ(tags.ArtistTag()->Text(), QStringLiteral("Полярная Станция"));

    // Closing the artist tag brings back the old results without a new search.
    const int searches = Requests(QStringLiteral("artist.search"));
    const int hits = artists.ItemsCount();
    Click(tags.ArtistTag()->DelButton());
    EXPECT_EQ(manager.ActiveTab(), atArtistSearch);
    EXPECT_EQ(artists.ItemsCount(), hits);
    EXPECT_FALSE(tags.Control()->isVisible());
    EXPECT_EQ(Requests(QStringLiteral("artist.search")), searches);

    // Album search: a result opens the album, a related album re-targets it.
    manager.SetSearchQuery(QStringLiteral("Best"));
    manager.SwitchToAlbumSearchTab();
    EXPECT_EQ(manager.ActiveTab(), atAlbumSearch);
    ASSERT_TRUE(WaitForState(manager.AlbumSearchData(), mdsLoaded));
    Click(manager.AlbumSearchListBox()->ActualItems().front());
    EXPECT_EQ(manager.ActiveTab(), atAlbum);
    TAlbumDataView &albumPage = *manager.AlbumDataView();
    ASSERT_TRUE(WaitForState(manager.AlbumData(), mdsLoaded));
    const QString first = manager.AlbumData().Title();
    // The other albums of this album's artist, not those of the album before.
    ASSERT_TRUE(TestEnvironment::WaitFor([&] {
        const TRelatedAlbumsData &related = manager.AlbumData().RelatedAlbumsData();
        return related.State() == mdsLoaded && related.getItem(0).Title != first;
    }));
    Click(albumPage.RelatedAlbumsView()->Items().front()->Control());
    EXPECT_EQ(manager.ActiveTab(), atAlbum);
    EXPECT_NE(manager.AlbumData().Title(), first);

    // The artist tag opens the album's artist; closing it in album search
    // mode returns to the album results.
    Click(tags.ArtistTag()->Control());
    EXPECT_EQ(manager.ActiveTab(), atArtist);
    Click(tags.ArtistTag()->DelButton());
    EXPECT_EQ(manager.ActiveTab(), atAlbumSearch);

    // Typing in a search mode runs that search and shows it, also from a page.
    Click(manager.AlbumSearchListBox()->ActualItems().front());
    EXPECT_EQ(manager.ActiveTab(), atAlbum);
    manager.SetSearchQuery(QStringLiteral("Огни"));
    EXPECT_EQ(manager.ActiveTab(), atAlbumSearch);
    EXPECT_EQ(manager.AlbumSearchData().Query(), QStringLiteral("Огни"));
}

TEST_F(StandinMetaDataViews, TheVeilsSayWhyThereIsNothingAndAFailedSearchIsSentAgain)
{
    TSeamWindow window;
    TMetaDataViewsManager &manager = Manager(FEnvironment, window);
    TMetaDataContentCover &veil = *manager.ArtistSearchListBox()->ContentCover();

    // An empty query is not sent.
    manager.SwitchToArtistSearchTab();
    EXPECT_EQ(veil.State(), ccsError);
    EXPECT_EQ(veil.ErrorText(), QStringLiteral("Please input search query"));
    // Fitted again once the list has its width.
    EXPECT_TRUE(TestEnvironment::WaitFor(
        [&] { return veil.ErrorTextControl()->text() == QStringLiteral("Please input search query"); }));

    // The service unreachable: "Request failed"; back again, the same query is asked again.
    {
        TScopedEnvironment nowhere("MARVANE_LASTFM_URL", QStringLiteral("http://127.0.0.1:1"));
        manager.SetSearchQuery(Northern);
        EXPECT_EQ(veil.State(), ccsLoading);
        ASSERT_TRUE(WaitForCover(veil, ccsError));
        EXPECT_EQ(veil.ErrorText(), QStringLiteral("Request failed"));
    }
    manager.SwitchToArtistSearchTab();
    ASSERT_TRUE(WaitForCover(veil, ccsHidden));
    EXPECT_GE(manager.ArtistSearchListBox()->ItemsCount(), 1);

    // No hits: the query goes into the Russian text as it is, "%" codes and all.
    const QString query = QStringLiteral("zz%s%d%1");
    manager.SetSearchQuery(query);
    ASSERT_TRUE(WaitForState(manager.ArtistSearchData(), mdsEmptyResult));
    EXPECT_EQ(veil.ErrorText(), QStringLiteral("Artists not found"));
    LocalizationManager->SetActiveLCID(1049);
    SendLocalizationChangedMessage(manager.ArtistSearchListBox());
    EXPECT_EQ(veil.ErrorText(), QStringLiteral("По запросу \"zz%s%d%1\" ничего не найдено"));

    // A narrow list cuts the text to its width.
    window.Window->resize(160, 300);
    QApplication::processEvents();
    veil.SetErrorText(veil.ErrorText());
    EXPECT_TRUE(veil.ErrorTextControl()->text().endsWith(u'…')) << veil.ErrorTextControl()->text().toStdString();
    EXPECT_LE(veil.ErrorStrip()->width(), window.Tabs->width());
}

TEST_F(StandinMetaDataViews, APageFailedOnTheNetworkIsVeiledAndLoadsWhenChosenAgain)
{
    TSeamWindow window;
    TMetaDataViewsManager &manager = Manager(FEnvironment, window);
    TArtistDataView &page = *manager.ArtistDataView();
    {
        TScopedEnvironment nowhere("MARVANE_LASTFM_URL", QStringLiteral("http://127.0.0.1:1"));
        manager.SetArtist(Northern);
        EXPECT_EQ(page.ContentCover()->State(), ccsLoading);
        ASSERT_TRUE(WaitForState(manager.ArtistData(), mdsRequestFailed));
        ASSERT_TRUE(WaitForState(manager.ArtistData().TopTracksData(), mdsRequestFailed));
    }
    EXPECT_EQ(page.ContentCover()->State(), ccsError);
    EXPECT_EQ(page.ContentCover()->ErrorText(), QStringLiteral("Request failed"));
    EXPECT_EQ(page.TopTracksDataView()->Expander()->Mode(), mdemError);
    EXPECT_EQ(page.TopTracksDataView()->Expander()->ErrorIndicatorHint(), QStringLiteral("Request failed"));

    // Russian: the veil and the section hints are re-read.
    LocalizationManager->SetActiveLCID(1049);
    SendLocalizationChangedMessage(FManager.get());
    EXPECT_EQ(page.ContentCover()->ErrorText(), QStringLiteral("Не удалось выполнить запрос"));
    EXPECT_EQ(
        page.TopTracksDataView()->Expander()->ErrorIndicatorHint(), QStringLiteral("Не удалось выполнить запрос"));

    // The same artist again, the service back: the page loads.
    manager.SetArtist(Northern);
    ASSERT_TRUE(WaitForCover(*page.ContentCover(), ccsHidden));
    ASSERT_TRUE(WaitForState(manager.ArtistData().TopTracksData(), mdsLoaded));
    EXPECT_EQ(page.TopTracksDataView()->Expander()->Mode(), mdemNormal);
    EXPECT_EQ(page.TopTracksDataView()->TracksListBox()->ItemsCount(), TTopArtistTracksData::TopTracksCount);
    EXPECT_EQ(page.TitleLabel()->text(), Northern);
}

// A Last.fm host the test scripts, whose pictures wait at a gate; the rest
// of the pages has nowhere to go.
class ScriptedMetaDataViews : public MetaDataViews
{
protected:
    ScriptedMetaDataViews()
    {
        FServer.Routes().Get("/2.0/", [this](const httplib::Request &Request, httplib::Response &Response) {
            Response.set_content(FAnswer(Request.get_param_value("method")), "application/json");
        });
        FServer.Routes().Get(R"(/slow/(\d+)\.png)", [this](const httplib::Request &, httplib::Response &Response) {
            FGate.Wait();
            QImage image(8, 8, QImage::Format_RGB32);
            image.fill(Qt::red);
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            Response.set_content(png.toStdString(), "image/png");
        });
        FServer.Start();
        FLastFMHost = std::make_unique<TScopedEnvironment>("MARVANE_LASTFM_URL", FServer.URL(QString()));
        FVKHost = std::make_unique<TScopedEnvironment>("MARVANE_VK_WEB_URL", FServer.URL(QString()));
    }
    ~ScriptedMetaDataViews() override { FGate.Open(); }

    // Count artists, each with its own gated picture.
    std::string Artists(int Count) const
    {
        std::string items;
        for (int i = 0; i < Count; ++i)
            items += std::string(i ? "," : "") + R"({"name":"A)" + std::to_string(i) + R"(","image":[{"#text":")"
                + FServer.URL(QStringLiteral("/slow/%1.png").arg(i)).toStdString() + R"(","size":"large"}]})";
        return R"({"results":{"opensearch:Query":{"startPage":"1"},"opensearch:totalResults":")" + std::to_string(Count)
            + R"(","artistmatches":{"artist":[)" + items + "]}}}";
    }

    TTestHTTPServer FServer;
    TGate FGate;
    std::function<std::string(const std::string &Method)> FAnswer;
    TMetaDataEnvironment FEnvironment;
    std::unique_ptr<TScopedEnvironment> FLastFMHost;
    std::unique_ptr<TScopedEnvironment> FVKHost;
};

// Rows are pooled: scrolling hands the pictures' blocks from row to row while
// they load, and every row that ends up showing a loaded picture must show it.
TEST_F(ScriptedMetaDataViews, SearchRowsShowTheirPicturesWhenTheListScrolledAsTheyLoaded)
{
    const std::string answer = Artists(12);
    FAnswer = [&](const std::string &) { return answer; };
    TSeamWindow window(636, 200);
    TMetaDataViewsManager &manager = Manager(FEnvironment, window);
    manager.SwitchToArtistSearchTab();
    manager.SetSearchQuery(QStringLiteral("A"));
    TLastFMArtistSearchListBox &list = *manager.ArtistSearchListBox();
    ASSERT_TRUE(WaitForState(manager.ArtistSearchData(), mdsLoaded));
    ASSERT_EQ(list.ItemsCount(), 12);
    // Two rows down at a time: each row takes the picture of a row that then moves on.
    for (int rows : {2, 4, 2, 4})
        list.ScrollBar()->setValue(rows * TLastFMSearchListBox::RowHeight);
    FGate.Open();
    const TSearchArtistsData &data = manager.ArtistSearchData();
    ASSERT_TRUE(TestEnvironment::WaitFor([&] {
        for (int i = 0; i < data.ActiveItemsCount(); ++i)
            if (data.getItem(i).ImageData.State() != mdsLoaded)
                return false;
        return true;
    }));
    const QImage fallback = GetInstance<TCoverImageDefaultBitmapData>()->FDefaultBitmap.toImage();
    int shown = 0;
    for (TDynamicListPanel *panel : list.ActualItems()) {
        if (!panel->isVisible())
            continue;
        auto &row = static_cast<TLastFMSearchListBoxItem &>(*panel);
        EXPECT_NE(row.CoverImageDataView->ContentImage()->pixmap().toImage(), fallback) << "row " << row.Index();
        ++shown;
    }
    EXPECT_GE(shown, 3);
}

// A long listing is scrolled by its page: the list keeps one screen of rows
// and shows under the page's view the rows that belong there.
TEST_F(ScriptedMetaDataViews, AHundredTrackListingKeepsAPoolOfOneScreen)
{
    std::string tracks;
    for (int i = 0; i < 100; ++i)
        tracks += std::string(i ? "," : "") + R"({"name":"T)" + std::to_string(i)
            + R"(","duration":"180","artist":{"name":"X"}})";
    const std::string album
        = R"({"album":{"name":"Long","artist":"X","image":[],"tracks":{"track":[)" + tracks + "]}}}";
    FAnswer = [&](const std::string &Method) {
        return Method == "album.getInfo" ? album : std::string(R"({"error":6,"message":"none"})");
    };
    TSeamWindow window(636, 400);
    TMetaDataViewsManager &manager = Manager(FEnvironment, window);
    manager.AlbumData().SetAlbum(QStringLiteral("X"), QStringLiteral("Long"));
    ASSERT_TRUE(WaitForState(manager.AlbumData().AlbumTracksData(), mdsLoaded));
    TTrackDataView &view = *manager.AlbumDataView()->TracksDataView();
    TMetaVKCompositeAudioListBox &list = *view.TracksListBox();
    ASSERT_EQ(list.ItemsCount(), 100);
    EXPECT_EQ(view.Expander()->Mode(), mdemNormal);
    QApplication::processEvents();

    QScrollArea &page = *manager.AlbumDataView()->ContentScrollBox();
    const int screenRows = page.viewport()->height() / list.ItemHeight();
    EXPECT_LE(static_cast<int>(list.ActualItems().size()), screenRows + 2);
    // The page grows to the listing once its layout has run.
    ASSERT_TRUE(TestEnvironment::WaitFor([&] { return page.verticalScrollBar()->maximum() > 90 * list.ItemHeight(); }));
    for (int value : {1000, 1016, 2000, page.verticalScrollBar()->maximum(), 0}) {
        SCOPED_TRACE(value);
        page.verticalScrollBar()->setValue(value);
        QApplication::processEvents();
        EXPECT_LE(static_cast<int>(list.ActualItems().size()), screenRows + 2);
        // The row at the middle of the view is the one the page puts there.
        const QPoint middle(page.viewport()->width() / 2, page.viewport()->height() / 2);
        QWidget *surface = list.ScrollBox();
        const QPoint inList = surface->mapFrom(page.viewport(), middle);
        const QPoint inPlace = surface->parentWidget()->mapFrom(page.viewport(), middle);
        if (!surface->rect().contains(inList))
            continue;
        const int expected = inPlace.y() / list.ItemHeight();
        bool found = false;
        for (TDynamicListPanel *row : list.ActualItems())
            if (row->isVisible() && row->geometry().contains(inList)) {
                EXPECT_EQ(row->Index(), expected);
                found = true;
            }
        EXPECT_TRUE(found);
    }
}

TEST_F(MetaDataViews, TagsLineUpAfterEachOtherAndCutLongTitles)
{
    QWidget strip;
    strip.resize(600, 30);
    strip.show();
    TMetaDataNavigateTagsPanelWrapper tags(nullptr, &strip);
    const QString longTitle = QStringLiteral("An Artist Whose Name Is Far Too Long For A Tag");
    const struct
    {
        const char *Name;
        QString Genre, Artist, Album;
    } cases[] = {
        {"nothing", {}, {}, {}},
        {"an artist", {}, QStringLiteral("Кино"), {}},
        {"an artist and an album", {}, longTitle, QStringLiteral("Группа крови")},
        {"an album alone", {}, {}, QStringLiteral("Группа крови")},
        {"all three", QStringLiteral("Rock"), QStringLiteral("Кино"), QStringLiteral("Звезда")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        tags.GenreTag()->SetText(c.Genre);
        tags.ArtistTag()->SetText(c.Artist);
        tags.AlbumTag()->SetText(c.Album);
        tags.Arrange();
        EXPECT_EQ(strip.isVisible(), !(c.Genre + c.Artist + c.Album).isEmpty());
        const QWidget &genre = *tags.GenreTag()->Control(), &artist = *tags.ArtistTag()->Control(),
                      &album = *tags.AlbumTag()->Control();
        EXPECT_EQ(genre.pos(), QPoint(6, 6));
        EXPECT_EQ(artist.x(), c.Genre.isEmpty() ? 6 : genre.width() + 12);
        EXPECT_EQ(album.x(),
            !c.Artist.isEmpty()      ? artist.x() + artist.width() + 6
                : !c.Genre.isEmpty() ? genre.width() + 12
                                     : 6);
        for (TMetaDataNavigateTagWrapper *tag : {tags.GenreTag(), tags.ArtistTag(), tags.AlbumTag()}) {
            EXPECT_EQ(tag->Control()->isVisibleTo(&strip), !tag->Text().isEmpty());
            if (tag->Text().isEmpty())
                continue;
            // The title and the close part both fit in the tag.
            EXPECT_LE(tag->TextControl()->width(), TMetaDataNavigateTagWrapper::MaxTextWidth);
            EXPECT_GE(tag->Control()->width(), tag->TextControl()->width() + tag->DelButton()->sizeHint().width());
        }
    }
    EXPECT_EQ(tags.ArtistTag()->TextControl()->text(), QStringLiteral("Кино"));
    tags.ArtistTag()->SetText(longTitle);
    EXPECT_TRUE(tags.ArtistTag()->TextControl()->text().endsWith(u'…'));
    EXPECT_EQ(tags.ArtistTag()->Text(), longTitle);
}

// The top albums section for each answer: pictures past the answer's albums
// are hidden, an answer without albums or a failure closes the section with
// its reason.
TEST_F(ScriptedMetaDataViews, ASectionShowsItsAnswerOrWhyThereIsNone)
{
    const auto albums = [](int Count) {
        std::string items;
        for (int i = 0; i < Count; ++i)
            items += std::string(i ? "," : "") + R"({"name":"Album )" + std::to_string(i)
                + R"(","artist":{"name":"X"},"image":[]})";
        return R"({"topalbums":{"album":[)" + items + R"(],"@attr":{"total":")" + std::to_string(Count) + R"("}}})";
    };
    const struct
    {
        const char *Name;
        std::string TopAlbums;
        int State;
        TMetaDataBlockExpanderMode Mode;
        QString Hint;
        int Shown;
    } cases[] = {
        {"three albums", albums(3), mdsLoaded, mdemNormal, {}, 3},
        {"one album", albums(1), mdsLoaded, mdemNormal, {}, 1},
        {"none", albums(0), mdsLoaded, mdemError, QStringLiteral("Albums not found"), 0},
        {"a refusal", R"({"error":8,"message":"Backend"})", mdsServiceError, mdemError, QStringLiteral("Unknown error"),
            0},
    };
    TSeamWindow window;
    TMetaDataViewsManager &manager = Manager(FEnvironment, window);
    const TAlbumsDataView &strip = *manager.ArtistDataView()->TopAlbumsView();
    int artist = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        FAnswer = [&](const std::string &Method) {
            return Method == "artist.getTopAlbums" ? c.TopAlbums : std::string(R"({"error":6,"message":"none"})");
        };
        manager.SetArtist(QStringLiteral("Artist %1").arg(++artist));
        ASSERT_TRUE(WaitForState(manager.ArtistData().TopAlbumsData(), c.State));
        EXPECT_EQ(strip.Expander()->Mode(), c.Mode);
        if (!c.Hint.isEmpty())
            EXPECT_EQ(strip.Expander()->ErrorIndicatorHint(), c.Hint);
        EXPECT_EQ(strip.Items().size(), 3u);
        int shown = 0;
        for (const TCoverImageDataView *picture : strip.Items())
            shown += picture->Control()->isVisibleTo(picture->Control()->parentWidget());
        EXPECT_EQ(shown, c.Shown);
    }
}
