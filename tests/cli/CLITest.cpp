#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"

#include "support/TestHTTPServer.h"
#include "vkweb/VKWebTestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct TRun
{
    int ExitCode = -1;
    QStringList Out;
    QString Err;
};

// marvane-cli as a process against the stand-in, with data and config
// folders of its own.
class CLI : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(FStandin.IsReady()); }

    static void Start(TChildProcess &Process, const QStringList &Arguments, TChildProcess::TOptions Options = {})
    {
        Options.ReadErrors = true;
        ASSERT_TRUE(Process.Start(QStringLiteral(MARVANE_CLI_PROGRAM), Arguments, Options));
    }

    static TRun Finish(TChildProcess &Process)
    {
        Process.CloseInput();
        TRun run;
        if (!Process.WaitForExit() || !Process.ExitedNormally())
            return run;
        run.ExitCode = Process.ExitCode();
        run.Out = QString::fromUtf8(Process.Output()).split(u'\n', Qt::SkipEmptyParts);
        run.Err = QString::fromUtf8(Process.Errors());
        return run;
    }

    static TRun Run(const QStringList &Arguments, const QByteArray &Input = {})
    {
        TChildProcess process;
        Start(process, Arguments);
        process.Write(Input);
        return Finish(process);
    }

    // Waits for a line on standard error starting with Prompt and returns it.
    static QString AwaitPrompt(TChildProcess &Process, const QString &Prompt)
    {
        QString prompt;
        Process.WaitFor(
            [&] {
                for (const QString &l : QString::fromUtf8(Process.Errors()).split(u'\n'))
                    if (l.startsWith(Prompt))
                        prompt = l;
                return !prompt.isEmpty();
            },
            std::chrono::seconds(10));
        return prompt;
    }

    QByteArray CookieFile() const
    {
        QFile file(FFolders.DataHome() + QStringLiteral("/MarvanePlayer/cookies.ini"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TTempUserFolders FFolders;
    TStandin FStandin;
};

const QRegularExpression TrackLine(QStringLiteral("^(-?\\d+_\\d+)\\t[^\\t]*\\t[^\\t]*\\t\\d+:[0-5]\\d$"));

QString TrackID(const QString &Line)
{
    return TrackLine.match(Line).captured(1);
}

// Signed in, with the table the install step puts in place and a music folder
// of its own.
class CLIDownloads : public CLI
{
protected:
    void SetUp() override
    {
        CLI::SetUp();
        const QString data = FFolders.DataHome() + QStringLiteral("/MarvanePlayer");
        ASSERT_TRUE(QDir().mkpath(data));
        ASSERT_TRUE(QFile::copy(QStringLiteral(MARVANE_EMPTY_DB), data + QStringLiteral("/SavedTracks.db")));
        QFile(data + QStringLiteral("/SavedTracks.db"))
            .setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QFile dirs(FFolders.ConfigHome() + QStringLiteral("/user-dirs.dirs"));
        ASSERT_TRUE(QDir().mkpath(FFolders.ConfigHome()) && dirs.open(QIODevice::WriteOnly));
        dirs.write("XDG_MUSIC_DIR=\"" + QFile::encodeName(FFolders.Root()) + "/music\"\n");
        dirs.close();
        ASSERT_EQ(Run({QStringLiteral("login"), QStringLiteral("plain@marvane.test")}, "plain-pass\n").ExitCode, 0);
    }

    QString Music() const { return FFolders.Root() + QStringLiteral("/music/MarvanePlayer"); }

    // The one track a search finds.
    QString Found(const QString &Query)
    {
        const TRun found = Run({QStringLiteral("search"), Query});
        EXPECT_EQ(found.Out.size(), 1) << found.Out.join(u'\n').toStdString();
        return found.Out.value(0);
    }
};

} // namespace

TEST_F(CLI, ASessionFromLoginToLogout)
{
    ASSERT_EQ(Run({QStringLiteral("login"), QStringLiteral("plain@marvane.test")}, "plain-pass\n").ExitCode, 0);
    const TRun who = Run({QStringLiteral("whoami")});
    EXPECT_EQ(who.ExitCode, 0);
    EXPECT_EQ(who.Out, QStringList {QStringLiteral("1001")});

    const TRun mine = Run({QStringLiteral("mymusic")});
    EXPECT_EQ(mine.ExitCode, 0);
    EXPECT_EQ(mine.Out.size(), 40);
    for (const QString &l : mine.Out)
        EXPECT_TRUE(TrackID(l).startsWith(u"1001_")) << l.toStdString();

    const TRun found = Run({QStringLiteral("search"), QStringLiteral("северные")});
    EXPECT_EQ(found.ExitCode, 0);
    ASSERT_FALSE(found.Out.isEmpty());
    for (const QString &l : found.Out) {
        EXPECT_FALSE(TrackID(l).isEmpty()) << l.toStdString();
        EXPECT_TRUE(l.contains(u"Северные")) << l.toStdString();
    }
    const TRun page1 = Run({QStringLiteral("search"), QString()});
    const TRun page2 = Run({QStringLiteral("search"), QString(), QStringLiteral("--offset"), QStringLiteral("50")});
    EXPECT_EQ(page1.Out.size(), 50);
    EXPECT_EQ(page2.Out.size(), 50);
    EXPECT_NE(page1.Out, page2.Out);

    const QString source = TrackID(found.Out.first());
    const TRun url = Run({QStringLiteral("url"), source});
    EXPECT_EQ(url.ExitCode, 0);
    ASSERT_EQ(url.Out.size(), 1);
    EXPECT_TRUE(url.Out[0].startsWith(FStandin.WebURL() + u'/')) << url.Out[0].toStdString();

    const TRun added = Run({QStringLiteral("add"), source});
    EXPECT_EQ(added.ExitCode, 0) << added.Err.toStdString();
    ASSERT_EQ(added.Out.size(), 1);
    const QString copy = TrackID(added.Out[0]);
    EXPECT_TRUE(copy.startsWith(u"1001_"));
    EXPECT_EQ(Run({QStringLiteral("mymusic")}).Out.value(0), added.Out[0]);
    const TRun deleted = Run({QStringLiteral("delete"), copy});
    EXPECT_EQ(deleted.ExitCode, 0) << deleted.Err.toStdString();
    EXPECT_EQ(Run({QStringLiteral("mymusic")}).Out, mine.Out);

    EXPECT_EQ(Run({QStringLiteral("logout")}).ExitCode, 0);
    const TRun nobody = Run({QStringLiteral("whoami")});
    EXPECT_EQ(nobody.ExitCode, 1);
    EXPECT_TRUE(nobody.Out.isEmpty());
    EXPECT_EQ(nobody.Err.count(u'\n'), 1) << nobody.Err.toStdString();
}

TEST_F(CLI, AWrongPasswordFailsAndIsWrittenNowhere)
{
    const TRun run = Run({QStringLiteral("login"), QStringLiteral("plain@marvane.test")}, "secret-wrong\n");
    EXPECT_NE(run.ExitCode, 0);
    EXPECT_EQ(run.Err.count(u'\n'), 1) << run.Err.toStdString();
    EXPECT_FALSE(run.Err.contains(u"secret-wrong"));
    EXPECT_FALSE(CookieFile().contains("secret-wrong"));
    EXPECT_EQ(Run({QStringLiteral("whoami")}).ExitCode, 1);
}

// Sign-ins the site interrupts with a question: the prompt comes on standard
// error and the answer is the next input line.
TEST_F(CLI, SignInsWithAQuestionReadTheAnswer)
{
    const struct
    {
        const char *Login;
        const char *Password;
        QString Prompt;
        const char *Answer;
        const char *UserID;
    } cases[] = {
        {"captcha@marvane.test", "captcha-pass\n", QStringLiteral("captcha: "), "38516\n", "1002"},
        {"twostep@marvane.test", "twostep-pass\n", QStringLiteral("code:"), "123456\n", "1003"},
    };
    for (const auto &c : cases) {
        TChildProcess process;
        Start(process, {QStringLiteral("login"), QString::fromUtf8(c.Login)});
        process.Write(c.Password);
        const QString prompt = AwaitPrompt(process, c.Prompt);
        ASSERT_FALSE(prompt.isEmpty()) << c.Login << ": " << process.Errors().toStdString();
        if (c.Prompt.startsWith(u"captcha")) {
            QFile image(prompt.mid(c.Prompt.size()));
            ASSERT_TRUE(image.open(QIODevice::ReadOnly)) << prompt.toStdString();
            EXPECT_TRUE(image.readAll().startsWith("\x89PNG"));
            image.remove();
        }
        process.Write(c.Answer);
        EXPECT_EQ(Finish(process).ExitCode, 0) << c.Login;
        EXPECT_EQ(Run({QStringLiteral("whoami")}).Out, QStringList {QString::fromUtf8(c.UserID)}) << c.Login;
    }
}

// Each failure is one line on standard error and a non-zero exit.
TEST_F(CLI, FailuresExitNonZeroWithOneLine)
{
    ASSERT_EQ(Run({QStringLiteral("login"), QStringLiteral("plain@marvane.test")}, "plain-pass\n").ExitCode, 0);
    const struct
    {
        QStringList Arguments;
        QByteArray Input;
    } cases[] = {
        {{}, {}},
        {{QStringLiteral("play")}, {}},
        {{QStringLiteral("url")}, {}},
        {{QStringLiteral("url"), QStringLiteral("17")}, {}},
        {{QStringLiteral("add"), QStringLiteral("-2001_999999")}, {}},
        {{QStringLiteral("delete"), QStringLiteral("-2001_1")}, {}},
        {{QStringLiteral("search"), QStringLiteral("a"), QStringLiteral("--offset"), QStringLiteral("x")}, {}},
        {{QStringLiteral("login"), QStringLiteral("plain@marvane.test")}, {}},
        {{QStringLiteral("login"), QStringLiteral("twostep@marvane.test")}, "twostep-pass\n000000\n"},
    };
    for (const auto &c : cases) {
        const TRun run = Run(c.Arguments, c.Input);
        const std::string name = c.Arguments.join(u' ').toStdString();
        EXPECT_NE(run.ExitCode, 0) << name;
        EXPECT_TRUE(run.Out.isEmpty()) << name;
        EXPECT_EQ(run.Err.count(u'\n') - run.Err.count(QStringLiteral("code:\n")), 1)
            << name << ": " << run.Err.toStdString();
    }

    // A site that cannot be reached.
    TScopedEnvironment web("MARVANE_VK_WEB_URL", QStringLiteral("http://127.0.0.1:1"));
    const TRun run = Run({QStringLiteral("mymusic")});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err.count(u'\n'), 1) << run.Err.toStdString();
}

