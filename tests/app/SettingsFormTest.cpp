// The settings window beside the main window, as the program makes them,
// offscreen, with the real settings store.
#include "app/globals/TGlobalObjectsUnit.h"
#include "app/helpers/TQelmPathManagerUnit.h"
#include "app/shell/TMainFormUnit.h"
#include "app/shell/TSettingsFormUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"
#include "localization/TQelmLocalizationUnit.h"
#include "platform/TRegistryUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "support/TestEnvironment.h"
#include "ui/StyleResourceUnit.h"
#include "vkweb/VKWebTestSupport.h"

#include "ui_TMainForm.h"
#include "ui_TSettingsForm.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

using TestEnvironment::WaitFor;

namespace {

// The current user's settings store as it is on disk.
QByteArray StoredSettings()
{
    QFile file(RegistryFilePath(TRegistryRoot::CurrentUser));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class SettingsFormTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { InstallStyle(); }

    void SetUp() override
    {
        QDir().mkpath(GetProgramDataFolderPath());
        QFile::copy(QStringLiteral(MARVANE_EMPTY_DB), GetSavedTracksDBPath());
        QFile(GetSavedTracksDBPath()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        Open();
    }

    // The program's start: the texts chosen from the stored language, then both windows.
    void Open()
    {
        InitializeLocalizationManager();
        Globals = std::make_unique<TGlobalObjects>();
        Main = THandleCreateExceptionForm::CreateForm<TMainForm>();
        Settings = THandleCreateExceptionForm::CreateForm<TSettingsForm>();
        Main->SettingsForm = Settings.get();
        Main->show();
    }

    void Close()
    {
        Settings.reset();
        Main->close();
        Globals.reset();
        Main.reset();
        FinalizeLocalizationManager();
        // The settings keep what they read: a restart reads the store anew.
        THierarchicalSingleton::DoDestroy();
    }

    void TearDown() override
    {
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->objectName().startsWith(u"Update"))
                delete window;
        if (Main)
            Close();
    }

    void ShowSettings()
    {
        FindStylePart<QAbstractButton>(Main->Layout().WindowBorder, QStringLiteral("settings"), QString())->click();
        ASSERT_TRUE(Settings->isVisible());
    }

    const Ui::TSettingsFormLayout &UI() const { return Settings->Layout(); }

    QRadioButton *Radio(const QString &ISOCode) const
    {
        for (int i = 0; i < LocalizationManager->GetCount(); ++i)
            if (LocalizationManager->getLocalization(i)->ISOCode() == ISOCode)
                return Settings->LocalizationRadioButtons().value(i);
        return nullptr;
    }

    // The user picks Folder in the folder dialog.
    void PickFolder(const QString &Folder)
    {
        QTest::mouseClick(UI().BrowseMusicFolderPathButton, Qt::LeftButton);
        QFileDialog *dialog = Settings->MusicFolderDialog();
        ASSERT_TRUE(dialog && dialog->isVisible());
        dialog->selectFile(Folder);
        QMetaObject::invokeMethod(dialog, &QDialog::accept);
    }

    TTempUserFolders Folders;
    std::unique_ptr<TGlobalObjects> Globals;
    std::unique_ptr<TMainForm> Main;
    std::unique_ptr<TSettingsForm> Settings;
};

} // namespace

TEST_F(SettingsFormTest, OpensAtItsSizeWithOneChoicePerLanguageAndStoresNothing)
{
    const QByteArray stored = StoredSettings();
    ShowSettings();
    EXPECT_EQ(Settings->size(), QSize(TSettingsForm::ClientWidth, TSettingsForm::ClientHeight));
    ASSERT_EQ(Settings->LocalizationRadioButtons().size(), 2);
    const QRadioButton *first = Settings->LocalizationRadioButtons()[0];
    const QRadioButton *second = Settings->LocalizationRadioButtons()[1];
    EXPECT_EQ(first->pos(), QPoint(10, 7));
    EXPECT_EQ(second->pos(), QPoint(10, first->height() + 4 + 7));
    EXPECT_EQ(first->text(), QStringLiteral("English"));
    EXPECT_EQ(second->text(), QStringLiteral("Русский"));
    EXPECT_TRUE(Radio(LocalizationManager->GetActiveLocalizationISOCode())->isChecked());
    EXPECT_FALSE(FindStylePart<QWidget>(UI().SettingsWindowBorder, QStringLiteral("settings"), QString())->isVisible());

    QTest::mouseClick(UI().ApplyButton, Qt::LeftButton);
    EXPECT_FALSE(Settings->isVisible());
    ShowSettings();
    QTest::mouseClick(UI().CancelButton, Qt::LeftButton);
    EXPECT_FALSE(Settings->isVisible());
    EXPECT_EQ(StoredSettings(), stored) << "opening and closing the window wrote a value";
}

