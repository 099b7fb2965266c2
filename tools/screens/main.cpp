// Takes the pictures of the player at work (scripts/screens): the real
// player in this process against the stand-in, driven as a user would by the
// window's object names, each state grabbed from the screen. A step whose
// controls are not there is noted as missing and the rest go on.
//
//   marvane-screens OUT_DIR --lang en|ru --music DIR [--only PREFIXES] [--scene account]
//
// Writes OUT_DIR/NAME.png and OUT_DIR/screens.txt: one line per picture,
// "file<TAB>caption<TAB>note". The stand-in's plain account is signed in
// (its cookie file) with a My Music of 60 tracks, audio at 16,000 bytes a
// second, track 1001_50 broken, and a newer version on its update host
// (scripts/screens starts it so). The scene "account" starts from a fresh
// profile instead: the sign-in, two-step, captcha and sign-up overlays, the
// title with the user, and the tooltips. With --only, only the pictures whose
// names begin with one of the PREFIXES (separated by commas) are taken.
#include "app/application/ApplicationUnit.h"
#include "app/shell/TMainFormUnit.h"
#include "app/shell/TSettingsFormUnit.h"
#include "app/shell/TUpdateDialogUnit.h"
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
#include <QCursor>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPixmap>
#include <QRadioButton>
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
    TShooter(const QString &Folder, const QString &MusicFolder, const QString &Only) :
          FFolder(Folder), FMusicFolder(MusicFolder), FOnly(Only.split(u',', Qt::SkipEmptyParts))
    {
    }

    // Runs Step, then grabs the window and every window open over it. A
    // missing part is noted beside the picture.
    void Shoot(const QString &Name, const QString &Caption, const std::function<void()> &Step)
    {
        if (!FOnly.isEmpty()
            && std::none_of(FOnly.begin(), FOnly.end(), [&](const QString &Prefix) { return Name.startsWith(Prefix); }))
            return;
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

    void Run(bool Account)
    {
        QFile index(FFolder + QStringLiteral("/screens.txt"));
        index.open(QIODevice::WriteOnly | QIODevice::Truncate);
        FIndex.setDevice(&index);
        Application::SetExceptionHandler([this](const QString &Message) { FErrors << Message; });
        WaitUntil(
            [] { return Find(QStringLiteral("MainForm")) && Find(QStringLiteral("MainForm"))->isVisible(); }, 20s);
        if (Account) {
            TakeAccount();
        } else {
            // The stored session signs in and My Music loads.
            WaitUntil([] { return HasRows(QStringLiteral("VKUserAudioListBox")); }, 20s);
            TakeAll();
        }
        FIndex.flush();
        Application::SetExceptionHandler({});
    }

private:
    void TakeAll();
    void TakeSettings();
    void TakeUpdateCheck();
    void TakeAccount();
    void TakeSignup();
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
    QStringList FOnly;
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
    TakeSettings();
    TakeUpdateCheck();
}

// A window of its own (a dialog, a message box) by object name, when shown.
QWidget *ShownWindow(const QString &Name)
{
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->objectName() == Name && window->isVisible())
            return window;
    return nullptr;
}

QWidget *NeedWindow(const QString &Name)
{
    NeedThat(
        Name + QStringLiteral(" shown"), [&] { return ShownWindow(Name) != nullptr; }, 10s);
    return ShownWindow(Name);
}

