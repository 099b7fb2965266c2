// The two localization resources as the program carries them.
#include "localization/TQelmLocalizationUnit.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <gtest/gtest.h>

namespace {

QByteArray ResourceBytes(const QString &Name)
{
    TQelmLocalizationManager manager; // makes sure the resources are registered
    QFile file(QStringLiteral(":/LOCALIZATION/") + Name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The lines of the data part with the text cut off: keys and comment lines.
QStringList DataSkeleton(const QString &Text)
{
    QStringList skeleton;
    const QStringList lines = Text.split(QStringLiteral("\r\n"));
    for (qsizetype i = lines.indexOf(QStringLiteral("[Data]")) + 1; i > 0 && i < lines.size(); ++i)
        if (!lines[i].isEmpty())
            skeleton << (lines[i].startsWith(u'#') ? lines[i] : lines[i].section(u'=', 0, 0));
    return skeleton;
}

} // namespace

TEST(LocalizationFiles, BothFilesHoldTheSameKeysAndCommentsInOrder)
{
    const QByteArray english = ResourceBytes(QStringLiteral("EN"));
    const QByteArray russian = ResourceBytes(QStringLiteral("RU"));
    ASSERT_FALSE(english.isEmpty());
    ASSERT_FALSE(russian.isEmpty());
    for (const QByteArray *bytes : {&english, &russian}) {
        // CR LF line ends only.
        EXPECT_EQ(bytes->count("\r\n"), bytes->count('\n'));
        EXPECT_EQ(bytes->count("\r\n"), bytes->count('\r'));
    }
    const QString englishText = QString::fromLatin1(english);
    EXPECT_TRUE(std::all_of(english.begin(), english.end(), [](char c) { return uchar(c) < 0x80; }));
    const QString russianText = QStringDecoder("windows-1251")(russian);
    EXPECT_TRUE(englishText.startsWith(
        QStringLiteral("Localization for Qelm\r\n[Main]\r\n#LCID in decimal\r\nLCID=1033\r\nDisplayedName=English\r\n"
                       "ISOCode=en\r\n\r\n[Data]\r\nProgramTitle=Marvane Player\r\n# error messages\r\n")));
    EXPECT_TRUE(russianText.startsWith(
        QStringLiteral("Localization for Qelm\r\n[Main]\r\n#LCID in decimal\r\nLCID=1049\r\nDisplayedName=Русский\r\n"
                       "ISOCode=ru\r\n\r\n[Data]\r\n")));

    const QStringList skeleton = DataSkeleton(englishText);
    EXPECT_EQ(skeleton, DataSkeleton(russianText));
    const auto keys
        = std::count_if(skeleton.begin(), skeleton.end(), [](const QString &s) { return !s.startsWith(u'#'); });
    EXPECT_EQ(keys, 148);
    EXPECT_EQ(skeleton.count(QStringLiteral("##auth/signup panel controls")), 1);
    EXPECT_EQ(skeleton.last(), QStringLiteral("MDV_Loading_Text"));
}

TEST(LocalizationFiles, ResourcesLoadInNameOrderWithTheirTexts)
{
    TQelmLocalizationManager manager;
    ASSERT_EQ(manager.GetCount(), 2);
    const TQelmLocalization *english = manager.getLocalization(0);
    const TQelmLocalization *russian = manager.getLocalization(1);
    EXPECT_EQ(english->LocaleID(), 1033u);
    EXPECT_EQ(english->DisplayedName(), QStringLiteral("English"));
    EXPECT_EQ(english->ISOCode(), QStringLiteral("en"));
    EXPECT_EQ(russian->LocaleID(), 1049u);
    EXPECT_EQ(russian->DisplayedName(), QStringLiteral("Русский"));
    EXPECT_EQ(russian->ISOCode(), QStringLiteral("ru"));

    const struct
    {
        const char *Key;
        QString English;
        QString Russian;
    } texts[] = {
        {"ProgramTitle", QStringLiteral("Marvane Player"), QStringLiteral("Marvane Player")},
        {"EM_PasswordTooShort", QStringLiteral("Password can't be shorter than %d characters"),
            QStringLiteral("Пароль не может быть короче %d символов")},
        {"EM_LastFMEmptyArtistSearchResult", QStringLiteral("Artists not found"),
            QStringLiteral("По запросу \"%s\" ничего не найдено")},
        {"EM_NoLogicalDrive",
            QStringLiteral("Error downloading track, drive %s does not exist. Please choose music download folder."),
            QStringLiteral("Ошибка при попытке сохранить трек в папку на несуществующем диске %s. Пожалуйста, "
                           "настройке папку для сохранения музыки в настройках.")},
        {"MMI_Quit", QStringLiteral("Quit %s"), QStringLiteral("Завершить %s")},
        {"SettingsForm_Title", QStringLiteral("%s options"), QStringLiteral("Настройки %s")},
        {"MC_LangOptionsListBoxItem", QStringLiteral("Main options"), QStringLiteral("Главные настройки")},
        {"CPC_RepeatCodeDescriptionText_Text",
            QStringLiteral("If you did not recieve confirmation code you can request it again"),
            QStringLiteral("Если вы не получили код подтверждения, его можно запросить ещё раз")},
        {"UC_AutoUpdateIntervalMonthlyListBoxItem_Caption", QStringLiteral("One a month"),
            QStringLiteral("Раз в месяц")},
        {"MDV_ArtistTopTracksExpander_Caption", QStringLiteral("TOP 5 Tracks"), QStringLiteral("TOP 5 Композиций")},
        {"SPC_SexFemaleRadioButton_Caption", QStringLiteral("F"), QStringLiteral("Ж")},
    };
    for (const auto &t : texts) {
        EXPECT_EQ(english->getValue(QLatin1String(t.Key)), t.English) << t.Key;
        EXPECT_EQ(russian->getValue(QLatin1String(t.Key)), t.Russian) << t.Key;
    }
}

TEST(LocalizationFiles, BuiltInTextsAreTheRussianFileButForThreeKeys)
{
    TQelmLocalizationManager manager;
    manager.SetActiveLocalizationIndex(-1);
    const TQelmLocalization *russian = manager.getLocalization(1);
    const QStringList keys = DataSkeleton(QStringDecoder("windows-1251")(ResourceBytes(QStringLiteral("RU"))))
                                 .filter(QRegularExpression(QStringLiteral("^[^#]")));
    ASSERT_EQ(keys.size(), 148);
    QStringList differing;
    for (const QString &key : keys) {
        ASSERT_TRUE(manager.ContainsKey(key)) << key.toStdString();
        if (manager.getValue(key) != russian->getValue(key))
            differing << key;
    }
    EXPECT_EQ(differing,
        (QStringList {QStringLiteral("ProgramTitle"), QStringLiteral("EM_CorruptedSavedTracksDB"),
            QStringLiteral("MC_LangOptionsListBoxItem")}));
    EXPECT_EQ(manager.getValue(QStringLiteral("ProgramTitle")), QStringLiteral("Кирвасол"));
    EXPECT_EQ(manager.getValue(QStringLiteral("EM_CorruptedSavedTracksDB")),
        QStringLiteral("Файл базы сохраненных станций повреждён"));
    EXPECT_EQ(manager.getValue(QStringLiteral("MC_LangOptionsListBoxItem")), QStringLiteral("Язык интерфейса"));
}