TEST_F(SettingsFormTest, ALanguageChoiceRewordsBothWindowsAtOnceAndSurvivesARestart)
{
    ShowSettings();
    QTest::mouseClick(Radio(QStringLiteral("ru")), Qt::LeftButton);
    EXPECT_EQ(GetInstance<TQelmSettings>()->Lang(), QStringLiteral("ru"));
    EXPECT_EQ(Settings->windowTitle(), QStringLiteral("Настройки Marvane Player"));
    EXPECT_EQ(UI().CancelButton->text(), QStringLiteral("Отмена"));
    EXPECT_EQ(UI().UpdateButton->text(), QStringLiteral("Проверить обновления"));
    EXPECT_EQ(Main->Layout().SearchTabButton->text(), QStringLiteral("Поиск"));
    // The words fit their buttons in both languages.
    for (const char *lang : {"ru", "en"}) {
        QTest::mouseClick(Radio(QLatin1String(lang)), Qt::LeftButton);
        for (QAbstractButton *button : {static_cast<QAbstractButton *>(UI().UpdateButton),
                 static_cast<QAbstractButton *>(UI().CancelButton), static_cast<QAbstractButton *>(UI().ApplyButton)})
            EXPECT_GE(button->width(), button->sizeHint().width()) << lang << ' ' << button->text().toStdString();
    }
    QTest::mouseClick(Radio(QStringLiteral("ru")), Qt::LeftButton);
    QTest::mouseClick(UI().ApplyButton, Qt::LeftButton);

    Close();
    Open();
    EXPECT_EQ(LocalizationManager->GetActiveLocalizationISOCode(), QStringLiteral("ru"));
    EXPECT_EQ(Main->Layout().SearchTabButton->text(), QStringLiteral("Поиск"));
    ShowSettings();
    EXPECT_TRUE(Radio(QStringLiteral("ru"))->isChecked());
}

TEST_F(SettingsFormTest, CancelEscAndClosingPutBackTheLanguageAndFolderTheWindowOpenedWith)
{
    const QString folder = Folders.Root() + QStringLiteral("/Elsewhere");
    QDir().mkpath(folder);
    auto *settings = GetInstance<TQelmSettings>();
    const QString defaultFolder = settings->CustomMusicFolderPath();
    const struct
    {
        const char *Way;
        std::function<void(TSettingsForm &)> Close;
        bool Keeps;
    } ways[] = {
        {"Cancel", [](TSettingsForm &Form) { QTest::mouseClick(Form.Layout().CancelButton, Qt::LeftButton); }, false},
        {"Esc", [](TSettingsForm &Form) { QTest::keyClick(&Form, Qt::Key_Escape); }, false},
        {"the window's close", [](TSettingsForm &Form) { Form.close(); }, false},
        {"OK", [](TSettingsForm &Form) { QTest::mouseClick(Form.Layout().ApplyButton, Qt::LeftButton); }, true},
    };
    for (const auto &way : ways) {
        ShowSettings();
        QApplication::setActiveWindow(Settings.get());
        QTest::mouseClick(Radio(QStringLiteral("ru")), Qt::LeftButton);
        QTest::keyClick(UI().MusicFolderPathExpander, Qt::Key_Space);
        PickFolder(folder);
        QTest::mouseClick(UI().AutoUpdateCheckBox, Qt::LeftButton);
        // The preview: the language shows at once in both windows.
        EXPECT_EQ(Main->Layout().SearchTabButton->text(), QStringLiteral("Поиск")) << way.Way;
        ASSERT_TRUE(settings->CustomMusicFolderFlag()) << way.Way;

        way.Close(*Settings);
        EXPECT_FALSE(Settings->isVisible()) << way.Way;
        EXPECT_EQ(LocalizationManager->GetActiveLocalizationISOCode(), way.Keeps ? u"ru" : u"en") << way.Way;
        EXPECT_EQ(
            Main->Layout().SearchTabButton->text(), way.Keeps ? QStringLiteral("Поиск") : QStringLiteral("Search"))
            << way.Way;
        EXPECT_EQ(settings->Lang(), way.Keeps ? u"ru" : u"en") << way.Way;
        EXPECT_EQ(settings->CustomMusicFolderFlag(), way.Keeps) << way.Way;
        EXPECT_EQ(settings->CustomMusicFolderPath(), way.Keeps ? folder : defaultFolder) << way.Way;
        EXPECT_EQ(settings->AutoUpdateCheck(), !way.Keeps) << way.Way;
        // Shown again, the window shows what is stored.
        ShowSettings();
        EXPECT_EQ(UI().MusicFolderPathEdit->text(), settings->CustomMusicFolderPath()) << way.Way;
        EXPECT_EQ(UI().MusicFolderPathExpander->isChecked(), settings->CustomMusicFolderFlag()) << way.Way;
        EXPECT_TRUE(Radio(LocalizationManager->GetActiveLocalizationISOCode())->isChecked()) << way.Way;
        QTest::mouseClick(UI().CancelButton, Qt::LeftButton);
    }
}