// Last.fm pages with their tracks matched on the site: the one the site lacks
// is "not found"; an unknown subject or an unreachable service fails.
TEST_F(CLI, ArtistAndAlbumPagesWithTheirTracksMatched)
{
    const QString artist = QStringLiteral("Северные Огни");
    const QString best = artist + QStringLiteral(" Best");
    const QString missing = QStringLiteral("track\tnot found\t") + artist + QStringLiteral("\tMissing Song");
    ASSERT_EQ(Run({QStringLiteral("artist"), artist}).ExitCode, 1) << "nobody is signed in";
    ASSERT_EQ(Run({QStringLiteral("login"), QStringLiteral("plain@marvane.test")}, "plain-pass\n").ExitCode, 0);

    const TRun page = Run({QStringLiteral("artist"), artist});
    ASSERT_EQ(page.ExitCode, 0) << page.Err.toStdString();
    EXPECT_EQ(page.Out.value(0), QStringLiteral("artist\t") + artist);
    EXPECT_TRUE(page.Out.value(1).startsWith(QStringLiteral("bio\t")));
    EXPECT_EQ(page.Out.filter(QRegularExpression(QStringLiteral("^similar\t"))).size(), 2);
    EXPECT_TRUE(page.Out.contains(QStringLiteral("album\t") + best));
    const QStringList tracks = page.Out.filter(QRegularExpression(QStringLiteral("^track\t")));
    ASSERT_EQ(tracks.size(), 5) << page.Out.join(u'\n').toStdString();
    EXPECT_EQ(tracks.filter(QRegularExpression(QStringLiteral("^track\t-?\\d+_\\d+\t"))).size(), 4);
    EXPECT_EQ(tracks.last(), missing);

    // A matched track can be played: the site gives its stream.
    const QString matched = tracks.first().section(u'\t', 1, 1);
    EXPECT_EQ(Run({QStringLiteral("url"), matched}).ExitCode, 0);

    const TRun album = Run({QStringLiteral("album"), artist, best});
    ASSERT_EQ(album.ExitCode, 0) << album.Err.toStdString();
    EXPECT_EQ(album.Out.value(0), QStringLiteral("album\t%1\t%2").arg(artist, best));
    EXPECT_EQ(album.Out.filter(QRegularExpression(QStringLiteral("^track\t"))), tracks);
    EXPECT_EQ(album.Out.last(), QStringLiteral("other album\t") + artist + QStringLiteral(" Single"));

    const struct
    {
        QStringList Arguments;
        QString Message;
    } failures[] = {
        {{QStringLiteral("artist"), QStringLiteral("Nobody At All")}, QStringLiteral("does not know Nobody At All")},
        {{QStringLiteral("album"), artist, QStringLiteral("No Such Album")},
            QStringLiteral("does not know No Such Album")},
        {{QStringLiteral("artist"), QString()}, QStringLiteral("empty")},
        {{QStringLiteral("album"), artist}, QStringLiteral("usage")},
    };
    for (const auto &c : failures) {
        const TRun run = Run(c.Arguments);
        EXPECT_EQ(run.ExitCode, 1) << c.Message.toStdString();
        EXPECT_TRUE(run.Out.isEmpty()) << c.Message.toStdString();
        EXPECT_TRUE(run.Err.contains(c.Message)) << run.Err.toStdString();
    }
    TScopedEnvironment lastFM("MARVANE_LASTFM_URL", QStringLiteral("http://127.0.0.1:1"));
    const TRun unreachable = Run({QStringLiteral("artist"), artist});
    EXPECT_EQ(unreachable.ExitCode, 1);
    EXPECT_TRUE(unreachable.Err.contains(QStringLiteral("could not be reached"))) << unreachable.Err.toStdString();
}

