// The update check: the update file, the marks, the check against real
// servers on loopback (the stand-in's update host and servers that lie,
// stall or send too much), and what the user is shown.
#include "app/helpers/RemoteHostsUnit.h"
#include "app/shell/TUpdateDialogUnit.h"
#include "app/shell/UpdateCheckUnit.h"
#include "app/updater/UpdaterUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "platform/TRegistryUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "support/TestEnvironment.h"
#include "support/TestHTTPServer.h"
#include "vkweb/VKWebTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QUrl>

#include <gtest/gtest.h>

using namespace Updater;
using TestEnvironment::WaitFor;

namespace {

const QString OwnVersionText = QStringLiteral(MARVANE_PROJECT_VERSION);

TVersionNumbers Version(const QString &Text)
{
    return ParseVersion(Text);
}

} // namespace

TEST(UpdateFile, OnlyAFourPartNumericFirstLineIsAnUpdateFile)
{
    const struct
    {
        const char *Text;
        bool IsFile;
        const char *Version;
    } cases[] = {
        {"1.3.0.0\r\nline two\r\n", true, "1.3.0.0"},
        {"1.3.0.0", true, "1.3.0.0"},
        {"  2.0.1.7 \r\n", true, "2.0.1.7"},
        {"\xEF\xBB\xBF"
         "1.3.0.0\r\n",
            true, "1.3.0.0"}, // a byte-order mark
        {"65535.0.0.0\r\n", true, "65535.0.0.0"},
        // A captive portal's page, a cut file, text: no update file at all.
        {"<!DOCTYPE html>\r\n<html><body>Sign in</body></html>", false, ""},
        {"", false, ""},
        {"1.3.0\r\n", false, ""},
        {"1.3.0.0.1\r\n", false, ""},
        {"1.3.x.0\r\n", false, ""},
        {"1.-3.0.0\r\n", false, ""},
        {"1.65536.0.0\r\n", false, ""},
        {"version 1.3.0.0\r\n", false, ""},
    };
    for (const auto &c : cases) {
        const std::optional<TUpdateOffer> offer = ParseUpdateFile(QString::fromUtf8(c.Text));
        EXPECT_EQ(offer.has_value(), c.IsFile) << c.Text;
        if (offer && c.IsFile)
            EXPECT_EQ(offer->VersionText, QLatin1String(c.Version)) << c.Text;
    }
}

TEST(UpdateFile, FeaturesRunFromTheThirdLineToTheFirstEmptyOne)
{
    const std::optional<TUpdateOffer> offer = ParseUpdateFile(QStringLiteral(
        "1.3.0.0\r\nhttps://example.test/x.deb\r\n  First  \r\nВторое — новое\nThird\r\n \r\nNot one\r\n"));
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->Features,
        QStringList({QStringLiteral("First"), QStringLiteral("Второе — новое"), QStringLiteral("Third")}));
    EXPECT_TRUE(ParseUpdateFile(QStringLiteral("1.3.0.0\r\n"))->Features.isEmpty());
}

TEST(UpdateFile, VersionsCompareFromTheMajorNumberDown)
{
    EXPECT_GT(VersionValue(Version(QStringLiteral("1.2.10.0"))), VersionValue(Version(QStringLiteral("1.2.9.5"))));
    EXPECT_GT(
        VersionValue(Version(QStringLiteral("2.0.0.0"))), VersionValue(Version(QStringLiteral("1.65535.65535.65535"))));
    EXPECT_EQ(VersionValue(Version(QStringLiteral("1.2.0.1"))), VersionValue(Version(QStringLiteral("1.2.0.1"))));
    EXPECT_EQ(VersionText(OwnVersion()), OwnVersionText);
}

