// Takes the pictures of the player at work (scripts/screens): the real
// player in this process against the stand-in, driven as a user would by the
// window's object names, each state grabbed from the screen. A step whose
// controls are not there is noted as missing and the rest go on.
//
//   marvane-screens OUT_DIR --lang en|ru --music DIR
//
// Writes OUT_DIR/NAME.png and OUT_DIR/screens.txt: one line per picture,
// "file<TAB>caption<TAB>note". The stand-in's plain account is signed in
// (its cookie file) with a My Music of 60 tracks, audio at 16,000 bytes a
// second, and track 1001_50 broken (scripts/screens starts it so).
#include "app/application/ApplicationUnit.h"
#include "app/shell/TMainFormUnit.h"
#include "harness/PlayerHarness.h"
#include "metadata/pages/TAlbumDataUnit.h"
#include "metadata/pages/TArtistDataUnit.h"
#include "metadata/views/TCoverImageDataViewUnit.h"
#include "metadata/views/TMetaDataListViewsUnit.h"
#include "metadata/views/TMetaDataPageViewsUnit.h"
#include "metadata/views/TMetaDataViewsManagerUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "tracks/lists/TVKAudioDataUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/lists/TDynamicListBoxUnit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

using namespace std::chrono_literals;
using PlayerHarness::Find;
using PlayerHarness::WaitUntil;

namespace {

constexpr int RowHeight = 32;
// Rows of the stand-in's list (newest first; the tone of row N is N mod 4:
// 3, 7, 12 and 31 seconds): long tracks play and download slowly enough to
// be caught part way.
constexpr int PlayRow = 3;
constexpr int DownloadRow = 7;
constexpr int BrokenRow = 10;
constexpr int PopupRow = 30;

// A step could not be taken: what was not there.
struct EMissing
{
    QString What;
};

QWidget *Need(const QString &Name)
{
    QWidget *widget = Find(Name);
    if (!widget || !widget->isVisible())
        throw EMissing {Name + (widget ? QStringLiteral(" (hidden)") : QString())};
    return widget;
}

void NeedThat(const QString &What, const std::function<bool()> &Done, std::chrono::milliseconds Deadline = 20s)
{
    if (!WaitUntil(Done, Deadline))
        throw EMissing {What};
}

QScrollBar *ScrollBarOf(const QString &List)
{
    return Find<QScrollBar>(List + QStringLiteral("ScrollBar"));
}

// The list's rows on screen, top to bottom.
std::vector<TDynamicListPanel *> Rows(const QString &List)
{
    QWidget *surface = Need(List + QStringLiteral("Surface"));
    std::vector<TDynamicListPanel *> rows;
    for (TDynamicListPanel *panel : surface->findChildren<TDynamicListPanel *>())
        if (panel->isVisible() && panel->Index() >= 0)
            rows.push_back(panel);
    std::sort(rows.begin(), rows.end(), [](auto *A, auto *B) { return A->y() < B->y(); });
    return rows;
}

bool HasRows(const QString &List)
{
    QWidget *surface = Find(List + QStringLiteral("Surface"));
    return surface && surface->isVisible() && !Rows(List).empty();
}

// Row Index of the list, scrolled into view.
TDynamicListPanel *Row(const QString &List, int Index)
{
    NeedThat(
        List + QStringLiteral(" rows"), [&] { return HasRows(List); }, 5s);
    if (QScrollBar *bar = ScrollBarOf(List))
        if (Index * RowHeight < bar->value() || (Index + 1) * RowHeight > bar->value() + bar->pageStep())
            bar->setValue(std::max(0, Index * RowHeight - bar->pageStep() / 2));
    TDynamicListPanel *found = nullptr;
    NeedThat(
        QStringLiteral("%1 row %2").arg(List).arg(Index),
        [&] {
            for (TDynamicListPanel *row : Rows(List))
                if (row->Index() == Index)
                    found = row;
            return found != nullptr;
        },
        2s);
    return found;
}

// The row's button of that style ("playtrackButtonstyle"), shown by hovering the row.
QAbstractButton *RowButton(TDynamicListPanel *Row, const QString &StyleLookup)
{
    PlayerHarness::Hover(Row, QPoint(Row->width() / 3, Row->height() / 2));
    for (auto *button : Row->findChildren<QAbstractButton *>())
        if (GetStyleLookup(button) == StyleLookup && button->isVisible())
            return button;
    throw EMissing {QStringLiteral("%1 in row %2").arg(StyleLookup).arg(Row->Index())};
}

void ShowTab(const QString &Button, const QString &TabItem)
{
    PlayerHarness::Click(Need(Button));
    NeedThat(
        TabItem, [&] { return Find(TabItem) && Find(TabItem)->isVisible(); }, 5s);
}

// How full a control is, in percent: a progress bar's or a slider's value
// against its range.
int PercentOf(const QString &Name)
{
    QWidget *widget = Need(Name);
    const QVariant value = widget->property("value"), minimum = widget->property("minimum"),
                   maximum = widget->property("maximum");
    if (!value.isValid() || !minimum.isValid() || !maximum.isValid() || maximum.toInt() <= minimum.toInt())
        throw EMissing {Name + QStringLiteral(" value")};
    return 100 * (value.toInt() - minimum.toInt()) / (maximum.toInt() - minimum.toInt());
}

// A part of a styled control, found by its part name as the style names it.
QWidget *Part(const QString &Control, const QString &PartName)
{
    QWidget *part = Need(Control)->findChild<QWidget *>(PartName);
    if (!part || !part->isVisible())
        throw EMissing {Control + u'/' + PartName};
    return part;
}

// The size of the largest download in the folder: a partial file (".part")
// or a finished one.
qint64 LargestDownload(const QString &Folder, bool Finished)
{
    qint64 largest = 0;
    for (const QFileInfo &file : QDir(Folder).entryInfoList(QDir::Files))
        if (file.fileName().endsWith(QStringLiteral(".part")) != Finished)
            largest = std::max(largest, file.size());
    return largest;
}

class TShooter
{
public:
    TShooter(const QString &Folder, const QString &MusicFolder) : FFolder(Folder), FMusicFolder(MusicFolder) { }