TEST_F(CLI, UserNamesFromTheVKAPI)
{
    const TRun anna = Run({QStringLiteral("username"), QStringLiteral("1002")});
    EXPECT_EQ(anna.ExitCode, 0) << anna.Err.toStdString();
    EXPECT_EQ(anna.Out, QStringList {QStringLiteral("Анна Смирнова")});

    // A captcha is asked on standard error and answered on standard input.
    const TRun keeper = Run({QStringLiteral("username"), QStringLiteral("1014")}, "38516\n");
    EXPECT_EQ(keeper.ExitCode, 0) << keeper.Err.toStdString();
    EXPECT_EQ(keeper.Out, QStringList {QStringLiteral("Captcha Keeper")});
    EXPECT_TRUE(keeper.Err.startsWith(u"captcha: ")) << keeper.Err.toStdString();
    const QString picture = keeper.Err.section(u'\n', 0, 0).mid(9);
    EXPECT_TRUE(picture.endsWith(u".png")) << picture.toStdString();
    EXPECT_FALSE(QFile::exists(picture)) << "removed when the command ended";

    const QStringList failing[] = {{QStringLiteral("username")}, {QStringLiteral("username"), QStringLiteral("x1")},
        {QStringLiteral("username"), QStringLiteral("1009")}, {QStringLiteral("username"), QStringLiteral("1004")},
        {QStringLiteral("username"), QStringLiteral("77")}};
    for (const QStringList &arguments : failing) {
        const TRun run = Run(arguments);
        EXPECT_EQ(run.ExitCode, 1) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.Out.isEmpty());
        EXPECT_EQ(run.Err.count(u'\n'), 1) << run.Err.toStdString();
    }
}