// The settings window over the main window: its captions in the run's
// language, the other language chosen (both windows re-worded), the folder
// picker and the folder it gave.
void TShooter::TakeSettings()
{
    const auto open = [] {
        if (!ShownWindow(QStringLiteral("SettingsForm")))
            PlayerHarness::Click(Part(QStringLiteral("WindowBorder"), QStringLiteral("settings")));
        return qobject_cast<TSettingsForm *>(NeedWindow(QStringLiteral("SettingsForm")));
    };
    Shoot(QStringLiteral("settings-window"), QStringLiteral("The settings window"), [&] {
        if (QWidget *popup = Find(QStringLiteral("PlaylistPopup")); popup && popup->isVisible())
            PlayerHarness::PressKey(popup, Qt::Key_Escape);
        open();
    });
    Shoot(QStringLiteral("settings-language-switched"),
        QStringLiteral("The other language chosen: both windows re-worded at once"), [&] {
            TSettingsForm *form = open();
            QRadioButton *other = nullptr;
            for (QRadioButton *radio : form->LocalizationRadioButtons())
                if (!radio->isChecked())
                    other = radio;
            if (!other)
                throw EMissing {QStringLiteral("a second language")};
            PlayerHarness::Click(other);
            NeedThat(
                QStringLiteral("the language switched"), [&] { return other->isChecked(); }, 2s);
        });
    // Cancel puts the run's language back.
    if (QWidget *form = ShownWindow(QStringLiteral("SettingsForm")))
        PlayerHarness::Click(form->findChild<QWidget *>(QStringLiteral("CancelButton")));
    Shoot(QStringLiteral("settings-folder-picker"), QStringLiteral("The music folder's picker"), [&] {
        TSettingsForm *form = open();
        auto *box = form->findChild<QGroupBox *>(QStringLiteral("MusicFolderPathExpander"));
        if (!box->isChecked())
            PlayerHarness::PressKey(box, Qt::Key_Space);
        PlayerHarness::Click(Need(QStringLiteral("BrowseMusicFolderPathButton")));
        NeedThat(
            QStringLiteral("MusicFolderDialog shown"),
            [&] { return form->MusicFolderDialog() && form->MusicFolderDialog()->isVisible(); }, 5s);
        // The run's music folder, chosen in the listing of the folder that holds it.
        const QFileInfo music(FMusicFolder);
        form->MusicFolderDialog()->setDirectory(music.absolutePath());
        PlayerHarness::Pass(300ms); // the folder's listing
        // Its name typed into the name box, as a user picks it.
        QWidget *name = form->MusicFolderDialog()->findChild<QWidget *>(QStringLiteral("fileNameEdit"));
        if (!name)
            throw EMissing {QStringLiteral("the folder dialog's name box")};
        PlayerHarness::Type(name, music.fileName());
    });
    Shoot(QStringLiteral("settings-folder-picked"), QStringLiteral("The folder the picker gave, stored"), [&] {
        TSettingsForm *form = open();
        QFileDialog *dialog = form->MusicFolderDialog();
        if (!dialog || !dialog->isVisible())
            throw EMissing {QStringLiteral("MusicFolderDialog")};
        QMetaObject::invokeMethod(dialog, &QDialog::accept);
        NeedThat(
            QStringLiteral("the picked folder shown"), [&] { return !dialog->isVisible(); }, 2s);
    });
    if (QWidget *form = ShownWindow(QStringLiteral("SettingsForm")))
        PlayerHarness::Click(form->findChild<QWidget *>(QStringLiteral("ApplyButton")));
}