TEST(UpdateCheckArguments, AnArgumentHoldingInstallInAnyCaseKeepsTheAutomaticCheckAway)
{
    const struct
    {
        QStringList Arguments;
        bool Suppressed;
    } cases[] = {
        {{}, false},
        {{QStringLiteral("-INSTALL")}, true},
        {{QStringLiteral("--foo"), QStringLiteral("reInstall")}, true},
        {{QStringLiteral("--minimized")}, false},
        {{QStringLiteral("instal")}, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(HasInstallArgument(c.Arguments), c.Suppressed) << c.Arguments.join(u' ').toStdString();
}

TEST(UpdateHosts, TheUpdateHostAndItsDownloadPageAreHttpsByDefault)
{
    TScopedEnvironment unset("MARVANE_UPDATE_URL", QString());
    EXPECT_TRUE(GetUpdateURL().startsWith(u"https://"));
    EXPECT_TRUE(DownloadPageURL().startsWith(u"https://"));
    EXPECT_TRUE(DownloadPageURL().endsWith(u"/download/"));
    EXPECT_TRUE(UpdateFileURL().endsWith(u"/updates/30.txt"));
}

namespace {

class UpdateMarksTest : public ::testing::Test
{
protected:
    void TearDown() override { THierarchicalSingleton::DoDestroy(); }

    void WriteMark(const QString &Value)
    {
        TRegistry registry(TRegistryRoot::CurrentUser);
        ASSERT_TRUE(registry.OpenKey(QStringLiteral("software\\Orlentec\\"), true));
        registry.WriteExpandString(QStringLiteral("30"), Value);
    }

    QString ReadMark()
    {
        TRegistry registry(TRegistryRoot::CurrentUser);
        if (!registry.OpenKeyReadOnly(QStringLiteral("software\\Orlentec\\"))
            || !registry.ValueExists(QStringLiteral("30")))
            return {};
        return registry.ReadString(QStringLiteral("30"));
    }

    TTempUserFolders Folders;
    const QDate Today {2026, 12, 10};
};

} // namespace

TEST_F(UpdateMarksTest, TodaysDayMarkWaitsForTomorrowWhileYesterdaysDoesNot)
{
    EXPECT_EQ(DayMark(Today), QStringLiteral("49162")); // 12 × 4096 + 10
    EXPECT_TRUE(IsAutoCheckDue(Today)) << "no mark at all";
    StoreDayMark(Today);
    EXPECT_EQ(ReadMark(), QStringLiteral("49162"));
    EXPECT_FALSE(IsAutoCheckDue(Today));
    EXPECT_TRUE(IsAutoCheckDue(Today.addDays(1)));
    WriteMark(DayMark(Today.addDays(-1)));
    EXPECT_TRUE(IsAutoCheckDue(Today));
}

TEST_F(UpdateMarksTest, AnOlderProgramsVersionMarkStillHoldsUntilTheProgramChanges)
{
    WriteMark(OwnVersionText);
    EXPECT_FALSE(IsAutoCheckDue(Today));
    WriteMark(QStringLiteral("1.0.0.0"));
    EXPECT_TRUE(IsAutoCheckDue(Today));
    // A version that merely begins like ours is another version.
    WriteMark(OwnVersionText + u'0');
    EXPECT_TRUE(IsAutoCheckDue(Today));
    WriteMark(QStringLiteral("garbage"));
    EXPECT_TRUE(IsAutoCheckDue(Today));
}

TEST_F(UpdateMarksTest, ASkippedVersionSilencesOnlyItselfAndOlderOnes)
{
    const TUpdateOffer offered = *ParseUpdateFile(QStringLiteral("1.3.0.0"));
    EXPECT_FALSE(Updater::IsSkipped(offered));
    StoreSkippedVersion(offered.VersionText);
    EXPECT_TRUE(Updater::IsSkipped(offered));
    EXPECT_TRUE(Updater::IsSkipped(*ParseUpdateFile(QStringLiteral("1.2.9.9"))));
    EXPECT_FALSE(Updater::IsSkipped(*ParseUpdateFile(QStringLiteral("1.4.0.0"))));
    // The day mark is a value of its own: skipping leaves the daily check running.
    EXPECT_TRUE(IsAutoCheckDue(Today));
}

// ---- The download against servers that misbehave

TEST(UpdateDownload, AFileLargerThanTheCapFailsWhetherOrNotItsLengthIsAnnounced)
{
    const std::string small(MaxUpdateFileSize, 'a');
    const std::string large(MaxUpdateFileSize + 1, 'a');
    TTestHTTPServer announced;
    announced.Answer("/small", 200, "1.3.0.0\r\n" + small.substr(9));
    announced.Answer("/large", 200, large);
    announced.Start();
    // Closed at the end, no length given: only counting stops it.
    TRawTestServer unannounced([&](const TRecordedRequest &, TRawTestServer::TConnection &Connection) {
        Connection.Send(TRawTestServer::Head(200, "OK", -1, {"Connection: close"}));
        for (int i = 0; i < 64 && Connection.Send(std::string(4096, 'b')); ++i) { }
    });

    QString text, error;
    EXPECT_TRUE(DownloadUpdateFile(announced.URL(QStringLiteral("/small")), text, error)) << error.toStdString();
    EXPECT_EQ(text.size(), MaxUpdateFileSize);
    for (const QString &url : {announced.URL(QStringLiteral("/large")), unannounced.URL(QStringLiteral("/"))}) {
        text.clear();
        EXPECT_FALSE(DownloadUpdateFile(url, text, error)) << url.toStdString();
        EXPECT_TRUE(text.isEmpty());
        EXPECT_TRUE(error.startsWith(u"63 ")) << error.toStdString();
    }
}

TEST(UpdateDownload, AStalledOrLyingHostFailsInsteadOfHangingAndOnlyStatus200Counts)
{
    TRawTestServer stalled([](const TRecordedRequest &, TRawTestServer::TConnection &Connection) {
        Connection.Send(TRawTestServer::Head(200, "OK", 100));
        Connection.Send("1.3.0.0\r\n");
        Connection.Stall();
    });
    TRawTestServer shortBody([](const TRecordedRequest &, TRawTestServer::TConnection &Connection) {
        Connection.Send(TRawTestServer::Head(200, "OK", 100) + "1.3.0.0\r\n");
    });
    TTestHTTPServer errors;
    errors.Answer("/missing", 404, "1.3.0.0\r\n");
    errors.Start();

    QString text, error;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(DownloadUpdateFile(stalled.URL(), text, error));
    EXPECT_LT(timer.elapsed(), TotalTimeoutMilliseconds + 2000);
    EXPECT_FALSE(DownloadUpdateFile(shortBody.URL(), text, error));
    EXPECT_FALSE(DownloadUpdateFile(errors.URL(QStringLiteral("/missing")), text, error));
    EXPECT_TRUE(error.startsWith(u"404")) << error.toStdString();
    EXPECT_FALSE(DownloadUpdateFile(QStringLiteral("http://127.0.0.1:%1/").arg(UnusedLoopbackPort()), text, error));
}

// ---- The whole check against the stand-in's update host

namespace {

// Catches what would open in the browser.
class TUrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> URLs;

public Q_SLOTS:
    void Open(const QUrl &URL) { URLs << URL; }
};

// The update host's requests as the stand-in logged them: the times they were answered.
QList<qint64> UpdateFileTimes(const TStandin &Standin)
{
    QList<qint64> times;
    for (const QString &line : Standin.LogLines()) {
        const QJsonObject request = QJsonDocument::fromJson(line.toUtf8()).object();
        if (request[u"host"].toString() == u"update" && request[u"path"].toString() == u"/updates/30.txt")
            times << qint64(request[u"time"].toDouble());
    }
    return times;
}

class UpdateCheckTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        InitializeLocalizationManager();
        // The download page goes to the test, not a browser.
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &FOpened, "Open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &FOpened, "Open");
    }

    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->objectName().startsWith(u"Update"))
                delete window;
        FinalizeLocalizationManager();
        THierarchicalSingleton::DoDestroy();
    }

    // A check of the stand-in's answer; its outcome shown as the program shows it.
    TUpdateCheckResult Check(bool Manual)
    {
        std::optional<TUpdateCheckResult> result;
        StartUpdateCheck(Manual, [&](const TUpdateCheckResult &Result) {
            result = Result;
            UpdateCheck::ShowResult(Manual, Result);
        });
        EXPECT_TRUE(WaitFor([&] { return result.has_value(); }, std::chrono::seconds(20)));
        return result.value_or(TUpdateCheckResult {});
    }

    template<class TWindow = QWidget> static TWindow *Shown(const QString &Name)
    {
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->objectName() == Name && window->isVisible())
                return qobject_cast<TWindow *>(window);
        return nullptr;
    }

    static QStringList ShownUpdateWindows()
    {
        QStringList names;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->isVisible() && window->objectName().startsWith(u"Update"))
                names << window->objectName();
        return names;
    }

    TTempUserFolders Folders;
    TUrlCatcher FOpened;
};

} // namespace