// A sign-up through the relay with a captcha and the code by call; then the
// password is looked for in every file the program left behind.
TEST_F(CLI, SignupKeepsThePasswordOutOfEveryFile)
{
    const QByteArray password = "Secret-Пароль-7731";
    QTemporaryDir home;
    const TChildProcess::TOptions options {
        .Environment = {QStringLiteral("HOME=") + home.path(), QStringLiteral("TMPDIR=") + home.path()},
        .WorkingDirectory = home.path()};
    const auto signup = [&](const QString &Phone, bool Captcha, const QByteArray &Code, QStringList Extra = {}) {
        TChildProcess process;
        Start(process,
            QStringList {QStringLiteral("signup"), QStringLiteral("Мария"), QStringLiteral("Test"), Phone,
                QStringLiteral("female")}
                + Extra,
            options);
        process.Write(password + "\n");
        if (Captcha) {
            EXPECT_FALSE(AwaitPrompt(process, QStringLiteral("captcha: ")).isEmpty());
            process.Write("38516\n");
        }
        if (!Code.isEmpty()) {
            EXPECT_FALSE(AwaitPrompt(process, QStringLiteral("code:")).isEmpty());
            process.Write(Code + "\n");
        }
        TRun run = Finish(process);
        EXPECT_FALSE(run.Err.contains(QString::fromUtf8(password)));
        return run;
    };

    const TRun wrongCode = signup(QStringLiteral("+79990000300"), false, "11111");
    EXPECT_EQ(wrongCode.ExitCode, 1);
    EXPECT_TRUE(wrongCode.Err.endsWith(u"marvane-cli: the confirmation code is wrong\n"))
        << wrongCode.Err.toStdString();

    const TRun done = signup(QStringLiteral("+79990000014"), true, "24680", {QStringLiteral("--call")});
    EXPECT_EQ(done.ExitCode, 0) << done.Err.toStdString();
    EXPECT_EQ(done.Out, QStringList {QStringLiteral("signed up: +79990000014")});
    // Sign-up is posted as a form, so the password stays out of every URL.
    QStringList voices;
    for (const QString &line : FStandin.LogLines())
        if (line.contains(u"auth.signup") && line.contains(u"+79990000014")) {
            const QJsonObject entry = QJsonDocument::fromJson(line.toUtf8()).object();
            EXPECT_FALSE(entry.value(u"query").toObject().contains(u"password")) << line.toStdString();
            voices << entry.value(u"form").toObject().value(u"voice").toString();
        }
    // Asked for a captcha, answered, then the code again by call.
    EXPECT_EQ(voices, QStringList({QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("-1")}));

    const TRun used = signup(QStringLiteral("+79990000014"), false, {});
    EXPECT_EQ(used.ExitCode, 1);
    EXPECT_EQ(used.Err.count(u'\n'), 1) << used.Err.toStdString();
    EXPECT_TRUE(used.Err.contains(u"already used"));

    // The captcha pictures were written; the password went nowhere.
    int files = 0;
    for (const QString &root : {home.path(), FFolders.Root()}) {
        QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
            const QByteArray content = file.readAll();
            ++files;
            EXPECT_FALSE(content.contains(password)) << file.fileName().toStdString();
            EXPECT_FALSE(
                content.contains(QByteArray(reinterpret_cast<const char *>(QString::fromUtf8(password).utf16()),
                    QString::fromUtf8(password).size() * 2)))
                << file.fileName().toStdString();
        }
    }
    EXPECT_GE(files, 1);
}

