#include "app/shell/TPlaylistPopupUnit.h"

#include "ui/StyleResourceUnit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>

TPlaylistPopup::TPlaylistPopup(QWidget *Parent) :
      QFrame(Parent, Qt::Popup)
{
    setObjectName(QStringLiteral("PlaylistPopup"));
    setProperty(StyleLookupProperty, QStringLiteral("playlistPopupstyle"));
    setAttribute(Qt::WA_StyledBackground);
    resize(PopupWidth, PopupHeight);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    FControlsPanel = new QWidget(this);
    FControlsPanel->setObjectName(QStringLiteral("PlaylistControlsPanel"));
    FControlsPanel->setFixedHeight(52);
    FControlsPanel->setProperty(StyleLookupProperty, QStringLiteral("playlistcontrolPanelstyle"));
    layout->addWidget(FControlsPanel);
    auto *list = new QWidget(this);
    auto *listLayout = new QHBoxLayout(list);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(0);
    FListSurface = new QWidget(list);
    FListSurface->setObjectName(QStringLiteral("AudioPlaylistListBoxSurface"));
    FListSurface->setProperty(StyleLookupProperty, QStringLiteral("listsurfacestyle"));
    FListSurface->setFocusPolicy(Qt::StrongFocus);
    FListScrollBar = new QScrollBar(Qt::Vertical, list);
    FListScrollBar->setObjectName(QStringLiteral("AudioPlaylistListBoxScrollBar"));
    listLayout->addWidget(FListSurface);
    listLayout->addWidget(FListScrollBar);
    layout->addWidget(list, 1);
}

void TPlaylistPopup::PopupAt(QWidget *Anchor, int HorizontalOffset, int VerticalOffset)
{
    QPoint at = Anchor->mapToGlobal(QPoint(HorizontalOffset, Anchor->height() + VerticalOffset));
    if (const QScreen *screen = Anchor->screen()) {
        const QRect room = screen->availableGeometry();
        at.setX(qBound(room.left(), at.x(), qMax(room.left(), room.right() - width() + 1)));
        // No room below: above the anchor instead.
        if (at.y() + height() > room.bottom() + 1)
            at.setY(qMax(room.top(), Anchor->mapToGlobal(QPoint(0, 0)).y() - height() - VerticalOffset));
    }
    move(at);
    show();
    FListSurface->setFocus();
}

void TPlaylistPopup::hideEvent(QHideEvent *Event)
{
    QFrame::hideEvent(Event);
    if (OnClosePopup)
        OnClosePopup();
}

void TPlaylistPopup::keyPressEvent(QKeyEvent *Event)
{
    if (Event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QFrame::keyPressEvent(Event);
}
