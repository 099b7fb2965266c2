#pragma once

#include "app/helpers/TVersionInfoUnit.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

// The check of the product's update host for a newer version of the program:
// the update file, its parsing, the marks that say when the automatic check
// is due, and the check itself on a thread of its own. No window here.
namespace Updater {

// An update file larger than this is not one.
inline constexpr int MaxUpdateFileSize = 64 * 1024;
inline constexpr long ConnectTimeoutMilliseconds = 5000;
inline constexpr long TotalTimeoutMilliseconds = 15000;
// A host that sends next to nothing for this long has failed.
inline constexpr long StallTimeoutSeconds = 5;
// The automatic check tries this often, waiting AttemptDelayStep × n ms before attempt n.
inline constexpr int AutomaticAttempts = 5;
inline constexpr int AttemptDelayStep = 333;

// What the update file offers: line 1, a four-part version, and from line 3
// on one feature a line, up to the first empty line.
struct TUpdateOffer
{
    TVersionNumbers Version;
    QString VersionText; // line 1 as written
    QStringList Features;
};

enum TUpdateCheckResultCode : std::uint8_t {
    ucNewerVersion = 0, // the file offers a newer version than the program's
    ucNoNewerVersion = 1,
    ucFailed = 2, // no update file came back, not even after the retries
};

struct TUpdateCheckResult
{
    TUpdateCheckResultCode ResultCode = ucFailed;
    TUpdateOffer Offer; // for ucNewerVersion
    QString ErrorMessage; // for ucFailed: what the last attempt met
};

QString UpdateFileURL(); // the update host's "/updates/30.txt"
QString DownloadPageURL(); // the update host's "/download/"

// A version as one number: major, minor, release and build from the top.
std::uint64_t VersionValue(const TVersionNumbers &Version);
// The program's own version, as its build gave it.
TVersionNumbers OwnVersion();
QString VersionText(const TVersionNumbers &Version);

// Nothing when line 1 is not a four-part version of numbers up to 65535: a
// captive portal's page or a cut file is no answer at all.
std::optional<TUpdateOffer> ParseUpdateFile(const QString &Text);

// One GET of the update file: true with its text (UTF-8), or false with the reason.
bool DownloadUpdateFile(const QString &URL, QString &Text, QString &ErrorMessage);

// The check of one start, or of the settings window's button, of the update
// file at URL against the program's version Own: one attempt when Manual,
// else up to AutomaticAttempts. Blocks; never throws.
TUpdateCheckResult RunUpdateCheck(bool Manual, const QString &URL, const TVersionNumbers &Own);

// Runs RunUpdateCheck on a thread of its own that nobody waits for; OnResult
// runs on the interface thread afterwards, unless the program has ended.
void StartUpdateCheck(bool Manual, std::function<void(const TUpdateCheckResult &Result)> OnResult);

// Any argument holding "install", in any letter case, keeps the automatic check away.
bool HasInstallArgument(const QStringList &Arguments);

// The mark of a day: month × 4096 + day, in decimal.
QString DayMark(const QDate &Day);
// Whether the automatic check should run: not when the stored mark is
// Today's day mark, nor when it is the program's own version (the mark an
// older program left when its user skipped a version).
bool IsAutoCheckDue(const QDate &Today);
// After an offer was dealt with: no further automatic check that day.
void StoreDayMark(const QDate &Today);
// The offered version the user asked to skip; empty when none.
QString SkippedVersion();
void StoreSkippedVersion(const QString &Version);
// Whether the automatic check keeps quiet about Offer: the user skipped it or a later one.
bool IsSkipped(const TUpdateOffer &Offer);
// Today's date in UTC, as the marks count days.
QDate TodayUTC();

} // namespace Updater
