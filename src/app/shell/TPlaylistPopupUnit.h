#pragma once

#include <QFrame>

#include <functional>

class QScrollBar;

// The pop-up with the player's playlist: a control panel above the list.
// It opens at an anchor and closes on a click elsewhere or on Esc.
class TPlaylistPopup : public QFrame
{
    Q_OBJECT
public:
    static constexpr int PopupWidth = 380;
    static constexpr int PopupHeight = 320;

    explicit TPlaylistPopup(QWidget *Parent);

    QWidget *ControlsPanel() const { return FControlsPanel; }
    QWidget *ListSurface() const { return FListSurface; }
    QScrollBar *ListScrollBar() const { return FListScrollBar; }

    // Opens below Anchor, moved by the offsets and kept on Anchor's screen.
    void PopupAt(QWidget *Anchor, int HorizontalOffset, int VerticalOffset);
    std::function<void()> OnClosePopup;

protected:
    void hideEvent(QHideEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;

private:
    QWidget *FControlsPanel;
    QWidget *FListSurface;
    QScrollBar *FListScrollBar;
};
