#include "vkweb/TCookieManagerUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"

#include "app/helpers/TQelmPathManagerUnit.h"
#include "support/TestEnvironment.h"

#include "vkweb/VKWebTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QUrl>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QUrl Site(QStringLiteral("https://vk.test/"));

class CookieFile : public ::testing::Test
{
protected:
    static QString Path() { return GetCookiesFilePath(); }
    static void Write(const QByteArray &Bytes)
    {
        QDir().mkpath(QFileInfo(Path()).absolutePath());
        QFile file(Path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(Bytes);
    }
    static QByteArray Read()
    {
        QFile file(Path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
    }
    static QByteArray CookieObject(const char *Name, const QByteArray &Expires)
    {
        return QByteArray("{\"Name\":\"") + Name + "\",\"Value\":\"v\",\"Expires\":" + Expires
            + ",\"Domain\":\"vk.test\",\"Path\":\"/\",\"Secure\":false,\"HttpOnly\":false}";
    }

    TTempUserFolders FFolders;
    TScopedEnvironment FSite {"MARVANE_VK_WEB_URL", QStringLiteral("https://vk.test")};
};

} // namespace

TEST_F(CookieFile, RoundTripKeepsEveryCookieInOneLineOfASCII)
{
    QList<TCookie> stored;
    {
        TVKEmulationManager manager;
        const auto jar = manager.CookieManager();
        jar->AddServerCookies({QStringLiteral("remixsid=abc; Path=/; Secure; HttpOnly"), QStringLiteral("session=1"),
                                  QStringLiteral("name=Пётр \U0001F3B5"),
                                  QStringLiteral("persist=1; Expires=Wed, 21-Oct-2065 07:28:00 GMT"),
                                  QStringLiteral("dom=1; Domain=vk.test")},
            Site);
        // The login host's own, under a host name of its own, and one of a
        // narrower path: both come back after a restart.
        jar->AddServerCookies({QStringLiteral("l=1; Expires=Wed, 21-Oct-2065 07:28:00 GMT; HttpOnly")},
            QUrl(QStringLiteral("https://login.vk-auth.test/?act=login")));
        jar->AddServerCookies({QStringLiteral("audio=1; Path=/al_audio.php")}, Site);
        stored = jar->Cookies();
        manager.StoreCookies();
    }

    const QByteArray text = Read();
    EXPECT_FALSE(text.contains('\n'));
    EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) { return uchar(c) >= 0x20 && uchar(c) < 0x80; }));
    EXPECT_TRUE(text.contains("\\u041f")); // "П"
    EXPECT_TRUE(text.contains("\\ud83c\\udfb5"));
    const QJsonArray array = QJsonDocument::fromJson(text).array();
    ASSERT_EQ(array.size(), 7);
    for (const QJsonValue &value : array) {
        const QJsonObject object = value.toObject();
        EXPECT_EQ(object.keys(),
            QStringList({QStringLiteral("Domain"), QStringLiteral("Expires"), QStringLiteral("HttpOnly"),
                QStringLiteral("Name"), QStringLiteral("Path"), QStringLiteral("Secure"), QStringLiteral("Value")}));
        EXPECT_TRUE(object.value(u"Expires").isDouble());
    }
    const QJsonObject session = array.at(1).toObject();
    EXPECT_EQ(session.value(u"Name").toString(), QStringLiteral("session"));
    EXPECT_LT(session.value(u"Expires").toDouble(), -2.0e12); // the zero date of 1899
    const QJsonObject persist = array.at(3).toObject();
    EXPECT_EQ(qint64(persist.value(u"Expires").toDouble()),
        QDateTime(QDate(2065, 10, 21), QTime(7, 28), Qt::UTC).toMSecsSinceEpoch());
    EXPECT_EQ(array.at(0).toObject().value(u"Secure"), QJsonValue(true));
    EXPECT_EQ(array.at(0).toObject().value(u"HttpOnly"), QJsonValue(true));
    EXPECT_EQ(array.at(4).toObject().value(u"Domain").toString(), QStringLiteral(".vk.test"));

    TVKEmulationManager restarted;
    const QList<TCookie> loaded = restarted.CookieManager()->Cookies();
    ASSERT_EQ(loaded.size(), stored.size());
    for (int i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(loaded[i].Name, stored[i].Name);
        EXPECT_EQ(loaded[i].Value, stored[i].Value);
        EXPECT_EQ(loaded[i].Expires, stored[i].Expires);
        EXPECT_EQ(loaded[i].Domain, stored[i].Domain);
        EXPECT_EQ(loaded[i].Path, stored[i].Path);
        EXPECT_EQ(loaded[i].Secure, stored[i].Secure);
        EXPECT_EQ(loaded[i].HttpOnly, stored[i].HttpOnly);
    }
    // The session cookie stored before exit is sent again after the start.
    EXPECT_EQ(restarted.CookieManager()->CookieHeader(QUrl(QStringLiteral("https://vk.test/audio"))),
        QStringLiteral("remixsid=abc; session=1; name=Пётр \U0001F3B5; persist=1; dom=1").toUtf8());
    EXPECT_EQ(restarted.CookieManager()->CookieHeader(QUrl(QStringLiteral("https://login.vk-auth.test/"))), "l=1");
    EXPECT_EQ(restarted.CookieManager()->CookieHeader(QUrl(QStringLiteral("https://vk.test/al_audio.php"))),
        QStringLiteral("audio=1; remixsid=abc; session=1; name=Пётр \U0001F3B5; persist=1; dom=1").toUtf8());
}

