#include "app/shell/TMainFormTooltipUnit.h"

#include "localization/TQelmLocalizationUnit.h"
#include "ui/StyleResourceUnit.h"
#include "ui/StyledControlsUnit.h"
#include "ui/tracklists/TLoadingIndicatorUnit.h"
#include "ui/wrappers/TTooltipUnit.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace {

// The row buttons by their look; a button of another look has no text of ours.
constexpr std::pair<const char *, const char *> RowButtonKeys[] = {
    {"downloadButtonstyle", "ALCI_DownloadButton_Hint"},
    {"openfileButtonstyle", "ALCI_ExploreButton_Hint_Windows"},
    {"deleteButtonStyle", "ALCI_DeleteButton_Hint"},
    {"addtrackButtonstyle", "ALCI_AddToMyMusicButton_Hint"},
    {"deltrackButtonstyle", "ALCI_DeleteFromMyMusicButton_Hint"},
    {"addedtrackButtonstyle", "ALCI_AddedToMyMusicButton_Hint"},
};

} // namespace

TMainFormTooltip::TMainFormTooltip(QWidget *AForm, TSubjects ASubjects) :
      QObject(AForm), FSubjects(std::move(ASubjects))
{
    auto *panel = new QWidget(AForm);
    panel->setObjectName(QStringLiteral("TooltipPanel"));
    panel->setProperty(StyleLookupProperty, QStringLiteral("tooltipstyle"));
    panel->hide();
    FTooltipControl = new TTooltipControlWrapper(AForm, panel);
    FTooltip = new TTooltip(this, FTooltipControl);
    FTooltip->BeforeShow = [this](TObject *) { BeforeShow(); };
    qApp->installEventFilter(this);
}

TMainFormTooltip::~TMainFormTooltip() = default;

void TMainFormTooltip::SetHeaderButtons(QWidget *ASettingsButton, QWidget *ALogoutButton)
{
    FSubjects.SettingsButton = ASettingsButton;
    FSubjects.LogoutButton = ALogoutButton;
}

QString TMainFormTooltip::KeyFor(const QWidget *Control, int &VerticalOffset) const
{
    VerticalOffset = DefaultVerticalOffset;
    if (!Control)
        return {};
    const QString look = GetStyleLookup(Control);
    const TSubjects &s = FSubjects;
    if (Control == s.SaveButton)
        return look != u"saveButtonstyle" && s.HasCurrentItem() ? QStringLiteral("SaveTrackButton_SavedTrack_Hint")
                                                                : QStringLiteral("SaveTrackButton_SaveTrack_Hint");
    if (Control == s.AddToMyMusicButton)
        return look != u"addtrackblueButtonstyle" && s.HasCurrentItem()
            ? QStringLiteral("AddToMyMusicButton_AddedTrack_Hint")
            : QStringLiteral("AddToMyMusicButton_AddTrack_Hint");
    if (Control == s.PlaylistButton) {
        VerticalOffset = PlaylistButtonVerticalOffset;
        return QStringLiteral("PC_CurrentPlaylistButton_Caption");
    }
    if (Control == s.RepeatButton)
        return QStringLiteral("PC_RepeatButton_Caption");
    if (Control == s.ShuffleButton)
        return QStringLiteral("PC_ShuffleButton_Caption");
    if (Control == s.SettingsButton)
        return QStringLiteral("MF_SettingsButton_Caption");
    if (Control == s.LogoutButton)
        return QStringLiteral("MF_LogoutButton_Caption");
    if (const auto *indicator = qobject_cast<const TLoadingIndicator *>(Control)) {
        VerticalOffset = LoadingIndicatorVerticalOffset;
        return indicator->Value() == 100 ? QStringLiteral("ALCI_LoadingIndicator_LoadedState_Hint") : QString();
    }
    for (const auto &[lookup, key] : RowButtonKeys)
        if (look == QLatin1String(lookup))
            return QString::fromLatin1(key);
    return {};
}

bool TMainFormTooltip::eventFilter(QObject *Watched, QEvent *Event)
{
    // A click or a key changes what is under the pointer (a page, an
    // overlay): the text shown may no longer be of anything there.
    if (Event->type() == QEvent::MouseButtonPress || Event->type() == QEvent::KeyPress)
        FTooltipControl->Hide();
    return QObject::eventFilter(Watched, Event);
}

void TMainFormTooltip::BeforeShow()
{
    int offset = DefaultVerticalOffset;
    const QString key = KeyFor(FTooltip->PointedControl(), offset);
    FTooltipControl->VerticalOffset = offset;
    if (!key.isEmpty())
        FTooltip->Text = LocalizationManager->getValue(key);
}
