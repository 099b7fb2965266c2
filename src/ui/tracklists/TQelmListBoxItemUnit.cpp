#include "ui/tracklists/TQelmListBoxItemUnit.h"

#include "app/helpers/TextUtilsUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "playback/TAudioPlayerUnit.h"
#include "ui/StyleResourceUnit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include <array>
#include <memory>

namespace {

// The row bitmaps, copied from the style while any row lives.
// (Pixmaps only once the application is there, never as statics.)
struct TRowBitmaps
{
    int LiveRows = 0;
    std::unique_ptr<std::array<QPixmap, 6>> Bitmaps;
};
TRowBitmaps RowBitmaps;
// In the order of TQelmListBoxItem::TRowBitmap.
constexpr const char *RowBitmapNames[]
    = {"itembackgroundbitmap", "activeitembackgroundbitmap", "playingitembackgroundbitmap", "miniItembackgroundbitmap",
        "activeminiItembackgroundbitmap", "playingminiItembackgroundbitmap"};

} // namespace

QString TrackText(const QString &Artist, const QString &Title)
{
    return Artist + QStringLiteral(" - ") + Title;
}

QString LocalizedText(const QString &Key)
{
    return LocalizationManager ? LocalizationManager->getValue(Key) : QString();
}

void SetStyleLookupIfChanged(QWidget *Control, const QString &Lookup)
{
    if (GetStyleLookup(Control) != Lookup)
        SetStyleLookup(Control, Lookup);
}

// TQelmListBox

TQelmListBox::TQelmListBox(QObject *Owner, QAbstractScrollArea *AScrollControl, TDynamicListPanelClass APanelClass,
    QScrollBar *AScrollBar, QWidget *AScrollBox) :
      TKeyScrolledListBox(Owner, AScrollControl, std::move(APanelClass), AScrollBar, AScrollBox)
{
}

void TQelmListBox::RepaintPlayingItem()
{
    for (auto *panel : ActualItems())
        if (panel->Index() >= 0 && panel->Index() < ItemsCount()
            && (static_cast<TQelmListBoxItem *>(panel)->PaintedAsPlaying() || IsPlayingItem(panel->Index())))
            panel->Repaint();
}

bool TQelmListBox::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == ScrollBox()) {
        switch (Event->type()) {
        case QEvent::KeyPress: {
            auto *key = static_cast<QKeyEvent *>(Event);
            const auto modifiers = key->modifiers() & ~Qt::KeypadModifier;
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
                if (ActiveItemIndex() >= 0)
                    PlayItem(ActiveItemIndex());
                return true;
            }
            break;
        }
        case QEvent::FocusIn:
            // Reached by the keyboard, the list shows where Enter would play:
            // the first row in view unless a row is active already.
            if (ActiveItemIndex() < 0 && static_cast<QFocusEvent *>(Event)->reason() != Qt::MouseFocusReason
                && !ActualItems().empty() && ActualItems().front()->Index() < ItemsCount()) {
                SetActiveItemIndex(ActualItems().front()->Index());
                break;
            }
            [[fallthrough]];
        case QEvent::FocusOut:
            // The active row shows only while the list has the focus.
            RepaintItemByIndex(ActiveItemIndex());
            break;
        default:
            break;
        }
    }
    return TKeyScrolledListBox::eventFilter(Watched, Event);
}

void TQelmListBox::DataChanged(bool IsCurrentDataUpdated)
{
    if (!IsCurrentDataUpdated || TotalItemsHeight() <= SurfaceHeight()) {
        RefreshData();
        return;
    }
    const int value = ScrollBar() ? ScrollBar()->value() : 0;
    ConfigureScrollBar();
    // A shorter list may have pulled the scroll position back.
    if (ScrollBar() && ScrollBar()->value() != value)
        ScrollBarChange();
    RepaintActualItems();
}

// TQelmListBoxItem

