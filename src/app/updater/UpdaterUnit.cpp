#include "app/updater/UpdaterUnit.h"

#include "app/helpers/RemoteHostsUnit.h"
#include "foundation/InterfaceThreadUnit.h"
#include "platform/TRegistryUnit.h"
#include "requests/THTTPClientUnit.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>

#include <chrono>
#include <exception>
#include <thread>

namespace Updater {

namespace {

const QString MarkKey = QStringLiteral("software\\Orlentec\\");
// The product's number: the update file's name and the mark's value name.
const QString ProductID = QStringLiteral("30");
const QString SkippedVersionValue = ProductID + QStringLiteral("Skipped");

QString ReadMarkValue(const QString &Name)
{
    try {
        TRegistry registry(TRegistryRoot::CurrentUser);
        if (registry.OpenKeyReadOnly(MarkKey) && registry.ValueExists(Name))
            return registry.ReadString(Name).trimmed();
    } catch (const std::exception &) {
        // An unreadable mark is no mark.
    }
    return {};
}

void WriteMarkValue(const QString &Name, const QString &Value)
{
    try {
        TRegistry registry(TRegistryRoot::CurrentUser);
        if (registry.OpenKey(MarkKey, true))
            registry.WriteExpandString(Name, Value);
    } catch (const std::exception &) {
        // A mark not written only makes the next start check again.
    }
}

std::optional<TVersionNumbers> StrictVersion(const QString &Text)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{1,5}\\.\\d{1,5}\\.\\d{1,5}\\.\\d{1,5}$"));
    if (!pattern.match(Text).hasMatch())
        return std::nullopt;
    for (const QString &part : Text.split(u'.'))
        if (part.toUInt() > 0xFFFF)
            return std::nullopt;
    return ParseVersion(Text);
}

} // namespace

QString UpdateFileURL()
{
    return GetUpdateURL() + QStringLiteral("/updates/") + ProductID + QStringLiteral(".txt");
}

QString DownloadPageURL()
{
    return GetUpdateURL() + QStringLiteral("/download/");
}

std::uint64_t VersionValue(const TVersionNumbers &Version)
{
    return (std::uint64_t(Version.Major) << 48) | (std::uint64_t(Version.Minor) << 32)
        | (std::uint64_t(Version.Release) << 16) | std::uint64_t(Version.Build);
}

TVersionNumbers OwnVersion()
{
    return ParseVersion(GetFileVersionString(QCoreApplication::applicationFilePath()));
}

QString VersionText(const TVersionNumbers &Version)
{
    return QStringLiteral("%1.%2.%3.%4").arg(Version.Major).arg(Version.Minor).arg(Version.Release).arg(Version.Build);
}

std::optional<TUpdateOffer> ParseUpdateFile(const QString &Text)
{
    QStringList lines = Text.split(u'\n');
    for (QString &line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    QString first = lines.value(0).trimmed();
    if (first.startsWith(QChar(0xFEFF)))
        first.remove(0, 1);
    const std::optional<TVersionNumbers> version = StrictVersion(first);
    if (!version)
        return std::nullopt;
    TUpdateOffer offer {*version, first, {}};
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QString feature = lines[i].trimmed();
        if (feature.isEmpty())
            break;
        offer.Features << feature;
    }
    return offer;
}