TEST_F(UpdateCheckTest, AManualCheckShowsWhatEachAnswerOfTheHostMeans)
{
    const struct
    {
        const char *Answer;
        TUpdateCheckResultCode Code;
        const char *Shown;
    } cases[] = {
        {"newer", ucNewerVersion, "UpdateDialog"},
        {"equal", ucNoNewerVersion, "UpdateNoNewVersionsMessage"},
        {"garbage", ucFailed, "UpdateCheckFailedMessage"},
        {"none", ucFailed, "UpdateCheckFailedMessage"},
    };
    for (const auto &c : cases) {
        TStandin standin({QStringLiteral("--update"), QLatin1String(c.Answer)});
        ASSERT_TRUE(standin.IsReady());
        EXPECT_EQ(Check(true).ResultCode, c.Code) << c.Answer;
        EXPECT_EQ(ShownUpdateWindows(), QStringList {QLatin1String(c.Shown)}) << c.Answer;
        EXPECT_EQ(UpdateFileTimes(standin).size(), 1) << c.Answer;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->objectName().startsWith(u"Update"))
                delete window;
    }
    // No host at all (the test environment's closed port).
    EXPECT_EQ(Check(true).ResultCode, ucFailed);
    EXPECT_EQ(ShownUpdateWindows(), QStringList {QStringLiteral("UpdateCheckFailedMessage")});
    auto *failed = Shown<QMessageBox>(QStringLiteral("UpdateCheckFailedMessage"));
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->icon(), QMessageBox::Critical);
    EXPECT_EQ(failed->text(), QStringLiteral("Could not check for a program update\nCheck your network connection"));
}

