#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QAbstractButton;
class QLabel;
class QWidget;

enum TNavigateTagType { nttGenre, nttArtist, nttAlbum };

// A tag of the strip above the pages: a button with its title and a close
// part. An empty title hides it.
class TMetaDataNavigateTagWrapper : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxTextWidth = 100;

    TMetaDataNavigateTagWrapper(QObject *AOwner, QWidget *AParent, TNavigateTagType ATagType);

    QAbstractButton *Control() const { return FControl; }
    QAbstractButton *DelButton() const { return FDelButton; }
    QLabel *TextControl() const { return FTextControl; }
    TNavigateTagType TagType() const { return FTagType; }
    const QString &Text() const { return FText; }
    void SetText(const QString &Value);
    void SetHint(const QString &Value);
    void SetCloseButtonHint(const QString &Value);

    std::function<void()> OnClick;
    std::function<void()> OnClose;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void StyleApplied();

    QAbstractButton *FControl;
    QPointer<QAbstractButton> FDelButton;
    QPointer<QLabel> FTextControl;
    TNavigateTagType FTagType;
    QString FText;
};

// The strip of genre, artist and album tags; it shows while one has a title.
class TMetaDataNavigateTagsPanelWrapper : public QObject
{
    Q_OBJECT
public:
    static constexpr int TagTop = 6;
    static constexpr int TagSpacing = 6;

    TMetaDataNavigateTagsPanelWrapper(QObject *AOwner, QWidget *AControl);

    QWidget *Control() const { return FControl; }
    TMetaDataNavigateTagWrapper *GenreTag() const { return FGenreTag; }
    TMetaDataNavigateTagWrapper *ArtistTag() const { return FArtistTag; }
    TMetaDataNavigateTagWrapper *AlbumTag() const { return FAlbumTag; }
    // Places the tags after a change of their titles.
    void Arrange();

    std::function<void(TNavigateTagType TagType)> OnTagClick;
    std::function<void(TNavigateTagType TagType)> OnTagClose;

private:
    TMetaDataNavigateTagWrapper *NewTag(TNavigateTagType TagType);

    QWidget *FControl;
    TMetaDataNavigateTagWrapper *FGenreTag;
    TMetaDataNavigateTagWrapper *FArtistTag;
    TMetaDataNavigateTagWrapper *FAlbumTag;
};
