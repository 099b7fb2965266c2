#include "app/shell/TPlaylistPopupUnit.h"

#include "ui/StyleResourceUnit.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>

TPlaylistPopup::TPlaylistPopup(QWidget *Parent) : QFrame(Parent, Qt::Popup)
{
    setObjectName(QStringLiteral("PlaylistPopup"));
    setProperty(StyleLookupProperty, QStringLiteral("playlistPopupstyle"));
    setAttribute(Qt::WA_StyledBackground);
    resize(PopupWidth, PopupHeight);
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    FControlsPanel = new QWidget(this);
    FControlsPanel->setObjectName(QStringLiteral("PlaylistControlsPanel"));
    FControlsPanel->setFixedHeight(52);
    FControlsPanel->setProperty(StyleLookupProperty, QStringLiteral("playlistcontrolPanelstyle"));
    layout->addWidget(FControlsPanel, 0, 0, 1, 2);
    FListSurface = new QWidget(this);
    FListSurface->setObjectName(QStringLiteral("AudioPlaylistListBoxSurface"));
    FListSurface->setProperty(StyleLookupProperty, QStringLiteral("listsurfacestyle"));
    FListSurface->setFocusPolicy(Qt::StrongFocus);
    FListScrollBar = new QScrollBar(Qt::Vertical, this);
    FListScrollBar->setObjectName(QStringLiteral("AudioPlaylistListBoxScrollBar"));
    layout->addWidget(FListSurface, 1, 0);
    layout->addWidget(FListScrollBar, 1, 1);
    layout->setRowStretch(1, 1);
    // Laid out now, not at the first show: the list makes its rows for the
    // height its surface has when it is set up.
    layout->setGeometry(rect());
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