    // Runs Step, then grabs the window and every window open over it. A
    // missing part is noted beside the picture.
    void Shoot(const QString &Name, const QString &Caption, const std::function<void()> &Step)
    {
        QString note;
        try {
            Step();
        } catch (const EMissing &missing) {
            note = QStringLiteral("missing: ") + missing.What;
        }
        // An error the player would show in a message box of its own loop.
        for (const QString &error : std::exchange(FErrors, {}))
            note += (note.isEmpty() ? QString() : QStringLiteral("; ")) + QStringLiteral("error shown: ") + error;
        if (!Grab(FFolder + u'/' + Name + QStringLiteral(".png")))
            note += (note.isEmpty() ? QString() : QStringLiteral("; ")) + QStringLiteral("no window to grab");
        FIndex << Name << ".png\t" << Caption << '\t' << note << '\n';
        std::printf("%s: %s\n", qUtf8Printable(Name), note.isEmpty() ? "taken" : qUtf8Printable(note));
        std::fflush(stdout);
    }

    void Run()
    {
        QFile index(FFolder + QStringLiteral("/screens.txt"));
        index.open(QIODevice::WriteOnly | QIODevice::Truncate);
        FIndex.setDevice(&index);
        Application::SetExceptionHandler([this](const QString &Message) { FErrors << Message; });
        WaitUntil(
            [] { return Find(QStringLiteral("MainForm")) && Find(QStringLiteral("MainForm"))->isVisible(); }, 20s);
        // The stored session signs in and My Music loads.
        WaitUntil([] { return HasRows(QStringLiteral("VKUserAudioListBox")); }, 20s);
        TakeAll();
        FIndex.flush();
        Application::SetExceptionHandler({});
    }

private:
    void TakeAll();
    void TakeMetaDataPages();
    bool Grab(const QString &File);

    // What later steps build on: they wait for it only when it began.
    static void Needs(bool Began, const QString &What)
    {
        if (!Began)
            throw EMissing {What};
    }

    QString FFolder;
    QString FMusicFolder;
    QTextStream FIndex;
    QStringList FErrors;
    bool FPlayStarted = false;
    bool FDownloadStarted = false;
};

bool TShooter::Grab(const QString &File)
{
    QWidget *main = Find(QStringLiteral("MainForm"));
    if (!main || !main->isVisible())
        return false;
    QApplication::processEvents();
    // The main window and what is open over it (the pop-up, a note), from the
    // screen itself.
    QRect area = main->frameGeometry();
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->isVisible() && window != main && window->screen() == main->screen())
            area |= window->frameGeometry();
    area &= main->screen()->geometry();
    return main->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(File);
}

