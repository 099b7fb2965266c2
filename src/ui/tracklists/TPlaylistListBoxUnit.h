#pragma once

#include "ui/tracklists/TQelmListBoxItemUnit.h"

class TAudioPlaylist;

// The playlist pop-up over a playlist it does not own (the player's), which
// must outlive the list or be taken away first (SetData(nullptr)).
class TPlaylistListBox : public TQelmListBox
{
    Q_OBJECT
public:
    using TQelmListBox::TQelmListBox;
    ~TPlaylistListBox() override;

    TAudioPlaylist *Data() const { return FData; }
    void SetData(TAudioPlaylist *AData);
    int GetItemsCount() const override;

    void PlayItem(int Index) override;
    bool IsPlayingItem(int Index) const override;
    // Centres the current track's row, as far as the rows reach.
    void FocusOnPlayingItem();

private:
    bool IsPlayersPlaylist() const;

    TAudioPlaylist *FData = nullptr;
};

class TPlaylistListBoxItem : public TQelmListBoxItem
{
    Q_OBJECT
public:
    explicit TPlaylistListBoxItem(TDynamicListBox *AListBox);

    TPlaylistListBox *ListBox() const { return static_cast<TPlaylistListBox *>(TDynamicListPanel::ListBox()); }
    void UpdateContent() override;
    void DoClick() override;

    TDynamicListButton *PlayButton;
    TDynamicListLabel *TitleLabel;
    TDynamicListLabel *DurationLabel;

protected:
    QPixmap BackgroundBitmap() const override;
};