// Expiries far outside any date: held to a far future or read as a session
// cookie, never converted out of range.
TEST_F(CookieFile, ExpiriesOfAnySizeLoad)
{
    Write("[" + CookieObject("far", "1e300") + "," + CookieObject("max", "1.7976931348623157e308") + ","
        + CookieObject("before", "-1e300") + "," + CookieObject("edge", "9223372036854775808") + "]");
    TVKEmulationManager manager;
    const QList<TCookie> cookies = manager.CookieManager()->Cookies();
    ASSERT_EQ(cookies.size(), 4) << Read().constData();
    const QDateTime later = QDateTime::currentDateTimeUtc().addYears(1000);
    for (const char *name : {"far", "max", "edge"}) {
        const auto cookie = std::find_if(
            cookies.begin(), cookies.end(), [&](const TCookie &C) { return C.Name == QLatin1String(name); });
        ASSERT_NE(cookie, cookies.end()) << name;
        EXPECT_TRUE(cookie->Expires.isValid() && cookie->Expires > later) << name;
    }
    EXPECT_TRUE(cookies[2].IsSession());
    // And they are written back as numbers that load again.
    ASSERT_TRUE(manager.StoreCookies());
    TVKEmulationManager restarted;
    EXPECT_EQ(restarted.CookieManager()->Count(), 4) << Read().constData();
}

TEST_F(CookieFile, ExpiryIsReadFromMillisecondsISOTextOrLocalText)
{
    const QDateTime future(QDate(2065, 10, 21), QTime(7, 28), Qt::UTC);
    // As the original program wrote it: the short date and the time of the user's locale.
    const QLocale locale = QLocale::system();
    QString dateFormat = locale.dateFormat(QLocale::ShortFormat);
    if (!dateFormat.contains(QStringLiteral("yyyy")))
        dateFormat.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    const QString localText = locale.toString(future.toLocalTime(), dateFormat + QStringLiteral(" HH:mm:ss"));
    Write("[" + CookieObject("ms", QByteArray::number(future.toMSecsSinceEpoch())) + ","
        + CookieObject("iso", "\"2065-10-21T07:28:00Z\"") + ","
        + CookieObject("local", "\"" + localText.toUtf8() + "\"") + "," + CookieObject("gone", "1000") + "]");
    TVKEmulationManager manager;
    const QList<TCookie> cookies = manager.CookieManager()->Cookies();
    ASSERT_EQ(cookies.size(), 3) << Read().constData();
    EXPECT_EQ(cookies[0].Name, QStringLiteral("ms"));
    EXPECT_EQ(cookies[0].Expires, future);
    EXPECT_EQ(cookies[1].Name, QStringLiteral("iso"));
    EXPECT_EQ(cookies[1].Expires, future);
    EXPECT_EQ(cookies[2].Name, QStringLiteral("local"));
    EXPECT_EQ(cookies[2].Expires, future);
}

// The zero date of a session cookie was written through the local time of
// the day; read back in another time zone it must not become an expiry in
// 1899, which would sign the user out.
TEST_F(CookieFile, ZeroDateFromAnyTimeZoneStaysASessionCookie)
{
    const qint64 zeroUTC = QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC).toMSecsSinceEpoch();
    const qint64 hour = 3600 * 1000;
    Write("[" + CookieObject("east", QByteArray::number(zeroUTC - 14 * hour)) + ","
        + CookieObject("west", QByteArray::number(zeroUTC + 12 * hour)) + ","
        + CookieObject("local", QByteArray::number(QDateTime(QDate(1899, 12, 30), QTime(0, 0)).toMSecsSinceEpoch()))
        + "," + CookieObject("iso", "\"1899-12-30T00:00:00\"") + "," + CookieObject("eve", "-1") + "]");
    TVKEmulationManager manager;
    const auto jar = manager.CookieManager();
    const QList<TCookie> cookies = jar->Cookies();
    ASSERT_EQ(cookies.size(), 5);
    for (const TCookie &cookie : cookies)
        EXPECT_TRUE(cookie.IsSession()) << cookie.Name.toStdString();
    EXPECT_EQ(jar->CookieHeader(Site), QByteArray("east=v; west=v; local=v; iso=v; eve=v"));
}