// The settings window's "Check for updates" against the stand-in's update
// host: a newer version offered, the program's own, and no update file.
void TShooter::TakeUpdateCheck()
{
    const QByteArray host = qgetenv("MARVANE_UPDATE_URL");
    const auto check = [&](const QString &Answer, const QString &Shown) {
        qputenv("MARVANE_UPDATE_URL", host + Answer.toUtf8());
        if (!ShownWindow(QStringLiteral("SettingsForm")))
            PlayerHarness::Click(Part(QStringLiteral("WindowBorder"), QStringLiteral("settings")));
        PlayerHarness::Click(
            NeedWindow(QStringLiteral("SettingsForm"))->findChild<QWidget *>(QStringLiteral("UpdateButton")));
        NeedWindow(Shown);
        PlayerHarness::Pass(200ms);
    };
    const auto close = [](const QString &Name) {
        if (QWidget *window = ShownWindow(Name))
            window->close();
    };
    Shoot(QStringLiteral("update-dialog"), QStringLiteral("Check for updates: a newer version with its features"),
        [&] { check(QStringLiteral("/newer"), QStringLiteral("UpdateDialog")); });
    close(QStringLiteral("UpdateDialog"));
    Shoot(QStringLiteral("update-no-new-versions"), QStringLiteral("Check for updates: nothing newer"),
        [&] { check(QStringLiteral("/equal"), QStringLiteral("UpdateNoNewVersionsMessage")); });
    close(QStringLiteral("UpdateNoNewVersionsMessage"));
    Shoot(QStringLiteral("update-check-failed"), QStringLiteral("Check for updates: no update file came back"),
        [&] { check(QStringLiteral("/garbage"), QStringLiteral("UpdateCheckFailedMessage")); });
    close(QStringLiteral("UpdateCheckFailedMessage"));
    qputenv("MARVANE_UPDATE_URL", host);
}

// Types into a field of the overlays, replacing what it holds.
void Fill(const QString &Edit, const QString &Text)
{
    auto *edit = qobject_cast<QLineEdit *>(Need(Edit));
    PlayerHarness::Click(edit);
    edit->clear();
    PlayerHarness::Type(edit, Text);
}

// The tooltip follows the pointer itself, not the events a hover sends.
void PointAt(QWidget *Control)
{
    Control->window()->activateWindow();
    PlayerHarness::Hover(Control);
    QCursor::setPos(Control->mapToGlobal(Control->rect().center()));
    PlayerHarness::Pass(700ms);
}

bool Shown(const QString &Name)
{
    QWidget *widget = Find(Name);
    return widget && widget->isVisible();
}

void LogIn(const QString &Login, const QString &Password)
{
    Fill(QStringLiteral("AuthPanelLoginEdit"), Login);
    Fill(QStringLiteral("AuthPanelPasswordEdit"), Password);
    PlayerHarness::Click(Need(QStringLiteral("AuthPanelButton")));
}

void LogOut()
{
    PlayerHarness::Click(Need(QStringLiteral("logouttitlebutton")));
    NeedThat(QStringLiteral("the sign-in overlay"), [] { return Shown(QStringLiteral("AuthPanelLoginEdit")); });
}

