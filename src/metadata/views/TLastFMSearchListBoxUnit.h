#pragma once

#include "ui/lists/TKeyScrolledListBoxUnit.h"

#include <functional>

class TCoverImageData;
class TCoverImageDataView;
class TImageMetaDataBlockList;
class TMetaDataContentCover;
class TSearchAlbumsData;
class TSearchArtistsData;

// The empty-result text of a search: the localized text with its "%s" put
// back as the query, character for character.
QString FillQuery(const QString &Text, const QString &Query);

// The results of a Last.fm search, one row with a picture per hit, under a
// veil that says why there are none.
class TLastFMSearchListBox : public TKeyScrolledListBox
{
    Q_OBJECT
public:
    static constexpr int RowHeight = 60;

    TLastFMSearchListBox(QObject *Owner, QScrollBar *AScrollBar, QWidget *AScrollBox);
    ~TLastFMSearchListBox() override;

    TImageMetaDataBlockList *Data() const { return FData; }
    int GetItemsCount() const override;
    TMetaDataContentCover *ContentCover() const { return FContentCover; }

    // A row's title and picture.
    virtual QString ItemTitle(int Index) const = 0;
    TCoverImageData &ItemImage(int Index) const;

    std::function<void(int Index)> OnItemClick;

protected:
    void SetSearchData(TImageMetaDataBlockList *AData);
    // The rows and the veil for the data's state.
    void SearchDataStateChanged();
    // The veil's text of a valid answer without hits.
    virtual QString EmptyResultText() const = 0;
    bool event(QEvent *Event) override;

private:
    TImageMetaDataBlockList *FData = nullptr;
    TMetaDataContentCover *FContentCover;
};

class TLastFMArtistSearchListBox : public TLastFMSearchListBox
{
    Q_OBJECT
public:
    using TLastFMSearchListBox::TLastFMSearchListBox;

    TSearchArtistsData *Data() const;
    void SetData(TSearchArtistsData *AData);
    QString ItemTitle(int Index) const override;

protected:
    QString EmptyResultText() const override;
};

class TLastFMAlbumSearchListBox : public TLastFMSearchListBox
{
    Q_OBJECT
public:
    using TLastFMSearchListBox::TLastFMSearchListBox;

    TSearchAlbumsData *Data() const;
    void SetData(TSearchAlbumsData *AData);
    QString ItemTitle(int Index) const override;

protected:
    QString EmptyResultText() const override;
};

// A row of a search list: the hit's picture and its title.
class TLastFMSearchListBoxItem : public TKeyScrolledListPanel
{
    Q_OBJECT
public:
    explicit TLastFMSearchListBoxItem(TDynamicListBox *AListBox);

    TLastFMSearchListBox *ListBox() const
    {
        return static_cast<TLastFMSearchListBox *>(TKeyScrolledListPanel::ListBox());
    }
    void UpdateContent() override;
    void DoClick() override;

    QWidget *Panel;
    TDynamicListLabel *TitleLabel;
    TCoverImageDataView *CoverImageDataView;

protected:
    void paintEvent(QPaintEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;
};