TEST_F(CookieFile, DamagedFileMeansNotSignedInAndIsReplacedAtTheNextWrite)
{
    const QByteArray valid = CookieObject("a", "3000000000000");
    const struct
    {
        const char *Damage;
        QByteArray Bytes;
    } cases[] = {
        {"empty", ""},
        {"truncated", "[" + valid.left(valid.size() / 2)},
        {"not JSON", "<html><body>Disk error</body></html>"},
        {"an object", valid},
        {"an array of numbers", "[1,2]"},
        {"a field of another type", "[" + CookieObject("a", "true") + "]"},
        {"a missing field", R"([{"Name":"a","Value":"1","Expires":0}])"},
        {"one bad element", "[" + valid + ",5]"},
        {"an unreadable date", "[" + CookieObject("a", "\"someday\"") + "]"},
        {"bytes that are not UTF-8", "[" + CookieObject("\xe9t\xe9", "3000000000000") + "]"},
        {"a NUL byte", QByteArray("[\0]", 3)},
    };
    for (const auto &c : cases) {
        Write(c.Bytes);
        TVKEmulationManager manager;
        EXPECT_EQ(manager.CookieManager()->Count(), 0) << c.Damage;
        manager.CookieManager()->AddServerCookies({QStringLiteral("fresh=1")}, Site);
        manager.StoreCookies();
        const QJsonDocument written = QJsonDocument::fromJson(Read());
        ASSERT_TRUE(written.isArray()) << c.Damage;
        EXPECT_EQ(written.array().at(0).toObject().value(u"Name").toString(), QStringLiteral("fresh")) << c.Damage;
    }
}

// A new file renamed over the old one: the old file's contents are never
// rewritten in place (a hard link to it still holds them), and the new file
// is the owner's alone even when the old one was readable by all.
TEST_F(CookieFile, StoreWritesANewOwnerOnlyFileOverTheOld)
{
    Write("[" + CookieObject("old", "3000000000000") + "]");
    ASSERT_EQ(::chmod(QFile::encodeName(Path()).constData(), 0644), 0);
    const QString link = FFolders.Root() + QStringLiteral("/previous-cookies");
    ASSERT_EQ(::link(QFile::encodeName(Path()).constData(), QFile::encodeName(link).constData()), 0);
    const QByteArray before = Read();

    TVKEmulationManager manager;
    manager.CookieManager()->AddServerCookies({QStringLiteral("new=1")}, Site);
    manager.StoreCookies();

    struct stat status
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(Path()).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    EXPECT_TRUE(Read().contains("\"new\""));
    QFile previous(link);
    ASSERT_TRUE(previous.open(QIODevice::ReadOnly));
    EXPECT_EQ(previous.readAll(), before);
    EXPECT_TRUE(QDir(QFileInfo(Path()).absolutePath()).entryList(QDir::Files | QDir::Hidden).size() == 1);
}

// A write that fails is told, with the system's message, and leaves nothing
// behind; the next one, once the way is clear, stores the jar.
TEST_F(CookieFile, AFailedWriteIsReported)
{
    ASSERT_TRUE(QDir().mkpath(Path())); // a folder where the file belongs
    TVKEmulationManager manager;
    QStringList messages;
    manager.OnCookieFileWriteFailed = [&](TObject *Sender, const QString &Message) {
        EXPECT_EQ(Sender, &manager);
        messages << Message;
    };
    manager.CookieManager()->AddServerCookies({QStringLiteral("remixsid=abc")}, Site);
    EXPECT_FALSE(manager.StoreCookies());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_FALSE(messages[0].isEmpty());
    EXPECT_EQ(QDir(QFileInfo(Path()).absolutePath()).entryList(QDir::Files | QDir::Hidden), QStringList());

    ASSERT_TRUE(QDir(Path()).removeRecursively());
    EXPECT_TRUE(manager.StoreCookies());
    EXPECT_EQ(messages.size(), 1);
    EXPECT_TRUE(Read().contains("remixsid"));
}

TEST_F(CookieFile, FirstRunWithoutAFileStartsEmptyAndCreatesTheFolderOnWrite)
{
    {
        TVKEmulationManager manager;
        EXPECT_EQ(manager.CookieManager()->Count(), 0);
    }
    EXPECT_FALSE(QFile::exists(Path())); // nothing changed, nothing written
    TVKEmulationManager manager;
    manager.StoreCookies();
    EXPECT_EQ(Read(), QByteArray("[]"));
}