void TShooter::TakeAll()
{
    const QString myMusic = QStringLiteral("VKUserAudioListBox"), search = QStringLiteral("VKSearchAudioListBox"),
                  downloads = QStringLiteral("LocalAudioListBox");

    Shoot(QStringLiteral("my-music-hover"), QStringLiteral("My Music with a hovered row"), [&] {
        ShowTab(QStringLiteral("UserTabButton"), QStringLiteral("UserAudioTabItem"));
        TDynamicListPanel *row = Row(myMusic, 2);
        PlayerHarness::Hover(row, QPoint(row->width() / 3, row->height() / 2));
        PlayerHarness::Pass(300ms); // the hover's fade
    });

    Shoot(QStringLiteral("search-typing"), QStringLiteral("Search results while typing"), [&] {
        ShowTab(QStringLiteral("SearchTabButton"), QStringLiteral("SearchAudioTabItem"));
        QWidget *control = Need(QStringLiteral("SearchEditControl"));
        auto *edit = qobject_cast<QLineEdit *>(control) ? control : control->findChild<QLineEdit *>();
        if (!edit)
            throw EMissing {QStringLiteral("the search box's text field")};
        PlayerHarness::Click(edit);
        PlayerHarness::Type(edit, QStringLiteral("Ночн"));
        NeedThat(QStringLiteral("search results"), [&] { return HasRows(search); });
    });

    Shoot(QStringLiteral("playing-connecting"), QStringLiteral("A playing row: connecting..."), [&] {
        ShowTab(QStringLiteral("UserTabButton"), QStringLiteral("UserAudioTabItem"));
        PlayerHarness::Click(RowButton(Row(myMusic, PlayRow), QStringLiteral("playtrackButtonstyle")));
        FPlayStarted = true;
        NeedThat(
            QStringLiteral("the player connecting"),
            [] { return AudioPlayer->State() == TAudioPlayerState::psConnecting; }, 5s);
    });

    Shoot(QStringLiteral("playing-remaining"), QStringLiteral("A playing row: the remaining time falling"), [&] {
        Needs(FPlayStarted, QStringLiteral("a track started"));
        NeedThat(QStringLiteral("the track playing"),
            [] { return AudioPlayer->State() == TAudioPlayerState::psPlaying && AudioPlayer->PlayingPosition() >= 3; });
    });

    Shoot(QStringLiteral("buffer-filling"), QStringLiteral("The buffer bar filling"), [&] {
        Needs(FPlayStarted, QStringLiteral("a track started"));
        NeedThat(
            QStringLiteral("the track playing"), [] { return AudioPlayer->State() == TAudioPlayerState::psPlaying; });
        if (PercentOf(QStringLiteral("LoadingProgressBarControl")) >= 100)
            throw EMissing {QStringLiteral("a buffer still filling (already full)")};
    });

    Shoot(QStringLiteral("download-ring"), QStringLiteral("A download ring part way"), [&] {
        PlayerHarness::Click(RowButton(Row(myMusic, DownloadRow), QStringLiteral("downloadButtonstyle")));
        FDownloadStarted = true;
        // A 31-second track of about 248,000 bytes: a third of it.
        NeedThat(QStringLiteral("a download under way"), [&] { return LargestDownload(FMusicFolder, false) >= 80000; });
        Row(myMusic, DownloadRow);
    });

    Shoot(QStringLiteral("downloads-new-on-top"), QStringLiteral("Downloads with the new track on top, hovered"), [&] {
        Needs(FDownloadStarted, QStringLiteral("a download started"));
        NeedThat(
            QStringLiteral("the download finished"), [&] { return LargestDownload(FMusicFolder, true) >= 240000; },
            40s);
        ShowTab(QStringLiteral("LocalTabButton"), QStringLiteral("LocalAudioTabItem"));
        TDynamicListPanel *row = Row(downloads, 0);
        PlayerHarness::Hover(row, QPoint(row->width() / 3, row->height() / 2));
        PlayerHarness::Pass(300ms);
    });

    Shoot(QStringLiteral("playlist-popup"), QStringLiteral("The playlist pop-up centred on the playing track"), [&] {
        ShowTab(QStringLiteral("UserTabButton"), QStringLiteral("UserAudioTabItem"));
        PlayerHarness::Click(RowButton(Row(myMusic, PopupRow), QStringLiteral("playtrackButtonstyle")));
        NeedThat(QStringLiteral("the track playing"), [] {
            return AudioPlayer->State() == TAudioPlayerState::psPlaying
                && AudioPlayer->CurrentPlaylistIndex() == PopupRow;
        });
        PlayerHarness::Click(Part(QStringLiteral("PlayerControlsPanel"), QStringLiteral("playlistbutton")));
        NeedThat(
            QStringLiteral("PlaylistPopup shown"),
            [] { return Find(QStringLiteral("PlaylistPopup")) && Find(QStringLiteral("PlaylistPopup"))->isVisible(); },
            5s);
        NeedThat(
            QStringLiteral("the playing track in the pop-up's list"),
            [] {
                for (TDynamicListPanel *row : Rows(QStringLiteral("AudioPlaylistListBox")))
                    if (row->Index() == PopupRow)
                        return true;
                return false;
            },
            3s);
        PlayerHarness::Pass(300ms); // its opening
    });

    Shoot(QStringLiteral("download-failed"), QStringLiteral("A failed download's note"), [&] {
        if (QWidget *popup = Find(QStringLiteral("PlaylistPopup")); popup && popup->isVisible())
            PlayerHarness::PressKey(popup, Qt::Key_Escape);
        ShowTab(QStringLiteral("UserTabButton"), QStringLiteral("UserAudioTabItem"));
        PlayerHarness::Click(RowButton(Row(myMusic, BrokenRow), QStringLiteral("downloadButtonstyle")));
        NeedThat(QStringLiteral("WindowNote shown"),
            [] { return Find(QStringLiteral("WindowNote")) && Find(QStringLiteral("WindowNote"))->isVisible(); });
    });

    TakeMetaDataPages();
}

