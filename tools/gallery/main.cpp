// marvane-gallery OUTPUT_FOLDER: renders every styled control and composite
// in each of its states, list rows and every animation frame, offscreen, as
// PNG files, and writes the list of them (gallery.txt: file, caption, notes)
// for the index page. Run it with QT_SCALE_FACTOR=2 for the 2x pictures.
#include "localization/TQelmLocalizationUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/StyledControlsUnit.h"
#include "ui/animations/TLoadingAnimationUnit.h"
#include "ui/animations/TVirtualAddTrackAnimationUnit.h"
#include "ui/lists/TKeyScrolledListBoxUnit.h"
#include "ui/tracklists/TLoadingIndicatorUnit.h"
#include "ui/tracklists/TPlaylistListBoxUnit.h"
#include "ui/wrappers/TArtistImageWrapperUnit.h"
#include "ui/wrappers/TLoadingProgressBarWrapperUnit.h"
#include "ui/wrappers/TMetaDataBlockExpanderWrapperUnit.h"
#include "ui/wrappers/TPlayerControlsPanelWrapperUnit.h"
#include "ui/wrappers/TPlaylistControlsPanelWrapperUnit.h"
#include "ui/wrappers/TSearchEditWrapperUnit.h"
#include "ui/wrappers/TTitleLabelWrapperUnit.h"
#include "ui/wrappers/TTooltipUnit.h"

#include "foundation/THierarchicalSingletonUnit.h"
#include "playback/TAudioPlaylistUnit.h"
#include "tracks/records/QelmTypesUnit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextStream>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

QString Folder;
QStringList Entries;
int Problems = 0;
quint64 Clock = 0;

// The window everything is shown in: a plain dark page.
std::unique_ptr<QWidget> Page(int Width, int Height)
{
    auto page = std::make_unique<QWidget>();
    page->setProperty(StyleLookupProperty, QStringLiteral("windowstyle"));
    page->setAttribute(Qt::WA_StyledBackground);
    page->resize(Width, Height);
    page->show();
    QApplication::setActiveWindow(page.get());
    return page;
}

