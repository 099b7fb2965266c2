#include "app/shell/WindowPlacementUnit.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

void PlaceOverActiveWindow(QWidget *Window)
{
    if (Window->testAttribute(Qt::WA_Moved))
        return;
    QWidget *anchor = QApplication::activeWindow();
    if (!anchor || anchor == Window) {
        anchor = nullptr;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window != Window && window->isVisible() && !window->isMinimized()
                && (!anchor || window->width() * window->height() > anchor->width() * anchor->height()))
                anchor = window;
    }
    if (!anchor)
        return;
    QRect place(QPoint(), Window->frameGeometry().size());
    place.moveCenter(anchor->frameGeometry().center());
    // Whole on the anchor's screen.
    const QRect screen = anchor->screen()->availableGeometry();
    place.moveLeft(qBound(screen.left(), place.left(), qMax(screen.left(), screen.right() - place.width())));
    place.moveTop(qBound(screen.top(), place.top(), qMax(screen.top(), screen.bottom() - place.height())));
    Window->move(place.topLeft());
}
