#include "app/shell/UpdateCheckUnit.h"

#include "app/shell/TUpdateDialogUnit.h"
#include "app/shell/WindowPlacementUnit.h"
#include "app/updater/UpdaterUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "settings/TQelmSettingsUnit.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>

using namespace Updater;

namespace UpdateCheck {

namespace {

QString Text(const QString &Key)
{
    return LocalizationManager->getValue(Key);
}

// Above every window, owned by none, as the check may end at any time.
void ShowMessage(QWidget *Message)
{
    Message->setAttribute(Qt::WA_DeleteOnClose);
    Message->setWindowFlag(Qt::WindowStaysOnTopHint);
    Message->setWindowModality(Qt::ApplicationModal);
    Message->adjustSize();
    PlaceOverActiveWindow(Message);
    Message->show();
}

void ShowMessageBox(const QString &Name, QMessageBox::Icon Icon, const QString &Text)
{
    auto *box = new QMessageBox(Icon, QStringLiteral(" "), Text, QMessageBox::Ok);
    box->setObjectName(Name);
    ShowMessage(box);
}

// One offer at a time: a second check while its dialog is up shows that one.
QPointer<TUpdateDialog> OpenDialog;

void ShowOffer(const TUpdateOffer &Offer)
{
    if (OpenDialog && OpenDialog->isVisible()) {
        OpenDialog->raise();
        OpenDialog->activateWindow();
        return;
    }
    auto *dialog = new TUpdateDialog(Offer.VersionText, Offer.Features);
    OpenDialog = dialog;
    QObject::connect(dialog, &QDialog::finished, dialog, [dialog, version = Offer.VersionText](int Command) {
        if (Command == TUpdateDialog::udcDownloadPage)
            QDesktopServices::openUrl(QUrl(DownloadPageURL()));
        // Skipped, the automatic check stays quiet until a later version is out.
        if (dialog->IsSkipChecked())
            StoreSkippedVersion(version);
        StoreDayMark(TodayUTC());
    });
    ShowMessage(dialog);
}

} // namespace

bool StartAutomaticCheck(const QStringList &Arguments)
{
    if (HasInstallArgument(Arguments) || !GetInstance<TQelmSettings>()->AutoUpdateCheck()
        || !IsAutoCheckDue(TodayUTC()))
        return false;
    StartUpdateCheck(false, [](const TUpdateCheckResult &Result) { ShowResult(false, Result); });
    return true;
}

void CheckForUpdatesNow(std::function<void()> Done)
{
    StartUpdateCheck(true, [Done = std::move(Done)](const TUpdateCheckResult &Result) {
        ShowResult(true, Result);
        if (Done)
            Done();
    });
}

void ShowResult(bool Manual, const TUpdateCheckResult &Result)
{
    // The program is ending: no window to show anything in.
    if (!LocalizationManager)
        return;
    switch (Result.ResultCode) {
    case ucNewerVersion:
        // The user asked, so even a skipped version is shown.
        if (!Manual && IsSkipped(Result.Offer)) {
            StoreDayMark(TodayUTC());
            return;
        }
        ShowOffer(Result.Offer);
        return;
    case ucNoNewerVersion:
        if (Manual)
            ShowMessageBox(QStringLiteral("UpdateNoNewVersionsMessage"), QMessageBox::NoIcon,
                Text(QStringLiteral("Update_NoNewVersions_Text")));
        return;
    case ucFailed:
        if (Manual)
            ShowMessageBox(QStringLiteral("UpdateCheckFailedMessage"), QMessageBox::Critical,
                Text(QStringLiteral("Update_CheckFailed_Text")) + u'\n'
                    + Text(QStringLiteral("Update_CheckFailed_Hint")));
        return;
    }
}

} // namespace UpdateCheck
