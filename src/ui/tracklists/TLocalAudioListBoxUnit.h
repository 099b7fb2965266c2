#pragma once

#include "ui/tracklists/TQelmListBoxItemUnit.h"

#include <functional>

class QGraphicsOpacityEffect;
class TLoadingIndicator;
class TLocalAudioData;

// The Downloads tab: saved tracks and downloads in progress. The data is the
// window's: the list neither owns nor frees it, and it must outlive the list
// or be taken away first (SetData(nullptr)).
class TLocalAudioListBox : public TQelmListBox
{
    Q_OBJECT
public:
    using TQelmListBox::TQelmListBox;
    ~TLocalAudioListBox() override;

    TLocalAudioData *Data() const { return FData; }
    void SetData(TLocalAudioData *AData);
    int GetItemsCount() const override;

    // Every row in view of a track with that AID (owners may share one).
    void RepaintItemByAID(int AID);
    void PlayItem(int Index) override;
    bool IsPlayingItem(int Index) const override;
    // The delete button of row Index, never on the playing row; the window
    // asks the user and moves the file to the trash.
    void DeleteItem(int Index);
    void ExploreItem(int Index);

    std::function<void(int Index)> OnDeleteTrack;

private:
    TLocalAudioData *FData = nullptr;
};

class TLocalAudioListBoxItem : public TQelmListBoxItem
{
    Q_OBJECT
public:
    explicit TLocalAudioListBoxItem(TDynamicListBox *AListBox);

    TLocalAudioListBox *ListBox() const { return static_cast<TLocalAudioListBox *>(TDynamicListPanel::ListBox()); }
    void UpdateContent() override;
    void DoClick() override;
    qreal DeleteButtonOpacity() const;

    TDynamicListButton *PlayButton;
    TDynamicListButton *DeleteButton;
    TDynamicListButton *ExploreButton;
    TDynamicListLabel *TitleLabel;
    TDynamicListLabel *DurationLabel;
    TLoadingIndicator *LoadingIndicator;

private:
    QGraphicsOpacityEffect *FDeleteButtonOpacity;
};
