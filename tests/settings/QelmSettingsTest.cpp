#include "app/helpers/TQelmPathManagerUnit.h"
#include "platform/TRegistryUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "settings/TSettingValueStreamUnit.h"
#include "support/TestEnvironment.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

const QString Key = QStringLiteral("Software\\MarvanePlayer");

class QelmSettingsTest : public ::testing::Test
{
protected:
    void TearDown() override { THierarchicalSingleton::DoDestroy(); }

    static TQelmSettings *Settings() { return GetInstance<TQelmSettings>(); }
    // A fresh settings object over the same store, as after a restart.
    static TQelmSettings *Restart()
    {
        delete GetInstance<TQelmSettings>();
        return GetInstance<TQelmSettings>();
    }
    static std::unique_ptr<TRegistry> OpenStore()
    {
        auto registry = std::make_unique<TRegistry>(TRegistryRoot::CurrentUser);
        EXPECT_TRUE(registry->OpenKey(Key, true));
        return registry;
    }

    TTempUserFolders Folders;
};

} // namespace

TEST_F(QelmSettingsTest, FreshProfileReadsDefaultsAndWritesNothing)
{
    TQelmSettings *settings = Settings();
    const QString defaultFolder = GetDefaultMusicFolderPath();
    EXPECT_TRUE(defaultFolder.endsWith(QStringLiteral("/MarvanePlayer/")));
    EXPECT_EQ(settings->Volume(), 50.0);
    EXPECT_FALSE(settings->MuteFlag());
    EXPECT_EQ(settings->Lang(), GetUserDefaultLanguageName());
    EXPECT_FALSE(settings->CustomMusicFolderFlag());
    EXPECT_EQ(settings->CustomMusicFolderPath(), defaultFolder);
    EXPECT_EQ(settings->CurrentMusicFolderPath(), defaultFolder);

    TRegistry registry(TRegistryRoot::CurrentUser);
    ASSERT_TRUE(registry.KeyExists(Key));
    ASSERT_TRUE(registry.OpenKeyReadOnly(Key));
    EXPECT_TRUE(registry.GetValueNames().isEmpty());
}

TEST(QelmSettingsLanguage, DefaultLanguageIsTheLocalesTwoLetterName)
{
    const QString name = GetUserDefaultLanguageName();
    const QLocale::Language language = QLocale::system().language();
    if (language == QLocale::C)
        EXPECT_EQ(name, QStringLiteral("en"));
    else
        EXPECT_EQ(QLocale(name).language(), language);
}

TEST_F(QelmSettingsTest, SettingsSurviveARestart)
{
    TQelmSettings *settings = Settings();
    settings->SetVolume(73.5);
    settings->SetMuteFlag(true);
    settings->SetLang(QStringLiteral("ru"));
    settings->SetCustomMusicFolderFlag(true);
    settings->SetCustomMusicFolderPath(QStringLiteral("/media/Музыка"));

    settings = Restart();
    EXPECT_EQ(settings->Volume(), 73.5);
    EXPECT_TRUE(settings->MuteFlag());
    EXPECT_EQ(settings->Lang(), QStringLiteral("ru"));
    EXPECT_TRUE(settings->CustomMusicFolderFlag());
    EXPECT_EQ(settings->CustomMusicFolderPath(), QStringLiteral("/media/Музыка"));
    // No separator is added to the custom folder.
    EXPECT_EQ(settings->CurrentMusicFolderPath(), QStringLiteral("/media/Музыка"));
    settings->SetCustomMusicFolderFlag(false);
    EXPECT_EQ(Restart()->CurrentMusicFolderPath(), GetDefaultMusicFolderPath());

    auto registry = OpenStore();
    EXPECT_EQ(registry->GetDataType(QStringLiteral("Volume")), TRegDataType::rdBinary);
    EXPECT_EQ(registry->GetDataType(QStringLiteral("MuteFlag")), TRegDataType::rdInteger);
    EXPECT_EQ(registry->ReadInteger(QStringLiteral("MuteFlag")), 1);
    EXPECT_EQ(registry->GetDataType(QStringLiteral("Lang")), TRegDataType::rdString);
}

TEST_F(QelmSettingsTest, VolumeIsClampedWhenWrittenAndWhenRead)
{
    Settings()->SetVolume(101);
    EXPECT_EQ(Settings()->Volume(), 100.0);
    auto registry = OpenStore();
    EXPECT_EQ(registry->ReadBinaryData(QStringLiteral("Volume")), TSettingValueStream(100.0).Bytes());

    // Out-of-range values stored by someone else.
    const struct
    {
        double Stored;
        double Read;
    } cases[] = {{250, 100}, {-3, 0}, {qQNaN(), 0}, {0, 0}, {42.25, 42.25}};
    for (const auto &c : cases) {
        registry->WriteBinaryData(QStringLiteral("Volume"), TSettingValueStream(c.Stored).Bytes());
        EXPECT_EQ(Restart()->Volume(), c.Read) << c.Stored;
    }
}

TEST_F(QelmSettingsTest, WronglyTypedStoredValuesRaiseAndStayUnread)
{
    auto registry = OpenStore();
    registry->WriteString(QStringLiteral("Volume"), QStringLiteral("80"));
    registry->WriteString(QStringLiteral("MuteFlag"), QStringLiteral("1"));
    registry->WriteInteger(QStringLiteral("Lang"), 7);
    registry->WriteBinaryData(QStringLiteral("CustomMusicFolderFlag"), QByteArray(4, '\0'));
    TQelmSettings *settings = Settings();
    EXPECT_THROW(settings->Volume(), ERegistryException);
    EXPECT_THROW(settings->MuteFlag(), ERegistryException);
    EXPECT_THROW(settings->Lang(), ERegistryException);
    EXPECT_THROW(settings->CustomMusicFolderFlag(), ERegistryException);
    // Nothing was cached: a repaired value is read by the same object.
    registry->WriteBinaryData(QStringLiteral("Volume"), TSettingValueStream(80.0).Bytes());
    EXPECT_EQ(settings->Volume(), 80.0);
    // A binary value of another length is no double either.
    registry->WriteBinaryData(QStringLiteral("Volume"), QByteArray(9, '\0'));
    EXPECT_THROW(Restart()->Volume(), ERegistryException);
}

TEST_F(QelmSettingsTest, ReadsAreServedFromTheCacheUntilRestart)
{
    auto registry = OpenStore();
    registry->WriteBinaryData(QStringLiteral("Volume"), TSettingValueStream(30.0).Bytes());
    registry->WriteString(QStringLiteral("Lang"), QStringLiteral("ru"));
    EXPECT_EQ(Settings()->Volume(), 30.0);
    EXPECT_EQ(Settings()->Lang(), QStringLiteral("ru"));
    ASSERT_TRUE(registry->DeleteValue(QStringLiteral("Volume")));
    registry->WriteString(QStringLiteral("Lang"), QStringLiteral("en"));
    EXPECT_EQ(Settings()->Volume(), 30.0);
    EXPECT_EQ(Settings()->Lang(), QStringLiteral("ru"));
    EXPECT_EQ(Restart()->Volume(), 50.0);
    EXPECT_EQ(Settings()->Lang(), QStringLiteral("en"));
}