TEST_F(UpdateCheckTest, TheDialogShowsTheVersionAndFeaturesInTheInterfaceLanguage)
{
    TStandin standin({QStringLiteral("--update"), QStringLiteral("3.1.4.1")});
    ASSERT_TRUE(standin.IsReady());
    const TUpdateCheckResult result = Check(true);
    ASSERT_EQ(result.ResultCode, ucNewerVersion);
    auto *dialog = Shown<TUpdateDialog>(QStringLiteral("UpdateDialog"));
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->size(), QSize(TUpdateDialog::DialogWidth, TUpdateDialog::DialogHeight));
    auto *version = dialog->findChild<QLabel *>(QStringLiteral("UpdateVersionLabel"));
    auto *features = dialog->findChild<QLabel *>(QStringLiteral("UpdateFeaturesLabel"));
    EXPECT_EQ(version->text(), QStringLiteral("Version  3.1.4.1"));
    EXPECT_EQ(features->text().split(u'\n').size(), 4);
    EXPECT_TRUE(features->text().startsWith(QStringLiteral("●  Artist pages")));
    EXPECT_TRUE(features->text().contains(QStringLiteral("●  Album pages list every track and play it from VK\n")));
    EXPECT_TRUE(features->text().contains(QStringLiteral("Faster start — the window opens at once")));

    // The language changes while it is up: it re-words itself.
    for (int i = 0; i < LocalizationManager->GetCount(); ++i)
        if (LocalizationManager->getLocalization(i)->ISOCode() == u"ru")
            LocalizationManager->SetActiveLocalizationIndex(i);
    EXPECT_EQ(version->text(), QStringLiteral("Версия  3.1.4.1"));
    EXPECT_EQ(dialog->SkipCheckBox()->text(), QStringLiteral("пропустить эту версию"));
    EXPECT_EQ(dialog->DownloadPageButton()->text(), QStringLiteral("Перейти на страницу загрузки"));
    EXPECT_EQ(dialog->CancelButton()->text(), QStringLiteral("Отмена"));

    dialog->DownloadPageButton()->click();
    EXPECT_EQ(FOpened.URLs, QList<QUrl> {QUrl(standin.UpdateURL() + QStringLiteral("/download/"))});
    EXPECT_FALSE(UpdateFileTimes(standin).isEmpty());
}