TQelmListBoxItem::TQelmListBoxItem(TDynamicListBox *AListBox) : TKeyScrolledListPanel(AListBox)
{
    if (RowBitmaps.LiveRows == 0) {
        auto bitmaps = std::make_unique<std::array<QPixmap, 6>>();
        for (size_t i = 0; i < bitmaps->size(); ++i)
            (*bitmaps)[i] = StyleBitmap(QString::fromLatin1(RowBitmapNames[i]));
        RowBitmaps.Bitmaps = std::move(bitmaps);
    }
    ++RowBitmaps.LiveRows;
}

TQelmListBoxItem::~TQelmListBoxItem()
{
    if (--RowBitmaps.LiveRows == 0)
        RowBitmaps.Bitmaps.reset();
}

const QPixmap &TQelmListBoxItem::Bitmap(TRowBitmap Kind)
{
    return (*RowBitmaps.Bitmaps)[Kind];
}

QPixmap TQelmListBoxItem::BackgroundBitmap() const
{
    if (FPaintedAsPlaying)
        return Bitmap(rbPlayingItem);
    return Bitmap(IsMouseIn() ? rbActiveItem : rbItem);
}

void TQelmListBoxItem::UpdateBackground()
{
    FBackground = BackgroundBitmap();
    update();
}

bool TQelmListBoxItem::event(QEvent *Event)
{
    if (Event->type() == WM_LOCALIZATIONCHANGED) {
        // The texts of the row and its accessible names follow the language.
        if (!isHidden())
            Repaint();
        return true;
    }
    return TKeyScrolledListPanel::event(Event);
}

void TQelmListBoxItem::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), FBackground);
    const QWidget *surface = ListBox()->ScrollBox();
    if (Index() == ListBox()->ActiveItemIndex() && surface && surface->hasFocus()) {
        painter.setPen(StyleColor(TStyleColor::Accent));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

QString TQelmListBoxItem::UpdatePlayControls(
    QPushButton *PlayButton, QLabel *DurationLabel, QLabel *TitleLabel, bool IsPlaying, bool CanPlay, int Duration)
{
    FPaintedAsPlaying = IsPlaying;
    const TAudioPlayerState state = AudioPlayer ? AudioPlayer->State() : TAudioPlayerState::psStopped;
    const bool running
        = IsPlaying && (state == TAudioPlayerState::psPlaying || state == TAudioPlayerState::psConnecting);
    SetStyleLookupIfChanged(
        PlayButton, running ? QStringLiteral("pausetrackButtonstyle") : QStringLiteral("playtrackButtonstyle"));
    PlayButton->setEnabled(CanPlay);
    PlayButton->setAccessibleName(
        LocalizedText(running ? QStringLiteral("ALCI_PauseButton_Hint") : QStringLiteral("ALCI_PlayButton_Hint")));
    QString rowState;
    if (IsPlaying && state == TAudioPlayerState::psConnecting) {
        DurationLabel->setText(LocalizedText(QStringLiteral("ALCI_ConnectingState_Text")));
        rowState = DurationLabel->text();
    } else if (IsPlaying) {
        DurationLabel->setText(SecondsToRemainingTimeString(Duration, AudioPlayer->PlayingPosition()));
        rowState = LocalizedText(state == TAudioPlayerState::psPaused ? QStringLiteral("ALCI_PausedState_Text")
                                                                      : QStringLiteral("ALCI_PlayingState_Text"));
    } else {
        DurationLabel->setText(SecondsToTimeString(Duration));
    }
    const bool accent = IsPlaying && state == TAudioPlayerState::psPlaying;
    SetStyleLookupIfChanged(
        DurationLabel, accent ? QStringLiteral("playingtracktextstyle") : QStringLiteral("durationLabelstyle"));
    SetStyleLookupIfChanged(
        TitleLabel, accent ? QStringLiteral("playingtracktextstyle") : QStringLiteral("tracktextstyle"));
    DurationLabel->adjustSize();
    return rowState;
}

void TQelmListBoxItem::SetAccessibleRowName(const QString &TrackText, const QStringList &States)
{
    QStringList parts {TrackText};
    for (const QString &state : States)
        if (!state.isEmpty())
            parts << state;
    setAccessibleName(parts.join(QStringLiteral(", ")));
}
