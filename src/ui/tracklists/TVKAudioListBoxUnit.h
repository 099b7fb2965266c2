#pragma once

#include "foundation/THierarchicalSingletonUnit.h"
#include "ui/tracklists/TQelmListBoxItemUnit.h"

#include <QPixmap>

#include <functional>

class QLabel;
class TCustomVKAudioData;
class TCustomVKAudioTrackViewData;
class TLoadingIndicator;
class TVirtualShapeAnimationView;
class TVKAudioData;
class TVKAudioTrackViewData;
class TVKCompositeAudioData;
class TVKSearchAudioData;
class TVKUserAudioData;

// A list of VK tracks over its data, which it does not own: the data must
// outlive the list or be taken away first (SetData(nullptr)).
class TCustomVKAudioListBox : public TQelmListBox
{
    Q_OBJECT
public:
    using TQelmListBox::TQelmListBox;
    ~TCustomVKAudioListBox() override;

    TCustomVKAudioData *Data() const { return FData; }
    void SetData(TCustomVKAudioData *AData);
    int GetItemsCount() const override;

    const TGetTrackStateRequestProc &GetTrackStateRequestProc() const { return FGetTrackStateRequestProc; }
    void SetGetTrackStateRequestProc(TGetTrackStateRequestProc Value) { FGetTrackStateRequestProc = std::move(Value); }
    const TSaveTrackRequestProc &SaveTrackRequestProc() const { return FSaveTrackRequestProc; }
    void SetSaveTrackRequestProc(TSaveTrackRequestProc Value) { FSaveTrackRequestProc = std::move(Value); }

    // Every row in view of a track with that AID (owners may share one).
    void RepaintItemByAID(int AID);
    void PlayItem(int Index) override;
    bool IsPlayingItem(int Index) const override;
    // Row Index as a VK track, or null for a row that is not one.
    TVKAudioTrackViewData *VKTrack(int Index) const;

private:
    TCustomVKAudioData *FData = nullptr;
    TGetTrackStateRequestProc FGetTrackStateRequestProc;
    TSaveTrackRequestProc FSaveTrackRequestProc;
};

// A list loaded page by page: the next page is asked for when the list is
// scrolled to its very end, and when the rows do not fill the surface (there
// is no end to scroll to then).
class TVKAudioListBox : public TCustomVKAudioListBox
{
    Q_OBJECT
public:
    TVKAudioListBox(QObject *Owner, QAbstractScrollArea *AScrollControl, TDynamicListPanelClass APanelClass,
        QScrollBar *AScrollBar, QWidget *AScrollBox);

    TVKAudioData *Data() const;
    void SetData(TVKAudioData *AData);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;
    void DataChanged(bool IsCurrentDataUpdated) override;

private:
    void CheckNextPage();
    void CheckUnfilledList();

    // The row count the list last asked for more at while it did not fill
    // the surface: a page that brings nothing is not asked for again.
    int FUnfilledAskedCount = -1;
};

class TVKUserAudioListBox : public TVKAudioListBox
{
    Q_OBJECT
public:
    using TVKAudioListBox::TVKAudioListBox;

    TVKUserAudioData *Data() const;
    void SetData(TVKUserAudioData *AData);

    // The delete button of row Index; the window asks the user first.
    std::function<void(int Index)> OnDeleteFromMyMusic;
};

class TVKSearchAudioListBox : public TVKAudioListBox
{
    Q_OBJECT
public:
    using TVKAudioListBox::TVKAudioListBox;

    TVKSearchAudioData *Data() const;
    void SetData(TVKSearchAudioData *AData);
};

// The tracks of an artist or album page, each matched on the site.
class TVKCompositeAudioListBox : public TCustomVKAudioListBox
{
    Q_OBJECT
public:
    using TCustomVKAudioListBox::TCustomVKAudioListBox;

    TVKCompositeAudioData *Data() const;
    void SetData(TVKCompositeAudioData *AData);
};

// The composite list inside a metadata page: it never scrolls itself, the
// page around it does (its container grows to the list's height).
class TMetaVKCompositeAudioListBox : public TVKCompositeAudioListBox
{
    Q_OBJECT
public:
    TMetaVKCompositeAudioListBox(QObject *AOwner, QAbstractScrollArea *AScrollControl, QWidget *AControlsParent);
};

// A row of a VK track list.
class TVKAudioListBoxItem : public TQelmListBoxItem
{
    Q_OBJECT
public:
    explicit TVKAudioListBoxItem(TDynamicListBox *AListBox);

    TCustomVKAudioListBox *ListBox() const
    {
        return static_cast<TCustomVKAudioListBox *>(TDynamicListPanel::ListBox());
    }
    void UpdateContent() override;
    void DoClick() override;

    TDynamicListButton *PlayButton;
    TDynamicListButton *DownloadButton;
    TDynamicListButton *MyMusicButton;
    TVirtualShapeAnimationView *MyMusicAnimationView;
    TDynamicListLabel *TitleLabel;
    TDynamicListLabel *DurationLabel;
    TLoadingIndicator *LoadingIndicator;

protected:
    // Places the duration and the buttons right of the title for a row of this width.
    void LayoutRightSide();
    // The title cut to the space left of Limit.
    void SetTitle(const QString &Text, int Limit);

private:
    void PaintTrack(const TVKAudioTrackViewData &Track);
    void UpdateMyMusicButton(const TVKAudioTrackViewData &Track);
    // Returns the download state the row's accessible name tells.
    QString UpdateDownload(const TCustomVKAudioTrackViewData &Track);
    void MyMusicButtonClick();
    void DownloadButtonClick();
};

// The flat row bitmaps of the metadata pages, loaded once.
class TCompositeItemsBGData : public THierarchicalSingleton
{
public:
    QPixmap FlatItemBackgroundBitmap;
    QPixmap FlatActiveItemBackgroundBitmap;
    QPixmap FlatPlayingItemBackgroundBitmap;

protected:
    template<class C> friend C *GetInstance();
    TCompositeItemsBGData();
};

// A row of a metadata page: a VK track, or a track still looked up on the
// site, or one the site does not have.
class TVKCompositeAudioListBoxItem : public TVKAudioListBoxItem
{
    Q_OBJECT
public:
    explicit TVKCompositeAudioListBoxItem(TDynamicListBox *AListBox);

    void UpdateContent() override;

    QLabel *UnavailableTrackIndicator;
    TVirtualShapeAnimationView *LoadingAnimationView;

protected:
    QPixmap BackgroundBitmap() const override;
};