// A track downloaded twice, listed newest first and deleted file and row, as
// a window would through the same Downloads data. The names are made of the
// artist and the title, without the characters a name cannot hold.
TEST_F(CLIDownloads, DownloadedTracksAreListedAndDeleted)
{
    const struct
    {
        QString Query;
        QString Name;
    } cases[] = {
        {QStringLiteral("Улыбка"), QStringLiteral("Зимняя_Почта_-_\U0001F600_Улыбка.mp3")},
        {QStringLiteral("Интро"), QStringLiteral("Стеклянный_Город_-_Интро.mp3")},
    };
    QStringList saved;
    for (const auto &c : cases) {
        const QString line = Found(c.Query);
        const QString id = TrackID(line);
        ASSERT_FALSE(id.isEmpty()) << line.toStdString();
        for (const QString &name :
            {c.Name, QString(c.Name).replace(QStringLiteral(".mp3"), QStringLiteral(" (2).mp3"))}) {
            const TRun download = Run({QStringLiteral("download"), id});
            ASSERT_EQ(download.ExitCode, 0) << download.Err.toStdString();
            EXPECT_TRUE(download.Err.isEmpty()) << "no progress without a terminal: " << download.Err.toStdString();
            ASSERT_EQ(download.Out, QStringList {Music() + u'/' + name});
            EXPECT_GT(QFileInfo(download.Out[0]).size(), 1000);
            saved.prepend(line + u'\t' + download.Out[0]);
        }
    }
    EXPECT_EQ(QDir(Music()).entryList(QDir::Files | QDir::Hidden).size(), 4) << "no partial file is left";
    const TRun listed = Run({QStringLiteral("saved")});
    EXPECT_EQ(listed.ExitCode, 0) << listed.Err.toStdString();
    EXPECT_EQ(listed.Out.join(u'\n').toStdString(), saved.join(u'\n').toStdString());

    // The newest of the two copies goes first, file and row: to the trash,
    // then, when asked, for good. The home trash serves the home's file system.
    const TScopedEnvironment home("HOME", FFolders.Root());
    const QString id = saved[0].section(u'\t', 0, 0);
    const QString trash = FFolders.DataHome() + QStringLiteral("/Trash");
    const struct
    {
        QStringList Flags;
        bool Trashed;
    } deletes[] = {{{}, true}, {{QStringLiteral("--permanently")}, false}};
    for (const auto &d : deletes) {
        const QString path = saved.takeFirst().section(u'\t', 4);
        const TRun deleted = Run(QStringList {QStringLiteral("delete-saved"), id} + d.Flags);
        EXPECT_EQ(deleted.ExitCode, 0) << deleted.Err.toStdString();
        EXPECT_TRUE(deleted.Out.isEmpty());
        EXPECT_FALSE(QFile::exists(path));
        EXPECT_EQ(QFile::exists(trash + QStringLiteral("/files/") + QFileInfo(path).fileName()), d.Trashed)
            << path.toStdString();
        EXPECT_EQ(Run({QStringLiteral("saved")}).Out.join(u'\n').toStdString(), saved.join(u'\n').toStdString());
    }
    const TRun gone = Run({QStringLiteral("delete-saved"), id});
    EXPECT_EQ(gone.ExitCode, 1);
    EXPECT_EQ(gone.Err.count(u'\n'), 1) << gone.Err.toStdString();
    EXPECT_EQ(Run({QStringLiteral("saved")}).Out.join(u'\n').toStdString(), saved.join(u'\n').toStdString());

    // Without a trash nothing goes, and the message tells how to delete for good.
    ASSERT_TRUE(QDir(trash).removeRecursively());
    QFile blocker(trash);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString other = saved[0].section(u'\t', 0, 0);
    const TRun kept = Run({QStringLiteral("delete-saved"), other});
    EXPECT_EQ(kept.ExitCode, 1);
    EXPECT_EQ(kept.Err.count(u'\n'), 1) << kept.Err.toStdString();
    EXPECT_TRUE(kept.Err.contains(QStringLiteral("--permanently"))) << kept.Err.toStdString();
    EXPECT_TRUE(QFile::exists(saved[0].section(u'\t', 4)));
    EXPECT_EQ(Run({QStringLiteral("saved")}).Out.join(u'\n').toStdString(), saved.join(u'\n').toStdString());
    const QString path = saved.takeFirst().section(u'\t', 4);
    const TRun forGood = Run({QStringLiteral("delete-saved"), other, QStringLiteral("--permanently")});
    EXPECT_EQ(forGood.ExitCode, 0) << forGood.Err.toStdString();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(Run({QStringLiteral("saved")}).Out.join(u'\n').toStdString(), saved.join(u'\n').toStdString());
}