TEST_F(UpdateCheckTest, AutomaticChecksRetryFiveTimesOnlyWhenNoUpdateFileComesBack)
{
    // Waits of 333, 666, 999, 1332 and 1665 ms before the attempts.
    const struct
    {
        const char *Answer;
        TUpdateCheckResultCode Code;
        int Attempts;
    } cases[] = {
        {"garbage", ucFailed, 5},
        {"none", ucFailed, 5},
        {"equal", ucNoNewerVersion, 1},
    };
    for (const auto &c : cases) {
        TStandin standin({QStringLiteral("--update"), QLatin1String(c.Answer)});
        ASSERT_TRUE(standin.IsReady());
        QElapsedTimer timer;
        const qint64 started = QDateTime::currentMSecsSinceEpoch();
        timer.start();
        EXPECT_EQ(Check(false).ResultCode, c.Code) << c.Answer;
        // Nothing is shown by an automatic check but an offer.
        EXPECT_TRUE(ShownUpdateWindows().isEmpty()) << c.Answer;
        const QList<qint64> times = UpdateFileTimes(standin);
        ASSERT_EQ(times.size(), c.Attempts) << c.Answer;
        EXPECT_GE(times[0] - started, AttemptDelayStep) << c.Answer;
        for (int n = 2; n <= times.size(); ++n) {
            const qint64 gap = times[n - 1] - times[n - 2];
            EXPECT_GE(gap, AttemptDelayStep * n - 5) << c.Answer << " before attempt " << n;
            EXPECT_LT(gap, AttemptDelayStep * n + 1000) << c.Answer << " before attempt " << n;
        }
    }
    // No host: five attempts all the same, then silence.
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(Check(false).ResultCode, ucFailed);
    EXPECT_GE(timer.elapsed(), AttemptDelayStep * 15);
    EXPECT_TRUE(ShownUpdateWindows().isEmpty());
}

TEST_F(UpdateCheckTest, ASkippedVersionStaysQuietUntilANewerOneIsOffered)
{
    const QDate today = TodayUTC();
    {
        TStandin standin({QStringLiteral("--update"), QStringLiteral("9.0.0.0")});
        ASSERT_TRUE(standin.IsReady());
        ASSERT_EQ(Check(false).ResultCode, ucNewerVersion);
        auto *dialog = Shown<TUpdateDialog>(QStringLiteral("UpdateDialog"));
        ASSERT_TRUE(dialog);
        dialog->SkipCheckBox()->setChecked(true);
        dialog->CancelButton()->click();
        EXPECT_TRUE(FOpened.URLs.isEmpty());
        EXPECT_EQ(SkippedVersion(), QStringLiteral("9.0.0.0"));
        EXPECT_FALSE(IsAutoCheckDue(today)) << "dealt with today";
        EXPECT_TRUE(IsAutoCheckDue(today.addDays(1))) << "and checked again tomorrow";

        // Tomorrow: the same version again says nothing, a manual check still shows it.
        EXPECT_EQ(Check(false).ResultCode, ucNewerVersion);
        EXPECT_TRUE(ShownUpdateWindows().isEmpty());
        EXPECT_EQ(Check(true).ResultCode, ucNewerVersion);
        EXPECT_EQ(ShownUpdateWindows(), QStringList {QStringLiteral("UpdateDialog")});
        Shown<TUpdateDialog>(QStringLiteral("UpdateDialog"))->CloseButton()->click();
        EXPECT_EQ(SkippedVersion(), QStringLiteral("9.0.0.0")) << "closed without the box ticked";
    }
    TStandin later({QStringLiteral("--update"), QStringLiteral("9.1.0.0")});
    ASSERT_TRUE(later.IsReady());
    EXPECT_EQ(Check(false).ResultCode, ucNewerVersion);
    EXPECT_EQ(ShownUpdateWindows(), QStringList {QStringLiteral("UpdateDialog")});
}

TEST_F(UpdateCheckTest, TheAutomaticCheckStartsOnlyWhenDueAllowedAndNotInstalling)
{
    TStandin standin({QStringLiteral("--update"), QStringLiteral("equal")});
    ASSERT_TRUE(standin.IsReady());
    auto *settings = GetInstance<TQelmSettings>();
    settings->SetAutoUpdateCheck(false);
    EXPECT_FALSE(UpdateCheck::StartAutomaticCheck({}));
    settings->SetAutoUpdateCheck(true);
    EXPECT_FALSE(UpdateCheck::StartAutomaticCheck({QStringLiteral("-Install")}));
    StoreDayMark(TodayUTC());
    EXPECT_FALSE(UpdateCheck::StartAutomaticCheck({}));
    StoreDayMark(TodayUTC().addDays(-1));
    EXPECT_TRUE(UpdateCheck::StartAutomaticCheck({QStringLiteral("--minimized")}));
    EXPECT_TRUE(WaitFor([&] { return UpdateFileTimes(standin).size() == 1; }, std::chrono::seconds(10)));
    EXPECT_TRUE(ShownUpdateWindows().isEmpty());
}

#include "UpdaterTest.moc"