void TShooter::TakeAccount()
{
    const QString overlay = QStringLiteral("AuthSignupTabControlSurfaceScrollBox");
    Shoot(QStringLiteral("account-login"), QStringLiteral("A fresh profile: the login overlay"),
        [&] { NeedThat(QStringLiteral("the sign-in overlay"), [&] { return Shown(overlay); }); });
    Shoot(QStringLiteral("account-wrong-password"), QStringLiteral("A wrong password"), [&] {
        LogIn(QStringLiteral("plain@marvane.test"), QStringLiteral("not-the-password"));
        NeedThat(QStringLiteral("the login error"), [] { return Shown(QStringLiteral("AuthPanelErrorText")); });
    });
    Shoot(QStringLiteral("account-captcha"), QStringLiteral("The captcha account: its picture"), [&] {
        LogIn(QStringLiteral("captcha@marvane.test"), QStringLiteral("captcha-pass"));
        NeedThat(QStringLiteral("the captcha overlay"), [] { return Shown(QStringLiteral("CaptchaPanelImage")); });
    });
    Shoot(QStringLiteral("account-signed-in"),
        QStringLiteral("Signed in: the user's name in the title, the logout button after it"), [&] {
            Fill(QStringLiteral("CaptchaPanelEdit"), QStringLiteral("38516"));
            PlayerHarness::Click(Need(QStringLiteral("CaptchaPanelEnterButton")));
            NeedThat(QStringLiteral("the logout button"), [] { return Shown(QStringLiteral("logouttitlebutton")); });
            NeedThat(QStringLiteral("My Music"), [] { return HasRows(QStringLiteral("VKUserAudioListBox")); });
        });
    Shoot(QStringLiteral("account-tooltip-edge"), QStringLiteral("A tooltip at the window's right edge"), [&] {
        PointAt(Need(QStringLiteral("settings")));
        NeedThat(
            QStringLiteral("TooltipPanel shown"), [] { return Shown(QStringLiteral("TooltipPanel")); }, 3s);
    });
    Shoot(QStringLiteral("account-tooltip-row"), QStringLiteral("A tooltip over a row's download button"), [&] {
        TDynamicListPanel *row = Row(QStringLiteral("VKUserAudioListBox"), 0);
        PlayerHarness::Hover(row, QPoint(row->width() / 3, row->height() / 2));
        PointAt(RowButton(row, QStringLiteral("downloadButtonstyle")));
        NeedThat(
            QStringLiteral("TooltipPanel shown"), [] { return Shown(QStringLiteral("TooltipPanel")); }, 3s);
    });
    Shoot(QStringLiteral("account-logged-out"), QStringLiteral("After logout: the overlay again"), [&] { LogOut(); });
    Shoot(QStringLiteral("account-two-step"), QStringLiteral("The two-step account: a wrong code"), [&] {
        LogIn(QStringLiteral("twostep@marvane.test"), QStringLiteral("twostep-pass"));
        NeedThat(QStringLiteral("the two-step page"), [] { return Shown(QStringLiteral("AuthVerifyCodeEdit")); });
        Fill(QStringLiteral("AuthVerifyCodeEdit"), QStringLiteral("000000"));
        PlayerHarness::Click(Need(QStringLiteral("AuthVerifyButton")));
        NeedThat(QStringLiteral("the code error"), [] { return Shown(QStringLiteral("AuthVerifyErrorText")); });
    });
    Shoot(QStringLiteral("account-two-step-signed-in"), QStringLiteral("The two-step account: the right code"), [&] {
        Fill(QStringLiteral("AuthVerifyCodeEdit"), QStringLiteral("123456"));
        PlayerHarness::Click(Need(QStringLiteral("AuthVerifyButton")));
        NeedThat(QStringLiteral("the logout button"), [] { return Shown(QStringLiteral("logouttitlebutton")); });
    });
    TakeSignup();
}