TEST_F(SettingsFormTest, ThePickedFolderIsStoredAndUncheckingTheBoxKeepsIt)
{
    const QString folder = Folders.Root() + QStringLiteral("/Music/Picked");
    QDir().mkpath(folder);
    auto *settings = GetInstance<TQelmSettings>();
    ShowSettings();
    QTest::keyClick(UI().MusicFolderPathExpander, Qt::Key_Space);
    EXPECT_TRUE(settings->CustomMusicFolderFlag());

    // A cancelled picker changes nothing.
    QTest::mouseClick(UI().BrowseMusicFolderPathButton, Qt::LeftButton);
    ASSERT_TRUE(Settings->MusicFolderDialog());
    Settings->MusicFolderDialog()->reject();
    EXPECT_EQ(settings->CustomMusicFolderPath(), GetDefaultMusicFolderPath());

    PickFolder(folder);
    EXPECT_EQ(QDir(settings->CustomMusicFolderPath()), QDir(folder));
    EXPECT_EQ(UI().MusicFolderPathEdit->text(), settings->CustomMusicFolderPath());
    EXPECT_EQ(QDir(settings->CurrentMusicFolderPath()), QDir(folder));

    QTest::keyClick(UI().MusicFolderPathExpander, Qt::Key_Space);
    EXPECT_FALSE(settings->CustomMusicFolderFlag());
    EXPECT_EQ(QDir(settings->CustomMusicFolderPath()), QDir(folder));
    EXPECT_EQ(settings->CurrentMusicFolderPath(), GetDefaultMusicFolderPath());
    QTest::keyClick(UI().MusicFolderPathExpander, Qt::Key_Space);
    EXPECT_EQ(QDir(settings->CurrentMusicFolderPath()), QDir(folder));
    QTest::mouseClick(UI().ApplyButton, Qt::LeftButton);
}

TEST_F(SettingsFormTest, CheckForUpdatesAsksTheHostOnceAndSaysWhatItFound)
{
    TStandin standin({QStringLiteral("--update"), QStringLiteral("equal")});
    ASSERT_TRUE(standin.IsReady());
    ShowSettings();
    QTest::mouseClick(UI().UpdateButton, Qt::LeftButton);
    EXPECT_FALSE(UI().UpdateButton->isEnabled()) << "one check at a time";
    QMessageBox *message = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->objectName() == u"UpdateNoNewVersionsMessage" && window->isVisible())
                message = qobject_cast<QMessageBox *>(window);
        return message != nullptr;
    }));
    EXPECT_EQ(message->text(), QStringLiteral("No new versions of the program found!"));
    EXPECT_TRUE(UI().UpdateButton->isEnabled());
    EXPECT_EQ(standin.LogLines().filter(QStringLiteral("/updates/30.txt")).size(), 1);
}