// The metadata views of the main window.
TMetaDataViewsManager &MetaDataViews()
{
    auto *window = qobject_cast<TMainForm *>(Find(QStringLiteral("MainForm")));
    if (!window || !window->MetaDataViews())
        throw EMissing {QStringLiteral("the metadata views")};
    return *window->MetaDataViews();
}

// Takes the stand-in's Last.fm service down or brings it back.
void SetLastFMUp(bool Up)
{
    QNetworkAccessManager network;
    QNetworkReply *reply = network.post(QNetworkRequest(QUrl(qEnvironmentVariable("MARVANE_LASTFM_URL")
                                            + (Up ? QStringLiteral("/standin/up") : QStringLiteral("/standin/down")))),
        QByteArray());
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const bool done = reply->error() == QNetworkReply::NoError;
    delete reply;
    if (!done)
        throw EMissing {QStringLiteral("the stand-in's Last.fm switch")};
}

// Every picture of a list block that has one has come.
bool PicturesLoaded(const TImageMetaDataBlockList &List)
{
    for (int i = 0; i < List.ActiveItemsCount(); ++i)
        if (List.getItem(i).ImageData.State() == mdsLoading)
            return false;
    return List.State() == mdsLoaded;
}

// Every track of a page is matched on the site or known to be missing.
bool TracksMatched(TCustomTracksData &Tracks)
{
    const TVKCompositeAudioData &data = Tracks.TracksData();
    if (Tracks.State() != mdsLoaded || data.Count() == 0)
        return false;
    for (int i = 0; i < data.Count(); ++i)
        if (const auto *row = dynamic_cast<const TCompositeAudioDataItemViewData *>(data.getTrack(i)); row
            && (row->State == TCompositeAudioDataItemState::cdiPending
                || row->State == TCompositeAudioDataItemState::cdiSearching))
            return false;
    return true;
}

