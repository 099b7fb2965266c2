#pragma once

#include "metadata/views/TMetaDataViewUnit.h"

#include <QPointer>

#include <cstdint>
#include <functional>
#include <vector>

class QAbstractScrollArea;
class QWidget;
class TCoverImageDataView;
class TCustomTracksData;
class TExpander;
class TImageMetaDataBlockList;
class TMetaDataBlockExpanderWrapper;
class TMetaDataContentCover;
class TMetaVKCompositeAudioListBox;

// A section's look for its block's state: normal with items, an error mark
// with EmptyKey's text when the answer had none or the key of the failure.
void ShowSectionState(TMetaDataBlockExpanderWrapper &Expander, std::uint8_t State, bool HasItems, const char *EmptyKey);

// A strip of square pictures, one per item of a picture list, in a section
// when an expander is given. Pictures past the answer's items are hidden.
class TImageMetaDataBlockListView : public TMetaDataView
{
    Q_OBJECT
public:
    TImageMetaDataBlockListView(QObject *AOwner, QWidget *ASurface, TExpander *AExpander);

    TImageMetaDataBlockList *ListData() const;
    const std::vector<TCoverImageDataView *> &Items() const { return FItems; }
    TMetaDataBlockExpanderWrapper *Expander() const { return FExpander; }

    std::function<void(int Index)> OnItemClick;

protected:
    void UpdateView() override;
    void LoadingStarted() override;
    void LoadingFinished() override;
    // The hint of a picture of a loaded list.
    virtual QString ItemHint(int Index) const = 0;
    virtual const char *EmptyKey() const = 0;

    QWidget *Surface() const { return FSurface; }

private:
    void AddItem();

    QWidget *FSurface;
    std::vector<TCoverImageDataView *> FItems;
    TMetaDataBlockExpanderWrapper *FExpander = nullptr;
};

class TArtistsDataView : public TImageMetaDataBlockListView
{
    Q_OBJECT
public:
    using TImageMetaDataBlockListView::TImageMetaDataBlockListView;

protected:
    QString ItemHint(int Index) const override;
    const char *EmptyKey() const override { return "EM_NoArtistsFound"; }
};

class TAlbumsDataView : public TImageMetaDataBlockListView
{
    Q_OBJECT
public:
    using TImageMetaDataBlockListView::TImageMetaDataBlockListView;

protected:
    QString ItemHint(int Index) const override;
    const char *EmptyKey() const override { return "EM_NoAlbumsFound"; }
};

// The album page's other albums: no loader of their own (they keep what they
// showed while loading), a veil with the reason when there are none.
class TRelatedAlbumsDataView : public TAlbumsDataView
{
    Q_OBJECT
public:
    TRelatedAlbumsDataView(QObject *AOwner, QWidget *ASurface);
    TMetaDataContentCover *ContentCover() const { return FContentCover; }

protected:
    void UpdateView() override;

private:
    TMetaDataContentCover *FContentCover;
};

// The tracks of a page in a section, matched on the site as they show. The
// page scrolls them: the list keeps a pool of one screen of rows and moves it
// over the part of its place that is in view.
class TTrackDataView : public TMetaDataView
{
    Q_OBJECT
public:
    TTrackDataView(QObject *AOwner, QAbstractScrollArea *APage, TExpander *AExpander);

    TMetaVKCompositeAudioListBox *TracksListBox() const { return FTracksListBox; }
    TMetaDataBlockExpanderWrapper *Expander() const { return FExpander; }
    TCustomTracksData *TracksData() const;
    void SetData(TMetaDataBlock *AData) override;

protected:
    void UpdateView() override;
    void LoadingStarted() override;
    void LoadingFinished() override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    // Puts the list's surface over the visible part of its place.
    void FollowPage();

    QPointer<QAbstractScrollArea> FPage;
    TMetaDataBlockExpanderWrapper *FExpander;
    // The place as tall as all the rows; the list's surface moves inside it.
    QWidget *FPlace;
    TMetaVKCompositeAudioListBox *FTracksListBox;
};
