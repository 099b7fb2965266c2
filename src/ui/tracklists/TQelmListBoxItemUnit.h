#pragma once

#include "ui/lists/TKeyScrolledListBoxUnit.h"

#include <QPixmap>
#include <QStringList>

#include <functional>

class TVKAudioPlaylistItem;

enum TTrackState { tsNotFound, tsLoading, tsSaved };
// An AID is unique only within its owner, so the owner comes along.
using TGetTrackStateRequestProc
    = std::function<void(int AID, int OwnerID, TTrackState &TrackState, int &LoadingPercent)>;
using TSaveTrackRequestProc = std::function<void(const TVKAudioPlaylistItem &Item)>;

// What every track list shares: Enter plays the active row, the active row
// shows while the list has the keyboard focus, and the rows painted as
// playing are found again when the player moves on.
class TQelmListBox : public TKeyScrolledListBox
{
    Q_OBJECT
public:
    TQelmListBox(QObject *Owner, QAbstractScrollArea *AScrollControl, TDynamicListPanelClass APanelClass,
        QScrollBar *AScrollBar, QWidget *AScrollBox);

    // The play button's action of row Index: pause or resume the playing
    // row, else play the row; rows that cannot play are ignored.
    virtual void PlayItem(int Index) = 0;
    virtual bool IsPlayingItem(int Index) const = 0;
    // Repaints the row of the current track and the row that showed the one before.
    void RepaintPlayingItem();

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    // New data goes back to the top; the same data changed in place keeps
    // the scroll position.
    virtual void DataChanged(bool IsCurrentDataUpdated);

    // The list follows Data's changes (and its rows' changes, where it
    // announces them) until unhooked; a list unhooks before it goes.
    template<class TData> void HookData(TData *Data)
    {
        if (!Data)
            return;
        Data->OnChanged = [this](TObject *, bool IsCurrentDataUpdated) { DataChanged(IsCurrentDataUpdated); };
        if constexpr (requires { Data->OnItemChanged; })
            Data->OnItemChanged = [this](TObject *, int Index) { RepaintItemByIndex(Index); };
    }
    template<class TData> static void UnhookData(TData *Data)
    {
        if (!Data)
            return;
        Data->OnChanged = nullptr;
        if constexpr (requires { Data->OnItemChanged; })
            Data->OnItemChanged = nullptr;
    }
};

// A row of a track list: a background bitmap shared by every row.
class TQelmListBoxItem : public TKeyScrolledListPanel
{
    Q_OBJECT
public:
    explicit TQelmListBoxItem(TDynamicListBox *AListBox);
    ~TQelmListBoxItem() override;

    TQelmListBox *ListBox() const { return static_cast<TQelmListBox *>(TDynamicListPanel::ListBox()); }
    void UpdateBackground() override;
    bool IsMouseIn() const { return Index() == ListBox()->MouseInItemIndex(); }
    // Whether the last paint showed the row as the playing one.
    bool PaintedAsPlaying() const { return FPaintedAsPlaying; }

protected:
    virtual QPixmap BackgroundBitmap() const;
    bool event(QEvent *Event) override;
    void paintEvent(QPaintEvent *Event) override;

    // The play button and the duration of a row that shows a track of
    // Duration seconds, the playing one when IsPlaying; returns the state
    // the row's accessible name tells.
    QString UpdatePlayControls(
        QPushButton *PlayButton, QLabel *DurationLabel, QLabel *TitleLabel, bool IsPlaying, bool CanPlay, int Duration);
    // The track, then the states that are not empty.
    void SetAccessibleRowName(const QString &TrackText, const QStringList &States);

    // The shared row backgrounds.
    enum TRowBitmap { rbItem, rbActiveItem, rbPlayingItem, rbMiniItem, rbActiveMiniItem, rbPlayingMiniItem };
    static const QPixmap &Bitmap(TRowBitmap Kind);

private:
    bool FPaintedAsPlaying = false;
    QPixmap FBackground;
};

// "Artist - Title", exactly as the site gave them: the labels show plain text.
QString TrackText(const QString &Artist, const QString &Title);
// The text of Key in the active language.
QString LocalizedText(const QString &Key);
// Re-applies a control's style only when its name changes.
void SetStyleLookupIfChanged(QWidget *Control, const QString &Lookup);