void TShooter::TakeMetaDataPages()
{
    const auto typeQuery = [](const QString &Text) {
        auto *edit = qobject_cast<QLineEdit *>(Need(QStringLiteral("SearchEditControl")));
        if (!edit)
            throw EMissing {QStringLiteral("the search box's text field")};
        edit->setText(Text);
    };
    const QString artistResults = QStringLiteral("ArtistSearchTabItemListBox");

    Shoot(QStringLiteral("meta-empty-query"), QStringLiteral("Artist search without a query"), [&] {
        // The failed download's note would cover the pages.
        if (QWidget *note = Find(QStringLiteral("WindowNote")))
            note->hide();
        ShowTab(QStringLiteral("SearchTabButton"), QStringLiteral("SearchAudioTabItem"));
        typeQuery(QString());
        PlayerHarness::Click(Need(QStringLiteral("SearchArtistButton")));
        NeedThat(QStringLiteral("ArtistSearchTabItem"),
            [] { return Find(QStringLiteral("ArtistSearchTabItem"))->isVisible(); });
    });

    Shoot(QStringLiteral("meta-artist-results"), QStringLiteral("Artist results with their pictures"), [&] {
        typeQuery(QStringLiteral("о"));
        NeedThat(QStringLiteral("artist results"), [] { return PicturesLoaded(MetaDataViews().ArtistSearchData()); });
    });

    Shoot(QStringLiteral("meta-artist-page"),
        QStringLiteral("An artist page: biography, picture, top albums, top tracks (one not found), similar artists"),
        [&] {
            PlayerHarness::Click(Rows(artistResults).at(0));
            TArtistData &artist = MetaDataViews().ArtistData();
            NeedThat(QStringLiteral("the artist page loaded"), [&] {
                return artist.State() == mdsLoaded && artist.ImageData().State() != mdsLoading
                    && PicturesLoaded(artist.TopAlbumsData()) && PicturesLoaded(artist.SimilarArtistsData())
                    && TracksMatched(artist.TopTracksData());
            });
        });

    Shoot(QStringLiteral("meta-artist-sections"),
        QStringLiteral("The artist page scrolled: top tracks, one not found, and similar artists"), [&] {
            QScrollArea *page = MetaDataViews().ArtistDataView()->ContentScrollBox();
            page->verticalScrollBar()->setValue(page->verticalScrollBar()->maximum());
        });

    Shoot(QStringLiteral("meta-album-page"), QStringLiteral("An album page: its listing and the artist's other albums"),
        [&] {
            // The second: the stand-in's "Best" album, with a listing of several tracks.
            const auto &albums = MetaDataViews().ArtistDataView()->TopAlbumsView()->Items();
            if (albums.size() < 2 || !albums[1]->Control()->isVisible())
                throw EMissing {QStringLiteral("a second top album")};
            QWidget *bestAlbum = albums[1]->Control();
            PlayerHarness::Click(bestAlbum);
            TAlbumData &album = MetaDataViews().AlbumData();
            NeedThat(QStringLiteral("the album page loaded"), [&] {
                return album.State() == mdsLoaded && album.CoverImageData().State() != mdsLoading
                    && PicturesLoaded(album.RelatedAlbumsData()) && TracksMatched(album.AlbumTracksData());
            });
        });

    Shoot(QStringLiteral("meta-album-sections"), QStringLiteral("The album page scrolled: its other albums"), [&] {
        QScrollArea *page = MetaDataViews().AlbumDataView()->ContentScrollBox();
        page->verticalScrollBar()->setValue(page->verticalScrollBar()->maximum());
    });

    Shoot(QStringLiteral("meta-request-failed"), QStringLiteral("An artist page when Last.fm is down"), [&] {
        SetLastFMUp(false);
        MetaDataViews().SetArtist(QStringLiteral("Стеклянный Город"));
        // Every section of the page has failed too.
        NeedThat(QStringLiteral("the page failed"), [] {
            TArtistData &artist = MetaDataViews().ArtistData();
            return artist.State() == mdsRequestFailed && artist.TopAlbumsData().State() == mdsRequestFailed
                && artist.TopTracksData().State() == mdsRequestFailed;
        });
    });

    Shoot(QStringLiteral("meta-retried"), QStringLiteral("The same artist chosen again once Last.fm is back"), [&] {
        SetLastFMUp(true);
        MetaDataViews().SetArtist(QStringLiteral("Стеклянный Город"));
        TArtistData &artist = MetaDataViews().ArtistData();
        NeedThat(QStringLiteral("the page loaded"), [&] {
            return artist.State() == mdsLoaded && PicturesLoaded(artist.TopAlbumsData())
                && TracksMatched(artist.TopTracksData());
        });
    });
}

} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QString folder = arguments.value(1);
    const int lang = arguments.indexOf(QStringLiteral("--lang")), music = arguments.indexOf(QStringLiteral("--music"));
    if (folder.isEmpty() || lang < 0 || music < 0) {
        std::fprintf(stderr, "usage: marvane-screens OUT_DIR --lang en|ru --music DIR\n");
        return 2;
    }
    QDir().mkpath(folder);
    // Before the texts are chosen: the language, and downloads into a folder of this run.
    auto *settings = GetInstance<TQelmSettings>();
    settings->SetLang(arguments.value(lang + 1));
    settings->SetCustomMusicFolderFlag(true);
    settings->SetCustomMusicFolderPath(QDir(arguments.value(music + 1)).absolutePath() + u'/');
    TShooter shooter(folder, arguments.value(music + 1));
    const int exitCode = PlayerHarness::Run(argc, argv, {}, [&] {
        shooter.Run();
        QCoreApplication::quit();
    });
    return exitCode;
}
