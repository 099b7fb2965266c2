#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QWidget;
class TTooltip;
class TTooltipControlWrapper;

// The main window's one tooltip: the text over the row buttons, the player
// bar's buttons and the header's buttons, in the active language, at each
// control's own distance, kept inside the window.
class TMainFormTooltip : public QObject
{
public:
    // The controls the tooltip knows by name, and whether a track is current.
    struct TSubjects
    {
        QWidget *SaveButton;
        QWidget *AddToMyMusicButton;
        QWidget *PlaylistButton;
        QWidget *RepeatButton;
        QWidget *ShuffleButton;
        QWidget *SettingsButton;
        QWidget *LogoutButton;
        std::function<bool()> HasCurrentItem;
    };
    static constexpr int DefaultVerticalOffset = 2;
    static constexpr int PlaylistButtonVerticalOffset = 3;
    static constexpr int LoadingIndicatorVerticalOffset = -4;

    TMainFormTooltip(QWidget *AForm, TSubjects ASubjects);
    ~TMainFormTooltip() override;

    // The header's buttons are rebuilt with the window's style.
    void SetHeaderButtons(QWidget *ASettingsButton, QWidget *ALogoutButton);
    // The localization key of the text over Control, empty for none, and the
    // tooltip's distance from it.
    QString KeyFor(const QWidget *Control, int &VerticalOffset) const;
    TTooltip &Tooltip() const { return *FTooltip; }
    TTooltipControlWrapper &TooltipControl() const { return *FTooltipControl; }

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void BeforeShow();

    TSubjects FSubjects;
    TTooltipControlWrapper *FTooltipControl;
    TTooltip *FTooltip;
};
