#include "app/ApplicationUnit.h"
#include "app/ProgramUnit.h"
#include "platform/ShellUnit.h"
#include "app/TEmbeddedBrowserRegistryManagerUnit.h"
#include "app/THandleCreateExceptionFormUnit.h"
#include "platform/TRegistryUnit.h"
#include "support/TestEnvironment.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

TEST(Program, InstallArgumentInAnyLetterCase)
{
    for (const char *yes : {"-INSTALL", "-install", "-InStAlL"})
        EXPECT_TRUE(IsInstallArgument(QLatin1String(yes))) << yes;
    for (const char *no : {"install", "-INSTALLX", "", "--install"})
        EXPECT_FALSE(IsInstallArgument(QLatin1String(no))) << no;
}

namespace {

class InstallModeTest : public ::testing::Test
{
protected:
    QString DataFolder() const { return Folders.DataHome() + QStringLiteral("/MarvanePlayer"); }
    QString Database() const { return DataFolder() + QStringLiteral("/SavedTracks.db"); }
    QString Template() const { return DataFolder() + QStringLiteral("/empty_SavedTracks.db"); }

    void PlaceTemplate()
    {
        QDir().mkpath(DataFolder());
        ASSERT_TRUE(QFile::copy(QStringLiteral(MARVANE_EMPTY_DB), Template()));
    }

    // The real program, with no display at all.
    int RunInstall(const QString &Argument = QStringLiteral("-install"))
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(MARVANE_PLAYER_EXE), {Argument});
        EXPECT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << process.readAllStandardError().toStdString();
        return process.exitCode();
    }

    static QByteArray Digest(const QString &Path)
    {
        QFile file(Path);
        return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                                              : QByteArray();
    }

    TTempUserFolders Folders;
};

} // namespace

TEST_F(InstallModeTest, PutsTheTemplateInPlaceOnceAndRemovesIt)
{
    PlaceTemplate();
    const QByteArray templateDigest = Digest(Template());

    EXPECT_EQ(RunInstall(QStringLiteral("-INSTALL")), 0);
    EXPECT_EQ(Digest(Database()), templateDigest);
    EXPECT_FALSE(QFile::exists(Template()));

    // Second run: no template, nothing to do, nothing fails.
    EXPECT_EQ(RunInstall(), 0);
    EXPECT_EQ(Digest(Database()), templateDigest);
}

TEST_F(InstallModeTest, NeverOverwritesAnExistingDatabase)
{
    PlaceTemplate();
    {
        QFile db(Database());
        ASSERT_TRUE(db.open(QIODevice::WriteOnly));
        db.write("the user's saved tracks");
    }
    EXPECT_EQ(RunInstall(), 0);
    QFile db(Database());
    ASSERT_TRUE(db.open(QIODevice::ReadOnly));
    EXPECT_EQ(db.readAll(), QByteArray("the user's saved tracks"));
    EXPECT_FALSE(QFile::exists(Template()));
}

TEST(EmbeddedBrowserRegistry, WritesBothKeysOnlyForTheAdministrator)
{
    TTempUserFolders folders;
    const QString native = QStringLiteral(
        "SOFTWARE\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION");
    const QString wow = QStringLiteral(
        "SOFTWARE\\WOW6432Node\\Microsoft\\Internet Explorer\\Main\\FeatureControl\\FEATURE_BROWSER_EMULATION");

    // Without the keys nothing is created.
    TEmbeddedBrowserRegistryManager::DoRegister(9999, QStringLiteral("marvane-player"), true);
    TRegistry machine(TRegistryRoot::LocalMachine);
    EXPECT_FALSE(machine.KeyExists(native));

    ASSERT_TRUE(machine.OpenKey(native, true));
    ASSERT_TRUE(machine.OpenKey(wow, true));
    TEmbeddedBrowserRegistryManager::DoRegister(9999, QStringLiteral("marvane-player"), true);
    for (const QString &key : {native, wow}) {
        ASSERT_TRUE(machine.OpenKeyReadOnly(key));
        if (Shell::IsUserAnAdmin())
            EXPECT_EQ(machine.ReadInteger(QStringLiteral("marvane-player")), 9999);
        else
            EXPECT_FALSE(machine.ValueExists(QStringLiteral("marvane-player")));
    }
}

namespace {

class TFailingForm : public THandleCreateExceptionForm
{
protected:
    friend class THandleCreateExceptionForm;
    void FormCreate() override { throw Exception(QStringLiteral("Can't initialize device")); }
};

} // namespace

TEST(HandleCreateExceptionForm, ShowsTheErrorAndStopsWithExitCodeZero)
{
    QString shown;
    Application::SetExceptionHandler([&](const QString &Message) { shown = Message; });
    try {
        THandleCreateExceptionForm::CreateForm<TFailingForm>();
        ADD_FAILURE() << "the program should stop";
    } catch (const EProgramHalt &halt) {
        EXPECT_EQ(halt.ExitCode, 0);
    }
    Application::SetExceptionHandler({});
    EXPECT_EQ(shown, QStringLiteral("Can't initialize device"));
}
