#include "localization/TQelmLocalizationUnit.h"
#include "platform/TRegistryUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "support/TestEnvironment.h"

#include <QBuffer>
#include <QFile>
#include <QLabel>
#include <QStringEncoder>

#include <gtest/gtest.h>

namespace {

// Localization files served from memory, through the program's parser.
class TMemoryLocalizationLoader : public TCustomLocalizationLoader
{
public:
    explicit TMemoryLocalizationLoader(QList<QByteArray> Files) :
          TCustomLocalizationLoader(
              [](QIODevice &Stream, const QByteArray &Encoding) {
                  return std::make_unique<TQelmFileParser>(Stream, Encoding);
              },
              QByteArrayLiteral("windows-1251")),
          FFiles(std::move(Files))
    {
    }
    int GetCount() override { return int(FFiles.size()); }

protected:
    std::unique_ptr<QIODevice> CreateDataStream(int Index) override
    {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(FFiles[Index]);
        buffer->open(QIODevice::ReadOnly);
        return buffer;
    }

private:
    QList<QByteArray> FFiles;
};

QByteArray ResourceBytes(const char *Name)
{
    TQelmLocalizationManager manager; // makes sure the resources are registered
    QFile file(QStringLiteral(":/LOCALIZATION/") + QLatin1String(Name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

QByteArray Replaced(QByteArray Text, const char *Before, const char *After)
{
    EXPECT_TRUE(Text.contains(Before)) << Before;
    return Text.replace(Before, After);
}

} // namespace

TEST(LocalizationManager, MalformedOrIncompleteFilesAreSkipped)
{
    const QByteArray english = ResourceBytes("EN");
    const QByteArray russian = ResourceBytes("RU");
    const struct
    {
        const char *Case;
        QByteArray File;
    } broken[] = {
        {"no LCID", Replaced(english, "LCID=1033\r\n", "")},
        {"LCID not a number", Replaced(english, "LCID=1033", "LCID=English")},
        {"no displayed name", Replaced(english, "DisplayedName=English\r\n", "")},
        {"no ISO code", Replaced(english, "ISOCode=en\r\n", "")},
        {"no data header", Replaced(english, "[Data]", "[Dat]")},
        {"line beginning with =", Replaced(english, "MMI_Quit=", "=")},
        {"line without =", Replaced(english, "# main form strings", "main form strings")},
        {"key given twice", Replaced(english, "MMI_Quit=", "MMI_Options_Caption=")},
        {"key missing", Replaced(english, "NTH_GoToArtist=Back to artist page\r\n", "")},
        {"empty file", QByteArray()},
    };
    for (const auto &b : broken) {
        TMemoryLocalizationLoader loader({b.File, russian});
        TQelmLocalizationManager manager(loader);
        ASSERT_EQ(manager.GetCount(), 1) << b.Case;
        EXPECT_EQ(manager.getLocalization(0)->ISOCode(), QStringLiteral("ru")) << b.Case;
    }

    // An extra key, names and the header in other letter cases, an empty text
    // and a text holding "=" are all fine.
    QByteArray relaxed = Replaced(english, "[Data]", "[data]");
    relaxed = Replaced(relaxed, "LCID=", "lcid=");
    relaxed = Replaced(relaxed, "MMI_Quit=Quit %s", "MMI_Quit=\r\nExtra_Key=a=b");
    TMemoryLocalizationLoader loader({relaxed});
    TQelmLocalizationManager manager(loader);
    ASSERT_EQ(manager.GetCount(), 1);
    EXPECT_EQ(manager.getLocalization(0)->LocaleID(), 1033u);
    EXPECT_EQ(manager.getLocalization(0)->getValue(QStringLiteral("MMI_Quit")), QString());
    EXPECT_EQ(manager.getLocalization(0)->getValue(QStringLiteral("Extra_Key")), QStringLiteral("a=b"));
}

TEST(LocalizationManager, WithNoUsableFileTheBuiltInTextsServe)
{
    TMemoryLocalizationLoader loader({QByteArray("Localization for Qelm\r\n"), QByteArray("[Data]\r\n=x\r\n")});
    TQelmLocalizationManager manager(loader);
    EXPECT_EQ(manager.GetCount(), 0);
    EXPECT_EQ(manager.ActiveLocalizationIndex(), -2);
    manager.SelectStartupLocalization(QStringLiteral("en"));
    EXPECT_EQ(manager.ActiveLocalizationIndex(), -1);
    EXPECT_EQ(manager.GetActiveLocalizationISOCode(), QStringLiteral("ru"));
    EXPECT_EQ(manager.GetActiveLCID(), 0u);
    EXPECT_EQ(manager.getValue(QStringLiteral("ProgramTitle")), QStringLiteral("Кирвасол"));
    EXPECT_EQ(manager.getValue(QStringLiteral("MTCB_SearchTabButton_Caption")), QStringLiteral("Поиск"));
    EXPECT_THROW(manager.getValue(QStringLiteral("NoSuchKey")), Exception);
    // An LCID nobody has falls back to the built-in texts as well.
    TQelmLocalizationManager loaded;
    loaded.SetActiveLCID(1049);
    EXPECT_EQ(loaded.ActiveLocalizationIndex(), 1);
    loaded.SetActiveLCID(1031);
    EXPECT_EQ(loaded.ActiveLocalizationIndex(), -1);
}

// Exact, case-sensitive ISO codes; anything else gets English by its LCID.
TEST(StartupLanguage, LangSettingChoosesTheLanguage)
{
    const struct
    {
        const char *Lang;
        quint32 LCID;
    } cases[] = {{"ru", 1049}, {"en", 1033}, {"de", 1033}, {"EN", 1033}, {"RU", 1033}, {"", 1033}};
    for (const auto &c : cases) {
        TTempUserFolders folders;
        {
            TRegistry registry(TRegistryRoot::CurrentUser);
            ASSERT_TRUE(registry.OpenKey(QStringLiteral("Software\\MarvanePlayer"), true));
            registry.WriteString(QStringLiteral("Lang"), QLatin1String(c.Lang));
        }
        InitializeLocalizationManager();
        ASSERT_NE(LocalizationManager, nullptr);
        EXPECT_EQ(LocalizationManager->GetActiveLCID(), c.LCID) << c.Lang;
        EXPECT_EQ(LocalizationManager->GetActiveLocalizationISOCode(),
            c.LCID == 1049 ? QStringLiteral("ru") : QStringLiteral("en"));
        FinalizeLocalizationManager();
        THierarchicalSingleton::DoDestroy();
    }
}

TEST(StartupLanguage, LangOfAnotherDataKindFallsBackToEnglish)
{
    TTempUserFolders folders;
    {
        TRegistry registry(TRegistryRoot::CurrentUser);
        ASSERT_TRUE(registry.OpenKey(QStringLiteral("Software\\MarvanePlayer"), true));
        registry.WriteInteger(QStringLiteral("Lang"), 1049);
    }
    InitializeLocalizationManager();
    EXPECT_EQ(LocalizationManager->GetActiveLCID(), 1033u);
    FinalizeLocalizationManager();
    THierarchicalSingleton::DoDestroy();
}

namespace {

// A control that shows a localized caption and re-reads it on the message.
class TCaptionLabel : public QLabel
{
public:
    TCaptionLabel(const TQelmLocalizationManager &Manager, QWidget *Parent, QStringList &Log) :
          QLabel(Parent), FManager(Manager), FLog(Log)
    {
    }
    int Received = 0;

protected:
    bool event(QEvent *Event) override
    {
        if (Event->type() == WM_LOCALIZATIONCHANGED) {
            ++Received;
            FLog << objectName();
            setText(FManager.getValue(QStringLiteral("MTCB_SearchTabButton_Caption")));
            return true;
        }
        return QLabel::event(Event);
    }

private:
    const TQelmLocalizationManager &FManager;
    QStringList &FLog;
};

} // namespace

TEST(LocalizationChangedMessage, ReachesEveryWindowAndItsChildrenDepthFirst)
{
    TQelmLocalizationManager manager;
    ASSERT_EQ(manager.GetCount(), 2);
    QStringList log;
    QWidget window;
    auto *caption = new TCaptionLabel(manager, &window, log);
    caption->setObjectName(QStringLiteral("caption"));
    auto *panel = new QWidget(&window);
    auto *inner = new TCaptionLabel(manager, panel, log);
    inner->setObjectName(QStringLiteral("inner"));
    auto *last = new TCaptionLabel(manager, &window, log);
    last->setObjectName(QStringLiteral("last"));
    QWidget otherWindow;
    auto *other = new TCaptionLabel(manager, &otherWindow, log);
    other->setObjectName(QStringLiteral("other"));

    manager.SelectStartupLocalization(QStringLiteral("en"));
    EXPECT_EQ(caption->text(), QStringLiteral("Search"));
    EXPECT_EQ(inner->text(), QStringLiteral("Search"));
    EXPECT_EQ(other->text(), QStringLiteral("Search"));
    EXPECT_EQ(log,
        (QStringList {
            QStringLiteral("caption"), QStringLiteral("inner"), QStringLiteral("last"), QStringLiteral("other")}));

    manager.SetActiveLocalizationIndex(1);
    EXPECT_EQ(caption->text(), QStringLiteral("Поиск"));
    EXPECT_EQ(other->text(), QStringLiteral("Поиск"));
    EXPECT_EQ(caption->Received, 2);

    // The same language again sends nothing.
    manager.SetActiveLocalizationIndex(1);
    manager.SetActiveLCID(1049);
    EXPECT_EQ(caption->Received, 2);
    EXPECT_EQ(other->Received, 2);

    manager.SetActiveLCID(1033);
    EXPECT_EQ(caption->text(), QStringLiteral("Search"));
    EXPECT_EQ(inner->Received, 3);
}

// Windows in the order they were made, or became windows; never the order of
// their addresses or of a hash.
TEST(LocalizationChangedMessage, ReachesTheWindowsInTheOrderTheyWereCreated)
{
    TQelmLocalizationManager manager;
    QStringList log;
    std::vector<std::unique_ptr<QWidget>> windows;
    QStringList expected;
    for (int i = 0; i < 24; ++i) {
        auto window = std::make_unique<TCaptionLabel>(manager, nullptr, log);
        window->setObjectName(QStringLiteral("window%1").arg(i));
        if (i % 3 == 0)
            window->show();
        expected << window->objectName();
        windows.push_back(std::move(window));
    }
    // Gone: not visited.
    windows.erase(windows.begin() + 5);
    expected.removeAt(5);
    // Made a child: reached through its new parent, right after it.
    windows[7]->setParent(windows[2].get());
    windows[7].release();
    expected.removeAt(7);
    expected.insert(3, QStringLiteral("window8"));
    // A child that becomes a window comes last.
    auto *panel = new TCaptionLabel(manager, windows[0].get(), log);
    panel->setObjectName(QStringLiteral("panel"));
    expected.insert(1, QStringLiteral("panel"));
    auto *detached = new TCaptionLabel(manager, windows[1].get(), log);
    detached->setObjectName(QStringLiteral("detached"));
    detached->setParent(nullptr);
    windows.emplace_back(detached);
    expected << QStringLiteral("detached");

    const std::string order = expected.join(u' ').toStdString();
    manager.SetActiveLocalizationIndex(0);
    EXPECT_EQ(log.join(u' ').toStdString(), order);
    log.clear();
    manager.SetActiveLocalizationIndex(1);
    EXPECT_EQ(log.join(u' ').toStdString(), order) << "the same order every time";
}