void TShooter::TakeSignup()
{
    const auto words = [](const char *Panel) {
        return [Panel] {
            QWidget *text = Find(QString::fromLatin1(Panel));
            return text && text->isVisible() && !qobject_cast<QLabel *>(text)->text().isEmpty();
        };
    };
    Shoot(QStringLiteral("signup-marks"),
        QStringLiteral("Sign-up: a used phone, a 5-character password, mismatched passwords"), [&] {
            LogOut();
            PlayerHarness::Click(Need(QStringLiteral("AuthSignupSignupTabButton")));
            Fill(QStringLiteral("SignupPanelFirstNameEdit"), QStringLiteral("Nina"));
            Fill(QStringLiteral("SignupPanelLastNameEdit"), QStringLiteral("Orlova"));
            Fill(QStringLiteral("SignupPanelPhoneEdit"), QStringLiteral("+79990000001"));
            Fill(QStringLiteral("SignupPanelPasswordEdit"), QStringLiteral("12345"));
            Fill(QStringLiteral("SignupPanelPasswordConfirmationEdit"), QStringLiteral("12346"));
            NeedThat(QStringLiteral("the phone's mark"), words("SignupPanelPhoneStatusText"));
        });
    Shoot(QStringLiteral("signup-marks-ok"), QStringLiteral("Sign-up: every field accepted"), [&] {
        Fill(QStringLiteral("SignupPanelPhoneEdit"), QStringLiteral("+79990004343"));
        Fill(QStringLiteral("SignupPanelPasswordEdit"), QStringLiteral("secret-pass"));
        Fill(QStringLiteral("SignupPanelPasswordConfirmationEdit"), QStringLiteral("secret-pass"));
        NeedThat(QStringLiteral("the phone accepted"), [] {
            auto *text = Find<QLabel>(QStringLiteral("SignupPanelPhoneStatusText"));
            return text && text->isVisible() && text->property("styleLookup").toString() == u"fieldstatusoktextstyle";
        });
    });
    Shoot(QStringLiteral("signup-confirm"), QStringLiteral("The confirmation page"), [&] {
        PlayerHarness::Click(Need(QStringLiteral("SignupPanelButton")));
        NeedThat(
            QStringLiteral("the confirmation page"), [] { return Shown(QStringLiteral("ConfirmPanelAuthCodeEdit")); });
    });
    Shoot(QStringLiteral("signup-code-by-call"), QStringLiteral("The code again, by a call"), [&] {
        PlayerHarness::Click(Need(QStringLiteral("ConfirmPanelRepeatTypeCallRadioButton")));
        PlayerHarness::Click(Need(QStringLiteral("ConfirmPanelRepeatCodeButton")));
        NeedThat(QStringLiteral("the request answered"),
            [] { return Find(QStringLiteral("ConfirmPanelRepeatCodeButton"))->isEnabled(); });
    });
    Shoot(
        QStringLiteral("signup-success"), QStringLiteral("The account created: Log In with the phone and a note"), [&] {
            Fill(QStringLiteral("ConfirmPanelAuthCodeEdit"), QStringLiteral("24680"));
            PlayerHarness::Click(Need(QStringLiteral("ConfirmPanelConfirmButton")));
            NeedThat(QStringLiteral("the note of success"), [] { return Shown(QStringLiteral("AuthPanelNoteText")); });
        });
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
        NeedThat(QStringLiteral("artist results"), [] { return MetaDataViews().ArtistSearchData().IsComplete(); });
    });

    Shoot(QStringLiteral("meta-artist-page"),
        QStringLiteral("An artist page: biography, picture, top albums, top tracks (one not found), similar artists"),
        [&] {
            PlayerHarness::Click(Rows(artistResults).at(0));
            TArtistData &artist = MetaDataViews().ArtistData();
            NeedThat(QStringLiteral("the artist page loaded"), [&] {
                return artist.State() == mdsLoaded && artist.ImageData().State() != mdsLoading
                    && artist.TopAlbumsData().IsComplete() && artist.SimilarArtistsData().IsComplete()
                    && artist.TopTracksData().IsMatched();
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
                    && album.RelatedAlbumsData().IsComplete() && album.AlbumTracksData().IsMatched();
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
            return artist.State() == mdsLoaded && artist.TopAlbumsData().IsComplete()
                && artist.TopTracksData().IsMatched();
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
    const int only = arguments.indexOf(QStringLiteral("--only"));
    if (folder.isEmpty() || lang < 0 || music < 0) {
        std::fprintf(
            stderr, "usage: marvane-screens OUT_DIR --lang en|ru --music DIR [--only PREFIXES] [--scene account]\n");
        return 2;
    }
    QDir().mkpath(folder);
    // Before the texts are chosen: the language, and downloads into a folder of this run.
    auto *settings = GetInstance<TQelmSettings>();
    settings->SetLang(arguments.value(lang + 1));
    settings->SetCustomMusicFolderFlag(true);
    settings->SetCustomMusicFolderPath(QDir(arguments.value(music + 1)).absolutePath() + u'/');
    TShooter shooter(folder, arguments.value(music + 1), only < 0 ? QString() : arguments.value(only + 1));
    const int exitCode = PlayerHarness::Run(argc, argv, {}, [&] {
        shooter.Run(arguments.value(arguments.indexOf(QStringLiteral("--scene")) + 1) == u"account");
        QCoreApplication::quit();
    });
    return exitCode;
}