bool DownloadUpdateFile(const QString &URL, QString &Text, QString &ErrorMessage)
{
    try {
        THTTPClient client;
        client.SetTimeouts(ConnectTimeoutMilliseconds, TotalTimeoutMilliseconds);
        client.SetStallTimeout(StallTimeoutSeconds);
        client.SetMaxBodySize(MaxUpdateFileSize);
        client.AddHeaderLine(QStringLiteral("User-Agent: open support"));
        // Past any cache: a stale file would hide a new version.
        client.AddHeaderLine(QStringLiteral("Cache-Control: no-cache"));
        client.AddHeaderLine(QStringLiteral("Pragma: no-cache"));
        QByteArray body;
        client.OnData = [&body](const char *Data, qsizetype Size) {
            body.append(Data, Size);
            return true;
        };
        if (!client.Perform(URL)) {
            ErrorMessage = QStringLiteral("%1 %2").arg(client.ErrorCode()).arg(client.ErrorDescription());
            return false;
        }
        if (client.StatusCode() != 200) {
            ErrorMessage = QStringLiteral("%1 %2").arg(client.StatusCode()).arg(client.ReasonPhrase());
            return false;
        }
        Text = QString::fromUtf8(body);
        return true;
    } catch (const std::exception &e) {
        ErrorMessage = QString::fromLocal8Bit(e.what());
        return false;
    }
}

TUpdateCheckResult RunUpdateCheck(bool Manual, const QString &URL, const TVersionNumbers &Own)
{
    TUpdateCheckResult result;
    try {
        const int attempts = Manual ? 1 : AutomaticAttempts;
        for (int attempt = 1; attempt <= attempts; ++attempt) {
            if (!Manual)
                std::this_thread::sleep_for(std::chrono::milliseconds(AttemptDelayStep * attempt));
            QString text;
            if (!DownloadUpdateFile(URL, text, result.ErrorMessage))
                continue;
            const std::optional<TUpdateOffer> offer = ParseUpdateFile(text);
            if (!offer) {
                result.ErrorMessage = QStringLiteral("The update file does not begin with a version");
                continue;
            }
            if (VersionValue(offer->Version) > VersionValue(Own))
                return {ucNewerVersion, *offer, {}};
            return {ucNoNewerVersion, {}, {}};
        }
    } catch (const std::exception &e) {
        result.ErrorMessage = QString::fromLocal8Bit(e.what());
    }
    result.ResultCode = ucFailed;
    return result;
}

void StartUpdateCheck(bool Manual, std::function<void(const TUpdateCheckResult &Result)> OnResult)
{
    const auto deliver = [](std::function<void(const TUpdateCheckResult &)> Handler, TUpdateCheckResult Result) {
        InterfaceThread::Queue([Handler = std::move(Handler), Result = std::move(Result)] { Handler(Result); });
    };
    try {
        // Detached: a check stuck on a slow host must not hold up the program's end.
        std::thread([Manual, URL = UpdateFileURL(), Own = OwnVersion(), OnResult, deliver]() mutable {
            deliver(std::move(OnResult), RunUpdateCheck(Manual, URL, Own));
        }).detach();
    } catch (const std::exception &e) {
        deliver(std::move(OnResult), {ucFailed, {}, QString::fromLocal8Bit(e.what())});
    }
}

bool HasInstallArgument(const QStringList &Arguments)
{
    for (const QString &argument : Arguments)
        if (argument.toLower().contains(u"install"))
            return true;
    return false;
}

QString DayMark(const QDate &Day)
{
    return QString::number(Day.month() * 4096 + Day.day());
}

bool IsAutoCheckDue(const QDate &Today)
{
    const QString mark = ReadMarkValue(ProductID);
    if (mark.isEmpty())
        return true;
    // A mark with a dot is a version: the program's own when an older program's user skipped.
    return mark != (mark.contains(u'.') ? VersionText(OwnVersion()) : DayMark(Today));
}

void StoreDayMark(const QDate &Today)
{
    WriteMarkValue(ProductID, DayMark(Today));
}

QString SkippedVersion()
{
    return ReadMarkValue(SkippedVersionValue);
}

void StoreSkippedVersion(const QString &Version)
{
    WriteMarkValue(SkippedVersionValue, Version);
}

bool IsSkipped(const TUpdateOffer &Offer)
{
    const std::optional<TVersionNumbers> skipped = StrictVersion(SkippedVersion());
    return skipped && VersionValue(Offer.Version) <= VersionValue(*skipped);
}

QDate TodayUTC()
{
    return QDateTime::currentDateTimeUtc().date();
}

} // namespace Updater