// On a terminal the download shows its progress on standard error.
TEST_F(CLIDownloads, ATerminalSeesTheProgress)
{
    const QString script = QStandardPaths::findExecutable(QStringLiteral("script"));
    if (script.isEmpty())
        GTEST_SKIP() << "no script(1) to give the program a terminal";
    const QString id = TrackID(Found(QStringLiteral("Улыбка")));
    TChildProcess process;
    // script(1) runs the command on a terminal of its own and copies what it writes.
    ASSERT_TRUE(process.Start(script,
        {QStringLiteral("-qec"), QStringLiteral("'%1' download %2").arg(QStringLiteral(MARVANE_CLI_PROGRAM), id),
            QStringLiteral("/dev/null")}));
    process.CloseInput();
    ASSERT_TRUE(process.WaitForExit());
    EXPECT_EQ(process.ExitCode(), 0);
    const QString shown = QString::fromUtf8(process.Output());
    EXPECT_TRUE(shown.contains(QStringLiteral("100%"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(Music() + QStringLiteral("/Зимняя_Почта_-_"))) << shown.toStdString();
}

// A track the site lacks, one it gives no stream for, a music folder that
// cannot be made: each is one line on standard error and leaves no row and no
// file.
TEST_F(CLIDownloads, FailedDownloadsLeaveNothing)
{
    const QString music = FFolders.Root() + QStringLiteral("/music");
    ASSERT_TRUE(QDir().mkpath(music));
    // A file where the music folder belongs.
    QFile blocker(Music());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const struct
    {
        QStringList Arguments;
        QString Message;
    } cases[] = {
        {{QStringLiteral("download"), QStringLiteral("-2001_999999")}, QStringLiteral("no such track")},
        {{QStringLiteral("download"), QStringLiteral("-2001_11")}, QStringLiteral("no stream")},
        {{QStringLiteral("download"), TrackID(Found(QStringLiteral("Улыбка")))}, QStringLiteral("failed")},
        {{QStringLiteral("download"), QStringLiteral("x")}, QStringLiteral("not a track identifier")},
        {{QStringLiteral("download")}, QStringLiteral("usage")},
        {{QStringLiteral("saved"), QStringLiteral("x")}, QStringLiteral("usage")},
        {{QStringLiteral("delete-saved"), QStringLiteral("3001_2")}, QStringLiteral("no saved track")},
        {{QStringLiteral("delete-saved"), QStringLiteral("3001_2"), QStringLiteral("--for-good")},
            QStringLiteral("usage")},
    };
    for (const auto &c : cases) {
        const TRun run = Run(c.Arguments);
        const std::string name = c.Arguments.join(u' ').toStdString();
        EXPECT_EQ(run.ExitCode, 1) << name;
        EXPECT_TRUE(run.Out.isEmpty()) << name;
        EXPECT_EQ(run.Err.count(u'\n'), 1) << name << ": " << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(c.Message)) << name << ": " << run.Err.toStdString();
    }
    const TRun listed = Run({QStringLiteral("saved")});
    EXPECT_EQ(listed.ExitCode, 0);
    EXPECT_TRUE(listed.Out.isEmpty()) << listed.Out.join(u'\n').toStdString();
    EXPECT_EQ(QDir(music).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList {QStringLiteral("MarvanePlayer")});
}

// Names and messages from the network reach the terminal without the control
// characters that would drive it.
TEST_F(CLI, TextFromTheNetworkCarriesNoControlCharacters)
{
    TTestHTTPServer api;
    api.Routes().Get("/method/users.get", [](const httplib::Request &Request, httplib::Response &Response) {
        const std::string name = R"("first_name":"\u001b]0;owned\u0007Ivan\u001b[2J","last_name":"\u009b31mPetrov\tX")";
        Response.set_content(Request.get_param_value("user_ids") == "5"
                ? R"({"response":[{"id":5,)" + name + "}]}"
                : R"({"error":{"error_code":100,"error_msg":"bad \u001b[31mid\r\n","request_params":[]}})",
            "application/json");
    });
    api.Start();
    TScopedEnvironment url("MARVANE_VK_API_URL", api.URL(QString()));
    const TRun named = Run({QStringLiteral("username"), QStringLiteral("5")});
    EXPECT_EQ(named.ExitCode, 0) << named.Err.toStdString();
    EXPECT_EQ(named.Out, QStringList {QStringLiteral("]0;ownedIvan[2J 31mPetrov X")});
    const TRun refused = Run({QStringLiteral("username"), QStringLiteral("6")});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_TRUE(refused.Err.startsWith(QStringLiteral("marvane-cli: the VK API refused: bad [31mid")))
        << refused.Err.toStdString();
    EXPECT_EQ(refused.Err.count(u'\n'), 1);
    EXPECT_TRUE(std::none_of(
        refused.Err.begin(), refused.Err.end() - 1, [](QChar C) { return C.category() == QChar::Other_Control; }));
}
