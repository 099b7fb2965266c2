#include "metadata/views/TMetaDataNavigateTagsUnit.h"

#include "app/application/ApplicationUnit.h"
#include "app/helpers/TextUtilsUnit.h"
#include "ui/StyleResourceUnit.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include <algorithm>

namespace {

const char *TagStyle(TNavigateTagType TagType)
{
    switch (TagType) {
    case nttGenre:
        return "taggenreButtonstyle";
    case nttArtist:
        return "tagartistButtonstyle";
    default:
        return "tagalbumButtonstyle";
    }
}

} // namespace

// TMetaDataNavigateTagWrapper

TMetaDataNavigateTagWrapper::TMetaDataNavigateTagWrapper(QObject *AOwner, QWidget *AParent, TNavigateTagType ATagType) :
      QObject(AOwner), FControl(new QPushButton(AParent)), FTagType(ATagType)
{
    FControl->setFocusPolicy(Qt::NoFocus);
    FControl->hide();
    connect(FControl, &QAbstractButton::clicked, this, Application::Guarded([this] {
        if (OnClick)
            OnClick();
    }));
    OnStyleApplied(FControl, this, [this] { StyleApplied(); });
    SetStyleLookup(FControl, QString::fromLatin1(TagStyle(ATagType)));
}

void TMetaDataNavigateTagWrapper::StyleApplied()
{
    const QString tail = QStringLiteral(" not found inside of ") + GetStyleLookup(FControl);
    FTextControl = FindStylePart<QLabel>(FControl, QStringLiteral("text"), tail);
    FDelButton = FindStylePart<QAbstractButton>(FControl, QStringLiteral("delbutton"), tail);
    FTextControl->setAttribute(Qt::WA_TransparentForMouseEvents);
    FDelButton->setFocusPolicy(Qt::NoFocus);
    // On its close part the tag stays highlighted.
    FDelButton->installEventFilter(this);
    connect(FDelButton, &QAbstractButton::clicked, this, Application::Guarded([this] {
        if (OnClose)
            OnClose();
    }));
    SetText(FText);
}

bool TMetaDataNavigateTagWrapper::eventFilter(QObject *Watched, QEvent *Event)
{
    // Only the close part is watched.
    if (Event->type() == QEvent::Enter)
        FControl->setAttribute(Qt::WA_UnderMouse, true);
    return QObject::eventFilter(Watched, Event);
}

void TMetaDataNavigateTagWrapper::SetText(const QString &Value)
{
    FText = Value;
    FControl->setVisible(!Value.isEmpty());
    if (!FTextControl)
        return;
    bool cropped = false;
    // Measured in the font the style gives the title.
    FTextControl->ensurePolished();
    const QFontMetrics metrics(FTextControl->font());
    const QString fitted = CropTextByWidth(metrics, Value, MaxTextWidth, 0, cropped);
    FTextControl->setText(fitted);
    // A little room, so that the title never touches the close part.
    const int textWidth = metrics.horizontalAdvance(fitted) + 2 * FTextControl->margin() + 4;
    FTextControl->setFixedWidth(textWidth);
    // The button's own size hint knows nothing of its parts: the button is
    // as wide as the row of its parts.
    const QMargins margins = FControl->layout() ? FControl->layout()->contentsMargins() : QMargins();
    const int spacing = FControl->layout() ? FControl->layout()->spacing() : 0;
    FControl->resize(margins.left() + textWidth + spacing + FDelButton->sizeHint().width() + margins.right(),
        std::max(FDelButton->sizeHint().height(), FControl->minimumSizeHint().height()));
}

void TMetaDataNavigateTagWrapper::SetHint(const QString &Value)
{
    FControl->setProperty(HintProperty, Value);
}

void TMetaDataNavigateTagWrapper::SetCloseButtonHint(const QString &Value)
{
    if (FDelButton)
        FDelButton->setProperty(HintProperty, Value);
}

// TMetaDataNavigateTagsPanelWrapper

TMetaDataNavigateTagsPanelWrapper::TMetaDataNavigateTagsPanelWrapper(QObject *AOwner, QWidget *AControl) :
      QObject(AOwner), FControl(AControl), FGenreTag(NewTag(nttGenre)), FArtistTag(NewTag(nttArtist)),
      FAlbumTag(NewTag(nttAlbum))
{
    Arrange();
}

TMetaDataNavigateTagWrapper *TMetaDataNavigateTagsPanelWrapper::NewTag(TNavigateTagType TagType)
{
    auto *tag = new TMetaDataNavigateTagWrapper(this, FControl, TagType);
    tag->OnClick = [this, TagType] {
        if (OnTagClick)
            OnTagClick(TagType);
    };
    tag->OnClose = [this, TagType] {
        if (OnTagClose)
            OnTagClose(TagType);
    };
    return tag;
}

void TMetaDataNavigateTagsPanelWrapper::Arrange()
{
    const bool genre = !FGenreTag->Text().isEmpty();
    const bool artist = !FArtistTag->Text().isEmpty();
    const int genreWidth = FGenreTag->Control()->width();
    FGenreTag->Control()->move(TagSpacing, TagTop);
    const int artistX = genre ? genreWidth + 2 * TagSpacing : TagSpacing;
    FArtistTag->Control()->move(artistX, TagTop);
    int albumX = TagSpacing;
    if (artist)
        albumX = artistX + FArtistTag->Control()->width() + TagSpacing;
    else if (genre)
        albumX = genreWidth + 2 * TagSpacing;
    FAlbumTag->Control()->move(albumX, TagTop);
    FControl->setVisible(genre || artist || !FAlbumTag->Text().isEmpty());
}