TEST_F(CookieFile, ShutDownStoresCookiesSetSinceTheLastWriteOnly)
{
    // Written by another program: kept byte for byte while the jar is unchanged.
    const QByteArray foreign = "[ " + CookieObject("a", "3000000000000") + " ]";
    Write(foreign);
    {
        TVKEmulationManager manager;
        EXPECT_EQ(manager.CookieManager()->Count(), 1);
    }
    EXPECT_EQ(Read(), foreign);
    {
        TVKEmulationManager manager;
        // As an audio request would: the site renews a cookie.
        manager.CookieManager()->AddServerCookies({QStringLiteral("remixsid=renewed")}, Site);
    }
    TVKEmulationManager restarted;
    EXPECT_EQ(restarted.CookieManager()->CookieHeader(Site), QByteArray("a=v; remixsid=renewed"));
}

TEST_F(CookieFile, LogoutLeavesAnEmptyFileAndANewJarWhileTasksKeepTheOldOne)
{
    TVKEmulationManager manager;
    manager.CookieManager()->AddServerCookies({QStringLiteral("remixsid=abc")}, Site);
    manager.SetUserID(42);
    manager.StoreCookies();
    // A task made before the logout holds the session of its making.
    const TVKEmulationSession running = manager.Session();

    QByteArray fileAtEvent;
    int events = 0;
    manager.OnLogout = [&](TObject *Sender) {
        EXPECT_EQ(Sender, &manager);
        fileAtEvent = Read();
        ++events;
    };
    manager.Logout();

    EXPECT_EQ(events, 1);
    EXPECT_EQ(fileAtEvent, QByteArray("[]"));
    EXPECT_EQ(manager.UserID(), 0);
    EXPECT_NE(manager.CookieManager(), running.CookieManager);
    EXPECT_EQ(manager.CookieManager()->Count(), 0);
    EXPECT_EQ(running.UserID, 42);
    // What the old session's task still receives goes nowhere.
    running.CookieManager->AddServerCookies({QStringLiteral("late=1")}, Site);
    EXPECT_EQ(manager.CookieManager()->Count(), 0);
    manager.StoreCookies();
    EXPECT_EQ(Read(), QByteArray("[]"));
}

namespace {

// Files up to Bytes long, as a nearly full disk allows; a longer write fails
// with EFBIG instead of ending the process.
class TFileSizeLimit
{
public:
    explicit TFileSizeLimit(rlim_t Bytes)
    {
        FPreviousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &FPrevious);
        rlimit limit = FPrevious;
        limit.rlim_cur = Bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &FPrevious);
        std::signal(SIGXFSZ, FPreviousHandler);
    }

private:
    rlimit FPrevious {};
    void (*FPreviousHandler)(int) = nullptr;
};

} // namespace

// A logout never leaves a session the next start would sign in with: a file
// that cannot be rewritten goes, and when it cannot go either, the caller
// hears it.
TEST_F(CookieFile, ALogoutThatCannotRewriteTheFileLeavesNoSessionOrSaysSo)
{
    // A larger jar than the empty one, so that the limit lets it be written.
    const QByteArray session = "[ " + CookieObject("remixsid", "3000000000000") + " ]";
    {
        SCOPED_TRACE("a full disk");
        Write(session);
        TVKEmulationManager manager;
        QStringList told;
        manager.OnLogoutNotStored = [&](TObject *, const QString &Message) { told << Message; };
        {
            TFileSizeLimit full(1);
            manager.Logout();
        }
        EXPECT_FALSE(QFile::exists(Path())) << Read().toStdString();
        EXPECT_TRUE(told.isEmpty());
        TVKEmulationManager restarted;
        EXPECT_EQ(restarted.CookieManager()->Count(), 0);
    }
    {
        SCOPED_TRACE("neither written nor removed");
        QFile::remove(Path());
        ASSERT_TRUE(QDir().mkpath(Path() + QStringLiteral("/in-the-way")));
        TVKEmulationManager manager;
        QStringList told;
        manager.OnLogoutNotStored = [&](TObject *Sender, const QString &Message) {
            EXPECT_EQ(Sender, &manager);
            told << Message;
        };
        int logouts = 0;
        manager.OnLogout = [&](TObject *) { ++logouts; };
        manager.Logout();
        ASSERT_EQ(told.size(), 1);
        EXPECT_FALSE(told[0].isEmpty());
        EXPECT_EQ(logouts, 1) << "the user is logged out in this run all the same";
        ASSERT_TRUE(QDir(Path()).removeRecursively());
    }
}