void Save(QWidget *What, const QString &Name, const QString &Caption, const QString &Note = QString())
{
    // Controls made after their page was shown wait for a show of their own.
    for (auto *child : What->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
        if (!child->testAttribute(Qt::WA_WState_ExplicitShowHide))
            child->show();
    QApplication::processEvents();
    const QString file = Name + QStringLiteral(".png");
    What->grab().save(Folder + u'/' + file);
    Entries << file + u'\t' + Caption + u'\t' + Note;
}

void Problem(const QString &Text)
{
    ++Problems;
    std::fprintf(stderr, "gallery: %s\n", Text.toUtf8().constData());
}

enum TState { stNormal, stHover, stPressed, stToggled, stDisabled, stFocus };
const std::pair<TState, const char *> States[] = {{stNormal, "normal"}, {stHover, "hover"}, {stPressed, "pressed"},
    {stToggled, "toggled"}, {stDisabled, "disabled"}, {stFocus, "focus"}};

void SetState(QAbstractButton *Button, TState State)
{
    Button->setAttribute(Qt::WA_UnderMouse, State == stHover);
    Button->setDown(State == stPressed);
    Button->setCheckable(Button->isCheckable() || State == stToggled);
    Button->setChecked(State == stToggled);
    Button->setEnabled(State != stDisabled);
    if (State == stFocus)
        Button->setFocus(Qt::TabFocusReason);
    else
        Button->clearFocus();
    Button->style()->unpolish(Button);
    Button->style()->polish(Button);
}

// Every button style in every state, one strip per style.
void Buttons()
{
    const char *iconStyles[] = {"playButtonstyle", "pauseButtonstyle", "prevButtonstyle", "nextButtonstyle",
        "repeatButtonstyle", "shuffleButtonstyle", "playlistButtonstyle", "volumeButtonstyle", "volumeoffButtonstyle",
        "saveButtonstyle", "savedisabledButtonstyle", "addtrackblueButtonstyle", "addtrackbluedisButtonstyle",
        "playtrackButtonstyle", "pausetrackButtonstyle", "playminiButtonstyle", "pauseminiButtonstyle",
        "downloadButtonstyle", "openfileButtonstyle", "deleteButtonStyle", "addtrackButtonstyle", "deltrackButtonstyle",
        "addedtrackButtonstyle", "settingsButtonstyle", "logoutButtonstyle", "browsebuttonstyle", "expanderButtonstyle",
        "tagcloseButtonstyle"};
    for (const char *style : iconStyles) {
        auto page = Page(6 * 44 + 8, 44);
        auto *row = new QHBoxLayout(page.get());
        row->setContentsMargins(4, 4, 4, 4);
        QList<QToolButton *> buttons;
        for (int i = 0; i < 6; ++i) {
            auto *button = new QToolButton(page.get());
            button->setFocusPolicy(Qt::StrongFocus);
            SetStyleLookup(button, QString::fromLatin1(style));
            row->addWidget(button);
            buttons << button;
        }
        page->show();
        for (int i = 0; i < 6; ++i)
            SetState(buttons[i], States[i].first);
        Save(page.get(), QStringLiteral("button-") + QString::fromLatin1(style),
            QString::fromLatin1(style) + QStringLiteral(": normal, hover, pressed, toggled, disabled, focus"));
    }
}

// Text buttons with their captions in both languages, at the widths the
// window gives them.
void Captions(const QString &Language)
{
    struct TCaption
    {
        const char *Style;
        const char *Key;
        int Width;
        bool Text;
    };
    const TCaption captions[] = {
        {"mymusicButtonstyle", "MTCB_MyMusicTabButton_Caption", 160, true},
        {"searchButtonstyle", "MTCB_SearchTabButton_Caption", 160, true},
        {"savedTracksbuttonstyle", "MTCB_LocalTabButton_Caption", 160, true},
        {"searchtrackButtonstyle", "SMTB_SearchTrackButton_Caption", 180, true},
        {"searchartistButtonstyle", "SMTB_SearchArtistButton_Caption", 180, true},
        {"searchalbumButtonstyle", "SMTB_SearchAlbumButton_Caption", 180, true},
        {"saveButtonstyle", "SaveTrackButton_Caption", 120, true},
        {"formtabbuttonstyle", "ASTB_AuthorizationTabButton_Caption", 130, true},
        {"formtabbuttonstyle", "ASTB_SignupTabButton_Caption", 130, true},
        {"enterbuttonstyle", "APC_Button_Caption", 180, true},
        {"enterbuttonstyle", "SPC_Button_Caption", 180, true},
        {"enterbuttonstyle", "CMVC_EnterButton_Caption", 180, true},
        {"updatebuttonstyle", "CancelButton_Caption", 130, true},
    };
    for (const auto &c : captions) {
        auto page = Page(6 * (c.Width + 6) + 8, 44);
        auto *row = new QHBoxLayout(page.get());
        row->setContentsMargins(4, 4, 4, 4);
        const QString text = LocalizationManager->getValue(QString::fromLatin1(c.Key));
        QList<QPushButton *> buttons;
        for (int i = 0; i < 6; ++i) {
            auto *button = new QPushButton(text, page.get());
            SetStyleLookup(button, QString::fromLatin1(c.Style));
            button->setFixedWidth(c.Width);
            row->addWidget(button);
            buttons << button;
        }
        page->show();
        for (int i = 0; i < 6; ++i)
            SetState(buttons[i], States[i].first);
        QApplication::processEvents();
        QString note;
        // The caption must fit beside its icon and padding.
        if (buttons[0]->sizeHint().width() > c.Width) {
            note = QStringLiteral("caption does not fit");
            Problem(QStringLiteral("%1 (%2) needs %3 px of %4")
                        .arg(QString::fromLatin1(c.Key), Language)
                        .arg(buttons[0]->sizeHint().width())
                        .arg(c.Width));
        }
        Save(page.get(),
            QStringLiteral("caption-%1-%2-%3").arg(Language, QString::fromLatin1(c.Style), QString::fromLatin1(c.Key)),
            QStringLiteral("%1 \"%2\" (%3, %4 px): all states")
                .arg(QString::fromLatin1(c.Style), text, Language)
                .arg(c.Width),
            note);
    }
}

class TNoArtistImages : public IArtistImageSource
{
public:
    quint32 StartArtistImageGetter(const QString &, TResultEvent) override { return 0; }
};

void Composites(const QString &Language)
{
    {
        auto page = Page(420, 44);
        auto *bar = new QWidget(page.get());
        bar->setGeometry(0, 0, 420, 44);
        SetStyleLookup(bar, QStringLiteral("controlPanelstyle"));
        TPlayerControlsPanelWrapper wrapper(page.get(), bar);
        wrapper.VolumeTrackBar()->setValue(65);
        Save(page.get(), QStringLiteral("playerbar-play"), QStringLiteral("Player bar, stopped, volume 65"));
        wrapper.SetPlayPauseButtonState(pbPause);
        wrapper.RepeatButton()->setChecked(true);
        wrapper.VolumeTrackBar()->setFocus();
        Save(page.get(), QStringLiteral("playerbar-pause"),
            QStringLiteral("Player bar, playing, repeat on, volume slider focused"));
        wrapper.SetMuteButtonState(mbMuted);
        wrapper.ShuffleButton()->setChecked(true);
        Save(page.get(), QStringLiteral("playerbar-muted"), QStringLiteral("Player bar, muted, shuffle on"));
        bar->setEnabled(false);
        Save(page.get(), QStringLiteral("playerbar-disabled"), QStringLiteral("Player bar, disabled"));
    }
    {
        auto page = Page(300, 22);
        auto *line = new QWidget(page.get());
        line->setGeometry(4, 2, 292, 18);
        SetStyleLookup(line, QStringLiteral("titleLabelstyle"));
        TTitleLabelWrapper wrapper(page.get(), true, line);
        wrapper.SetText(QStringLiteral("Nina Simone"), QStringLiteral("Feeling Good"));
        Save(page.get(), QStringLiteral("title-short"), QStringLiteral("Title line"));
        wrapper.SetText(QStringLiteral("Земфира"), QStringLiteral("Хочешь? (Концертная запись, Лужники 2008)"));
        Save(page.get(), QStringLiteral("title-cropped-title"), QStringLiteral("Title line, long title fitted"));
        wrapper.SetText(
            QStringLiteral("The Orchestra of the Age of Enlightenment and Friends"), QStringLiteral("Symphony"));
        Save(page.get(), QStringLiteral("title-cropped-artist"),
            QStringLiteral("Title line, artist too long: no title"));
        wrapper.SetText(QStringLiteral("<b>x</b>"), QStringLiteral("<img src=\"a.png\"> &amp;"));
        Save(page.get(), QStringLiteral("title-markup"), QStringLiteral("Title line, markup shown as text"));
    }
    {
        auto page = Page(320, 16);
        auto *bar = new QProgressBar(page.get());
        bar->setGeometry(4, 2, 312, 12);
        SetStyleLookup(bar, QStringLiteral("loadingprogressbarstyle"));
        TLoadingProgressBarWrapper wrapper(page.get(), bar);
        Save(page.get(), QStringLiteral("seekbar-idle"), QStringLiteral("Seek bar, nothing playing"));
        bar->setEnabled(true);
        bar->setValue(70);
        wrapper.ShowTrackBar();
        wrapper.TrackBar()->setRange(0, 100);
        wrapper.TrackBar()->setValue(35);
        Save(page.get(), QStringLiteral("seekbar-playing"), QStringLiteral("Seek bar, 70 % buffered, played to 35 %"));
        wrapper.TrackBar()->setAttribute(Qt::WA_UnderMouse, true);
        wrapper.TrackBar()->setFocus();
        Save(page.get(), QStringLiteral("seekbar-focus"), QStringLiteral("Seek bar, slider focused"));
        wrapper.HideTrackBar();
        wrapper.StartLoadingAnimation();
        for (int step = 0; step < 4; ++step) {
            wrapper.LoadingAnimation()->setCurrentTime(step * 225);
            Save(page.get(), QStringLiteral("seekbar-connecting-%1").arg(step),
                QStringLiteral("Seek bar, connecting, frame %1").arg(step));
        }
        wrapper.StopLoadingAnimation();
    }
    {
        auto page = Page(380, 48);
        auto *panel = new QWidget(page.get());
        panel->setGeometry(0, 0, 380, 48);
        SetStyleLookup(panel, QStringLiteral("playlistcontrolPanelstyle"));
        TPlaylistControlsPanelWrapper wrapper(page.get(), panel, page.get());
        wrapper.TitleLabel()->SetText(QStringLiteral("Massive Attack"), QStringLiteral("Teardrop"));
        wrapper.DurationLabel()->setText(QStringLiteral("-03:12"));
        wrapper.SetPlayPauseButtonState(pbPause);
        wrapper.setProgressBarEnabled(true);
        wrapper.setProgressBarValue(80);
        wrapper.setProgressBarTrackBarVisible(true);
        wrapper.setProgressBarTrackBarValue(40);
        Save(page.get(), QStringLiteral("playlistpanel"), QStringLiteral("Playlist pop-up panel, playing"));
    }
    {
        auto page = Page(320, 140);
        auto *expander = new TExpander(page.get());
        expander->setGeometry(4, 4, 312, 132);
        expander->SetText(Language == u"ru" ? QStringLiteral("Биография") : QStringLiteral("Biography"));
        auto *text = new QLabel(expander->Content());
        text->setTextFormat(Qt::PlainText);
        text->setWordWrap(true);
        text->setGeometry(8, 6, 296, 80);
        text->setText(QStringLiteral("A calm dark page of text; biographies come from the network and are "
                                     "shown as plain text."));
        TMetaDataBlockExpanderWrapper wrapper(page.get(), expander);
        wrapper.SetMode(mdemNormal);
        Save(page.get(), QStringLiteral("expander-open-") + Language, QStringLiteral("Section, open"));
        wrapper.StartLoadingAnimation();
        Save(page.get(), QStringLiteral("expander-loading-") + Language, QStringLiteral("Section, loading"));
        wrapper.StopLoadingAnimation();
        expander->SetIsExpanded(false);
        Save(page.get(), QStringLiteral("expander-closed-") + Language, QStringLiteral("Section, closed"));
        wrapper.SetMode(mdemError);
        Save(page.get(), QStringLiteral("expander-error-") + Language, QStringLiteral("Section, error"));
    }
    {
        auto page = Page(360, 130);
        auto *tooltip = new QWidget(page.get());
        SetStyleLookup(tooltip, QStringLiteral("tooltipstyle"));
        TTooltipControlWrapper wrapper(page.get(), tooltip);
        auto *middle = new QToolButton(page.get());
        SetStyleLookup(middle, QStringLiteral("downloadButtonstyle"));
        middle->setGeometry(160, 80, 28, 28);
        auto *top = new QToolButton(page.get());
        SetStyleLookup(top, QStringLiteral("settingsButtonstyle"));
        top->setGeometry(322, 4, 28, 28);
        wrapper.Show(middle, LocalizationManager->getValue(QStringLiteral("ALCI_DownloadButton_Hint")));
        Save(page.get(), QStringLiteral("tooltip-above-") + Language, QStringLiteral("Tooltip above a row button"));
        wrapper.Show(top, LocalizationManager->getValue(QStringLiteral("SaveTrackButton_SavedTrack_Hint")));
        Save(page.get(), QStringLiteral("tooltip-below-") + Language,
            QStringLiteral("Tooltip below a control at the top right, kept inside"));
    }
    {
        auto page = Page(130, 130);
        auto *picture = new QWidget(page.get());
        picture->setGeometry(5, 5, 120, 120);
        SetStyleLookup(picture, QStringLiteral("artistimagestyle"));
        TNoArtistImages images;
        TArtistImageWrapper wrapper(page.get(), picture, images);
        Save(page.get(), QStringLiteral("artistpicture-default"), QStringLiteral("Artist picture, default"));
    }
    {
        auto page = Page(300, 40);
        auto *edit = new QLineEdit(page.get());
        edit->setGeometry(6, 6, 288, 28);
        SetStyleLookup(edit, QStringLiteral("searchEditstyle"));
        auto *indicator = new THorizontalLoadingAnimation(page.get());
        indicator->setGeometry(264, 12, 24, 16);
        TSearchEditWrapper wrapper(page.get(), indicator, edit);
        Save(page.get(), QStringLiteral("search-placeholder-") + Language, QStringLiteral("Search box, empty"));
        wrapper.TaskStarted();
        edit->setText(QStringLiteral("Radiohead"));
        edit->setFocus();
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(edit, &in);
        Save(page.get(), QStringLiteral("search-busy-") + Language, QStringLiteral("Search box, searching"));
        wrapper.TaskFinished();
        edit->setEnabled(false);
        Save(page.get(), QStringLiteral("search-disabled-") + Language, QStringLiteral("Search box, disabled"));
    }
    {
        auto page = Page(360, 30);
        auto *border = new QWidget(page.get());
        border->setGeometry(0, 0, 360, 30);
        SetStyleLookup(border, QStringLiteral("windowborderstyle"));
        border->findChild<QLabel *>(QStringLiteral("title"))
            ->setText(LocalizationManager->getValue(QStringLiteral("ProgramTitle")) + QStringLiteral(" 1.2 — user"));
        Save(page.get(), QStringLiteral("windowborder-") + Language, QStringLiteral("Window title bar"));
    }
    {
        auto page = Page(140, 150);
        auto *cover = new QWidget(page.get());
        cover->setGeometry(20, 6, 100, 140);
        SetStyleLookup(cover, QStringLiteral("coverimagePanelstyle"));
        cover->findChild<QLabel *>(QStringLiteral("contentimage"))
            ->setPixmap(StyleBitmap(QStringLiteral("CoverImageDataViewDefaultBitmap")));
        cover->findChild<QLabel *>(QStringLiteral("text"))->setText(QStringLiteral("Mezzanine"));
        cover->findChild<QWidget *>(QStringLiteral("ErrorIndicatorPanel"))->hide();
        Save(page.get(), QStringLiteral("cover-default"), QStringLiteral("Album cover, default picture"));
    }
    {
        auto page = Page(360, 34);
        auto *row = new QHBoxLayout(page.get());
        row->setContentsMargins(4, 4, 4, 4);
        for (const char *style : {"taggenreButtonstyle", "tagartistButtonstyle", "tagalbumButtonstyle"}) {
            auto *tag = new QPushButton(page.get());
            SetStyleLookup(tag, QString::fromLatin1(style));
            tag->findChild<QLabel *>(QStringLiteral("text"))->setText(QString::fromLatin1(style).left(6));
            tag->setFixedSize(100, 24);
            row->addWidget(tag);
        }
        Save(page.get(), QStringLiteral("tags"), QStringLiteral("Navigation tags: genre, artist, album"));
    }
    {
        auto page = Page(200, 40);
        auto *row = new QHBoxLayout(page.get());
        for (const char *style : {"notfoundtrackPanelstyle", "errorindicatorPanelstyle", "FieldStatusOKPanelstyle",
                 "FieldStatusErrorPanelstyle", "VKLogoPanelStyle"}) {
            auto *panel = new QLabel(page.get());
            SetStyleLookup(panel, QString::fromLatin1(style));
            panel->setFixedSize(QString::fromLatin1(style) == u"VKLogoPanelStyle" ? QSize(28, 28) : QSize(16, 16));
            row->addWidget(panel);
        }
        Save(page.get(), QStringLiteral("indicators"),
            QStringLiteral("Not found, error, field OK, field error, sign-in mark"));
    }
}

// A 32-pixel track row as the VK and Downloads lists paint it: background
// bitmap, play button, title, duration. (Those lists take their rows from the
// web client and the saved-tracks table; the playlist pop-up below shows the
// real rows.)
class TGalleryRow : public TKeyScrolledListPanel
{
public:
    explicit TGalleryRow(TDynamicListBox *AListBox) :
          TKeyScrolledListPanel(AListBox), FPlay(new TDynamicListButton(this)), FTitle(new TDynamicListLabel(this)),
          FDuration(new TDynamicListLabel(this))
    {
        FPlay->setGeometry(8, 8, 16, 16);
        FPlay->setFocusPolicy(Qt::NoFocus);
        FDuration->setProperty(StyleLookupProperty, QStringLiteral("durationLabelstyle"));
    }
    static inline QStringList Titles;
    static inline int Playing = 1;

    void UpdateContent() override
    {
        TKeyScrolledListPanel::UpdateContent();
        const bool playing = Index() == Playing;
        FBackground = StyleBitmap(playing                 ? QStringLiteral("playingitembackgroundbitmap")
                : Index() == ListBox()->ActiveItemIndex() ? QStringLiteral("activeitembackgroundbitmap")
                                                          : QStringLiteral("itembackgroundbitmap"));
        SetStyleLookup(
            FPlay, playing ? QStringLiteral("pausetrackButtonstyle") : QStringLiteral("playtrackButtonstyle"));
        FDuration->setText(playing ? QStringLiteral("-02:41") : QStringLiteral("4:%1").arg(10 + Index(), 2));
        FDuration->adjustSize();
        FDuration->move(width() - FDuration->width() - 10, (height() - FDuration->height()) / 2);
        FTitle->setText(FTitle->CropText(Titles.value(Index() % Titles.size()), FDuration->x() - 44));
        FTitle->adjustSize();
        FTitle->move(34, (height() - FTitle->height()) / 2);
    }

protected:
    void paintEvent(QPaintEvent *Event) override
    {
        QPainter painter(this);
        painter.drawPixmap(rect(), FBackground, QRectF(FBackground.rect()).toRect());
        painter.end();
        TKeyScrolledListPanel::paintEvent(Event);
    }

private:
    TDynamicListButton *FPlay;
    TDynamicListLabel *FTitle;
    TDynamicListLabel *FDuration;
    QPixmap FBackground;
};

void ListRows()
{
    TGalleryRow::Titles = {QStringLiteral("Portishead – Roads"), QStringLiteral("Massive Attack – Teardrop"),
        QStringLiteral("Кино – Звезда по имени Солнце"),
        QStringLiteral("A title far too long for its row, so it ends in an ellipsis, on and on"),
        QStringLiteral("<b>markup</b> & <img src=x> stays text"), QStringLiteral("Björk – Jóga")};
    auto page = Page(420, 200);
    auto *surface = new QWidget(page.get());
    surface->setGeometry(0, 0, 410, 200);
    SetStyleLookup(surface, QStringLiteral("listsurfacestyle"));
    surface->setAttribute(Qt::WA_StyledBackground);
    auto *bar = new QScrollBar(Qt::Vertical, page.get());
    bar->setGeometry(410, 0, 10, 200);
    TKeyScrolledListBox list(page.get(), nullptr, PanelClassOf<TGalleryRow>(), bar, surface);
    list.SetItemHeight(32);
    list.Initialize();
    list.SetData(40);
    list.SetActiveItemIndex(3);
    list.SetMouseInItemIndex(4);
    Save(page.get(), QStringLiteral("list-rows"),
        QStringLiteral("Track rows: playing (1), active (3), hovered (4), long and markup titles"));
    bar->setValue(50);
    Save(page.get(), QStringLiteral("list-rows-scrolled"), QStringLiteral("Track rows scrolled by 50 pixels"));
    list.SetData(3);
    Save(page.get(), QStringLiteral("list-rows-few"), QStringLiteral("Three rows: scroll bar off"));
}

// The playlist pop-up's own rows over a playlist of site tracks, and the
// download ring's states.
void PlaylistRows()
{
    TAudioPlaylist playlist;
    int duration = 150;
    for (const QString &title : TGalleryRow::Titles) {
        TVKAudioRecord record;
        record.Artist = QStringLiteral("Artist");
        record.Title = title;
        record.Duration = duration += 37;
        playlist.Add(std::make_unique<TVKAudioPlaylistItem>(record));
    }
    auto page = Page(420, 120);
    auto *surface = new QWidget(page.get());
    surface->setGeometry(0, 0, 410, 120);
    SetStyleLookup(surface, QStringLiteral("listsurfacestyle"));
    surface->setAttribute(Qt::WA_StyledBackground);
    auto *bar = new QScrollBar(Qt::Vertical, page.get());
    bar->setGeometry(410, 0, 10, 120);
    TPlaylistListBox list(page.get(), nullptr, PanelClassOf<TPlaylistListBoxItem>(), bar, surface);
    list.SetItemHeight(24);
    list.Initialize();
    list.SetData(&playlist);
    list.SetMouseInItemIndex(2);
    Save(page.get(), QStringLiteral("list-playlist-rows"),
        QStringLiteral("Playlist pop-up rows: hovered (2), long and markup titles"));
    list.SetData(nullptr);

    auto rings = Page(136, 36);
    const int values[] = {0, 37, 99, 100};
    for (int i = 0; i < 4; ++i) {
        auto *ring = new TLoadingIndicator(rings.get());
        ring->move(4 + i * 33, 4);
        ring->SetValue(values[i]);
    }
    Save(rings.get(), QStringLiteral("download-rings"), QStringLiteral("Download ring at 0, 37, 99 and 100 %"));
}

void AnimationFrames()
{
    TShapeAnimationTickTimer::SetClock([] { return Clock; });
    auto page = Page(60, 32);
    auto *view = new TVirtualShapeAnimationView(page.get());
    const auto frames = [&](TVirtualShapeAnimation &Animation, const QString &Name, const QRect &Geometry, int Count,
                            const QString &Caption) {
        view->setGeometry(Geometry);
        page->resize(Geometry.width() + 2 * Geometry.x(), Geometry.height() + 2 * Geometry.y());
        Animation.AttachView(view);
        Clock = 0;
        Animation.Start();
        for (int frame = 0; frame < Count; ++frame) {
            Clock = quint64(frame * double(Animation.Length) / Animation.Max() + 0.5);
            GetInstance<TShapeAnimationTickTimer>()->Tick();
            Save(page.get(), QStringLiteral("%1-%2").arg(Name).arg(frame, 2, 10, QLatin1Char('0')),
                QStringLiteral("%1, frame %2").arg(Caption).arg(Animation.Value()));
        }
        Animation.Stop();
    };
    TVirtualLoadingAnimation loader;
    frames(loader, QStringLiteral("anim-loader"), QRect(4, 4, 24, 24), 10, QStringLiteral("Loader"));
    TVirtualHorizontalLoadingAnimation strip;
    frames(strip, QStringLiteral("anim-strip"), QRect(4, 4, 29, 20), 8, QStringLiteral("Loading strip"));
    TVirtualAddTrackAnimation add;
    view->setGeometry(4, 4, 60, 24);
    page->resize(68, 32);
    add.AttachView(view);
    for (auto phase : {apFadingIn, apPending1, apChanging, apPending2, apFadingOut}) {
        add.SetPhase(phase);
        Clock = 0;
        add.Start();
        const int steps = add.Max() == 1 ? 1 : 5;
        for (int step = 0; step < steps; ++step) {
            Clock = quint64(step * double(add.Length) / steps);
            GetInstance<TShapeAnimationTickTimer>()->Tick();
            Save(page.get(), QStringLiteral("anim-addtrack-%1-%2").arg(int(phase)).arg(step),
                QStringLiteral("Add to My Music, phase %1, frame %2").arg(int(phase)).arg(add.Value()));
        }
        add.Stop();
    }
    TShapeAnimationTickTimer::SetClock({});
}

void Bitmaps()
{
    const char *names[] = {"itembackgroundbitmap", "activeitembackgroundbitmap", "playingitembackgroundbitmap",
        "flatitembackgroundbitmap", "activeflatitembackgroundbitmap", "playingflatitembackgroundbitmap",
        "miniItembackgroundbitmap", "activeminiItembackgroundbitmap", "playingminiItembackgroundbitmap",
        "downloadcompletedbitmap", "defaultartistimagebitmap", "CoverImageDataViewDefaultBitmap",
        "addtrackbitmapobject", "addedtrackbitmapobject", "VirtualLoadingAnimationSpriteBitmap",
        "HorizontalLoadingAnimationSpriteBitmap"};
    for (const char *name : names) {
        const QPixmap bitmap = StyleBitmap(QString::fromLatin1(name));
        const QSize size = bitmap.deviceIndependentSize().toSize();
        auto page = Page(size.width() + 8, size.height() + 8);
        auto *label = new QLabel(page.get());
        label->setGeometry(4, 4, size.width(), size.height());
        label->setPixmap(bitmap);
        Save(page.get(), QStringLiteral("bitmap-") + QString::fromLatin1(name), QString::fromLatin1(name));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: marvane-gallery OUTPUT_FOLDER\n");
        return 2;
    }
    Folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(Folder);
    int result = 0;
    // The pointer stays off the pictures: nothing is hovered unless asked.
    QCursor::setPos(-1000, -1000);
    try {
        InstallStyle();
        Buttons();
        for (const QString &language : {QStringLiteral("en"), QStringLiteral("ru")}) {
            LocalizationManager = new TQelmLocalizationManager();
            LocalizationManager->SelectStartupLocalization(language);
            Captions(language);
            Composites(language);
            delete LocalizationManager;
            LocalizationManager = nullptr;
        }
        ListRows();
        PlaylistRows();
        AnimationFrames();
        Bitmaps();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "gallery: %s\n", e.what());
        result = 1;
    }
    QFile list(Folder + QStringLiteral("/gallery.txt"));
    if (list.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        QTextStream out(&list);
        for (const QString &entry : Entries)
            out << entry << '\n';
    }
    THierarchicalSingleton::DoDestroy();
    return result != 0 ? result : (Problems != 0 ? 3 : 0);
}
