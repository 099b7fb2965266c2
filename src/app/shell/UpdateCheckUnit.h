#pragma once

#include <QStringList>

#include <functional>

namespace Updater {
struct TUpdateCheckResult;
}

// The update check as the user meets it: when it runs, and the dialog and
// messages that show what it found, in the interface language.
namespace UpdateCheck {

// At the start of the player: unless an argument holds "install", the
// automatic check is off in the settings, or it is not due today. Up to five
// attempts; only a newer version the user has not skipped is shown. Returns
// whether the check started.
bool StartAutomaticCheck(const QStringList &Arguments);
// The settings window's button: one attempt, its outcome shown whatever it is.
// Done runs on the interface thread once it is shown.
void CheckForUpdatesNow(std::function<void()> Done);
// Shows a finished check's outcome: the offer, or for a manual check the
// "no new versions" or "could not check" message.
void ShowResult(bool Manual, const Updater::TUpdateCheckResult &Result);

} // namespace UpdateCheck
