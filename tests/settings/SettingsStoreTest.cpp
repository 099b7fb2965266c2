// The store and its two backends, through a settings class of the test's own.
#include "platform/TIniFileUnit.h"
#include "platform/TRegistryUnit.h"
#include "settings/ISettingsSourceUnit.h"
#include "settings/TIniFileSettingsSourceUnit.h"
#include "settings/TSettingsUnit.h"
#include "settings/TTokenSettingsUnit.h"
#include "settings/TWinRegistrySettingsSourceUnit.h"
#include "support/TestEnvironment.h"

#include <QFile>

#include <climits>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

namespace {

const QString TestKey = QStringLiteral("Software\\MarvaneTest");

class TProbeSettings : public TSettings
{
public:
    explicit TProbeSettings(std::shared_ptr<ISettingsSource> Source) : TSettings(std::move(Source))
    {
        DeclareValue(QStringLiteral("Text"), TVariant::FromString(QStringLiteral("dflt")));
        DeclareValue(
            QStringLiteral("Count"), TVariant::FromInteger(7), TVariant::FromInteger(-10), TVariant::FromInteger(10));
        DeclareValue(QStringLiteral("Flag"), TVariant::FromBoolean(true));
        DeclareValue(QStringLiteral("When"), TVariant::FromDateTime(2.25));
        DeclareValue(
            QStringLiteral("Level"), TVariant::FromDouble(150), TVariant::FromDouble(0), TVariant::FromDouble(100));
        DeclareValue(QStringLiteral("Small"), TVariant::FromByte(1));
    }
};

std::shared_ptr<ISettingsSource> RegistrySource()
{
    return std::make_shared<TWinRegistrySettingsSource>(TRegistryRoot::CurrentUser, TestKey);
}

QString Message(const std::function<void()> &Action)
{
    try {
        Action();
    } catch (const Exception &e) {
        return e.Message();
    }
    return QStringLiteral("(nothing raised)");
}

QByteArray FileText(const QString &Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

} // namespace

TEST(SettingsVariant, KindsAndConversions)
{
    EXPECT_EQ(int(TVariant().Type()), 0);
    EXPECT_EQ(int(TVariant::Null().Type()), 1);
    EXPECT_EQ(int(TVariant::FromString(QString()).Type()), 258);
    EXPECT_TRUE(TVariant::FromByte(3).IsNumeric());
    EXPECT_TRUE(TVariant::FromBoolean(false).IsNumeric());
    EXPECT_FALSE(TVariant::FromDateTime(1).IsNumeric());
    EXPECT_FALSE(TVariant::FromString(QStringLiteral("5")).IsNumeric());

    EXPECT_EQ(TVariant::FromBoolean(true).ToString(), QStringLiteral("True"));
    EXPECT_EQ(TVariant::FromBoolean(false).ToString(), QStringLiteral("False"));
    EXPECT_EQ(TVariant::FromInteger(-42).ToString(), QStringLiteral("-42"));
    EXPECT_EQ(TVariant::FromDouble(50).ToString(), QStringLiteral("50"));
    EXPECT_EQ(TVariant().ToString(), QString());
    EXPECT_TRUE(TVariant::FromString(QStringLiteral("true")).ToBoolean());
    EXPECT_FALSE(TVariant::FromString(QStringLiteral("0")).ToBoolean());
    EXPECT_EQ(TVariant::FromString(QStringLiteral("86400")).ToInteger(), 86400);
    EXPECT_EQ(TVariant::FromDouble(2.5).ToInteger(), 2);
    EXPECT_EQ(TVariant::FromString(QStringLiteral("12.5")).ToDouble(), 12.5);
    EXPECT_EQ(Message([] { TVariant::FromString(QStringLiteral("loud")).ToDouble(); }),
        QStringLiteral("Could not convert variant of type (UnicodeString) into type (Double)"));
    EXPECT_THROW(TVariant::Null().ToBoolean(), EVariantError);
    EXPECT_THROW(TVariant::FromDouble(3e10).ToInteger(), EVariantError);
}

TEST(SettingsStore, UndeclaredKeysRaiseUnlessInTestMode)
{
    TTempUserFolders folders;
    TProbeSettings settings(RegistrySource());
    EXPECT_EQ(Message([&] { settings.GetValue(QStringLiteral("text")); }),
        QStringLiteral("getting value of nonexisting param"));
    EXPECT_EQ(Message([&] { settings.SetValue(QStringLiteral("Other"), TVariant::FromInteger(1)); }),
        QStringLiteral("setting value of nonexisting param"));
    TRegistry registry(TRegistryRoot::CurrentUser);
    ASSERT_TRUE(registry.OpenKeyReadOnly(TestKey));
    EXPECT_TRUE(registry.GetValueNames().isEmpty());

    settings.test = true;
    EXPECT_EQ(settings.GetValue(QStringLiteral("Other")), TVariant::FromString(QString()));
    settings.SetValue(QStringLiteral("Fresh"), TVariant::FromString(QStringLiteral("x")));
    EXPECT_EQ(registry.ReadString(QStringLiteral("Fresh")), QStringLiteral("x"));
}

TEST(SettingsStore, BoundsClampNumericValuesOnly)
{
    TTempUserFolders folders;
    TProbeSettings settings(RegistrySource());
    // The default is clamped like a stored value.
    EXPECT_EQ(settings.GetValue(QStringLiteral("Level")), TVariant::FromDouble(100));

    struct
    {
        TVariant Written;
        TVariant Kept;
    } const cases[] = {
        {TVariant::FromDouble(150), TVariant::FromDouble(100)},
        {TVariant::FromDouble(-5), TVariant::FromDouble(0)},
        {TVariant::FromDouble(100), TVariant::FromDouble(100)},
        {TVariant::FromDouble(0), TVariant::FromDouble(0)},
        {TVariant::FromDouble(qQNaN()), TVariant::FromDouble(0)},
        // The replacement takes the bound's kind.
        {TVariant::FromInteger(-3), TVariant::FromDouble(0)},
    };
    for (const auto &c : cases) {
        settings.SetValue(QStringLiteral("Level"), c.Written);
        EXPECT_EQ(settings.GetValue(QStringLiteral("Level")), c.Kept) << c.Written.ToString().toStdString();
    }
    TProbeSettings restarted(RegistrySource());
    EXPECT_EQ(restarted.GetValue(QStringLiteral("Level")), TVariant::FromDouble(0));

    settings.SetValue(QStringLiteral("Count"), TVariant::FromInteger(11));
    EXPECT_EQ(settings.GetValue(QStringLiteral("Count")), TVariant::FromInteger(10));
    settings.SetValue(QStringLiteral("Count"), TVariant::FromInteger(-10));
    EXPECT_EQ(settings.GetValue(QStringLiteral("Count")), TVariant::FromInteger(-10));
    // Text is not numeric and passes unclamped.
    settings.SetValue(QStringLiteral("Count"), TVariant::FromString(QStringLiteral("99")));
    EXPECT_EQ(settings.GetValue(QStringLiteral("Count")), TVariant::FromString(QStringLiteral("99")));
}

TEST(SettingsStore, RegistryBackendKindsAndErrors)
{
    TTempUserFolders folders;
    {
        TProbeSettings settings(RegistrySource());
        settings.SetValue(QStringLiteral("Text"), TVariant::FromString(QStringLiteral("Привет")));
        settings.SetValue(QStringLiteral("Count"), TVariant::FromInteger(-4));
        settings.SetValue(QStringLiteral("Flag"), TVariant::FromBoolean(false));
        settings.SetValue(QStringLiteral("When"), TVariant::FromDateTime(45000.75));
        EXPECT_EQ(Message([&] { settings.SetValue(QStringLiteral("Small"), TVariant::FromByte(2)); }),
            QStringLiteral("Unsupported variant type"));
        // Clear stops at the first key (Empty is not stored); ClearSource keeps everything.
        EXPECT_EQ(Message([&] { settings.Clear(); }), QStringLiteral("Unsupported variant type"));
        settings.ClearSource();
    }
    TRegistry registry(TRegistryRoot::CurrentUser);
    ASSERT_TRUE(registry.OpenKey(TestKey, false));
    EXPECT_EQ(registry.GetDataType(QStringLiteral("Count")), TRegDataType::rdInteger);
    EXPECT_EQ(registry.ReadInteger(QStringLiteral("Flag")), 0);
    EXPECT_EQ(registry.ReadBinaryData(QStringLiteral("When")).size(), 8);

    TProbeSettings settings(RegistrySource());
    EXPECT_EQ(settings.GetValue(QStringLiteral("Text")), TVariant::FromString(QStringLiteral("Привет")));
    EXPECT_EQ(settings.GetValue(QStringLiteral("Count")), TVariant::FromInteger(-4));
    EXPECT_EQ(settings.GetValue(QStringLiteral("Flag")), TVariant::FromBoolean(false));
    EXPECT_EQ(settings.GetValue(QStringLiteral("When")), TVariant::FromDateTime(45000.75));
    // A Byte default reads fine while nothing is stored, not once something is.
    EXPECT_EQ(settings.GetValue(QStringLiteral("Small")), TVariant::FromByte(1));
    registry.WriteInteger(QStringLiteral("Small"), 3);
    TProbeSettings again(RegistrySource());
    EXPECT_EQ(
        Message([&] { again.GetValue(QStringLiteral("Small")); }), QStringLiteral("Unsupported variant type = 17"));
}

TEST(SettingsStore, IniBackendStoresTextInTheUnnamedSection)
{
    TTempUserFolders folders;
    const QString path = folders.Root() + QStringLiteral("/probe.ini");
    {
        TProbeSettings settings(std::make_shared<TIniFileSettingsSource>(path));
        // Nothing stored: defaults as text, date-times unchanged; reading creates no file.
        EXPECT_EQ(settings.GetValue(QStringLiteral("Count")), TVariant::FromString(QStringLiteral("7")));
        EXPECT_EQ(settings.GetValue(QStringLiteral("Flag")), TVariant::FromString(QStringLiteral("True")));
        EXPECT_EQ(settings.GetValue(QStringLiteral("When")), TVariant::FromDateTime(2.25));
        EXPECT_FALSE(QFile::exists(path));

        settings.SetValue(QStringLiteral("Text"), TVariant::FromString(QStringLiteral("a=b")));
        settings.SetValue(QStringLiteral("Count"), TVariant::FromInteger(-4));
        settings.SetValue(QStringLiteral("Flag"), TVariant::FromBoolean(false));
        settings.SetValue(QStringLiteral("When"), TVariant::FromDateTime(1.5));
        settings.SetValue(QStringLiteral("Level"), TVariant::FromDouble(0));
        EXPECT_EQ(Message([&] { settings.SetValue(QStringLiteral("Small"), TVariant::FromByte(2)); }),
            QStringLiteral("Unsupported variant type"));
        EXPECT_EQ(
            Message([&] { settings.GetValue(QStringLiteral("Small")); }), QStringLiteral("Unsupported variant type"));
    }
    EXPECT_EQ(FileText(path),
        QByteArray("[]\nText=a=b\nCount=-4\nFlag=False\nWhen=000000000000F83F\nLevel=0000000000000000\n"));

    TProbeSettings settings(std::make_shared<TIniFileSettingsSource>(path));
    // Integers and truth values come back as text, unclamped; doubles as date-times.
    EXPECT_EQ(settings.GetValue(QStringLiteral("Text")), TVariant::FromString(QStringLiteral("a=b")));
    EXPECT_EQ(settings.GetValue(QStringLiteral("Count")), TVariant::FromString(QStringLiteral("-4")));
    EXPECT_FALSE(settings.GetValue(QStringLiteral("Flag")).ToBoolean());
    EXPECT_EQ(settings.GetValue(QStringLiteral("When")), TVariant::FromDateTime(1.5));
    EXPECT_EQ(settings.GetValue(QStringLiteral("Level")), TVariant::FromDateTime(0));
}

TEST(SettingsStore, IniBackendOddLinesAndClearing)
{
    TTempUserFolders folders;
    const QString path = folders.Root() + QStringLiteral("/odd.ini");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Other]\nx=1\n[]\nCount=\nFlag=\nWhen=00F8\n");
    }
    TProbeSettings settings(std::make_shared<TIniFileSettingsSource>(path));
    EXPECT_EQ(settings.GetValue(QStringLiteral("Count")), TVariant::FromByte(0));
    EXPECT_EQ(settings.GetValue(QStringLiteral("Count")).ToInteger(), 0);
    EXPECT_EQ(settings.GetValue(QStringLiteral("Flag")), TVariant::FromByte(0));
    // Fewer than eight bytes of hexadecimal digits are no double.
    EXPECT_EQ(Message([&] { settings.GetValue(QStringLiteral("When")); }), QStringLiteral("Stream read error"));
    EXPECT_EQ(Message([&] { settings.GetValue(QStringLiteral("When")); }), QStringLiteral("Stream read error"));

    settings.ClearSource();
    TIniFile ini(path);
    EXPECT_FALSE(ini.SectionExists(QString()));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("Other")));

    settings.Clear();
    for (const QString &key : {QStringLiteral("Text"), QStringLiteral("Small")}) {
        EXPECT_EQ(settings.GetValue(key), TVariant()) << key.toStdString();
        EXPECT_TRUE(ini.ValueExists(QString(), key));
        EXPECT_EQ(ini.ReadString(QString(), key, QStringLiteral("-")), QString());
    }
}

TEST(TokenSettings, FreshProfileAndStoredFile)
{
    TTempUserFolders folders;
    const QString path = folders.DataHome() + QStringLiteral("/MarvanePlayer/Token.ini");
    auto *token = GetInstance<TTokenSettings>();
    EXPECT_EQ(token->GetValue(QStringLiteral("access_token")), TVariant::FromString(QString()));
    EXPECT_EQ(token->GetValue(QStringLiteral("expires_in")), TVariant::FromString(QStringLiteral("0")));
    EXPECT_EQ(token->GetValue(QStringLiteral("token_request_datetime")), TVariant::FromDateTime(0));
    EXPECT_EQ(token->GetValue(QStringLiteral("user_id")), TVariant::FromString(QStringLiteral("0")));
    EXPECT_FALSE(QFile::exists(path));

    token->SetValue(QStringLiteral("access_token"), TVariant::FromString(QStringLiteral("abc")));
    token->SetValue(QStringLiteral("expires_in"), TVariant::FromInteger(86400));
    // Byte bounds do not touch a date-time.
    token->SetValue(QStringLiteral("token_request_datetime"), TVariant::FromDateTime(1.5));
    token->SetValue(QStringLiteral("user_id"), TVariant::FromInteger(42));
    delete token;
    EXPECT_EQ(FileText(path),
        QByteArray("[]\naccess_token=abc\nexpires_in=86400\ntoken_request_datetime=000000000000F83F\nuser_id=42\n"));
    token = GetInstance<TTokenSettings>();
    EXPECT_EQ(token->GetValue(QStringLiteral("expires_in")).ToInteger(), 86400);
    EXPECT_EQ(token->GetValue(QStringLiteral("token_request_datetime")), TVariant::FromDateTime(1.5));
    delete token;
}

namespace {

class TRoundTripSettings : public TSettings
{
public:
    explicit TRoundTripSettings(std::shared_ptr<ISettingsSource> Source) : TSettings(std::move(Source))
    {
        DeclareValue(QStringLiteral("Text"), TVariant::FromString(QStringLiteral("dflt")));
        DeclareValue(QStringLiteral("Number"), TVariant::FromInteger(7));
        DeclareValue(QStringLiteral("Flag"), TVariant::FromBoolean(true));
        DeclareValue(QStringLiteral("When"), TVariant::FromDateTime(2.25));
        DeclareValue(QStringLiteral("Real"), TVariant::FromDouble(1.5));
    }
};

} // namespace

TEST(SettingsStore, EveryValueRoundTripsThroughBothBackends)
{
    TTempUserFolders folders;
    const QString iniPath = folders.Root() + QStringLiteral("/roundtrip.ini");
    struct TCase
    {
        const char *Key;
        TVariant Value;
        TVariant FromIni; // the INI backend gives numbers back as text, doubles as date-times
    };
    std::vector<TCase> cases;
    for (const QString &text : {QString(), QStringLiteral("plain"), QStringLiteral("a=b"), QStringLiteral(";c"),
             QStringLiteral("[S]"), QStringLiteral("x\n[]\nNumber=666"), QStringLiteral("  lead"),
             QStringLiteral("trail  "), QStringLiteral(" both "), QStringLiteral("line\nbreak"),
             QStringLiteral("cr\rin"), QStringLiteral("\r\n"), QStringLiteral("Привет \u00a0"), QStringLiteral("\"q\""),
             QStringLiteral("C:\\new\\"), QStringLiteral("\\x41")})
        cases.push_back({"Text", TVariant::FromString(text), TVariant::FromString(text)});
    for (const int number : {INT_MIN, -1, 0, INT_MAX})
        cases.push_back({"Number", TVariant::FromInteger(number), TVariant::FromString(QString::number(number))});
    cases.push_back({"Flag", TVariant::FromBoolean(false), TVariant::FromString(QStringLiteral("False"))});
    cases.push_back({"Flag", TVariant::FromBoolean(true), TVariant::FromString(QStringLiteral("True"))});
    for (const double when : {0.0, 45000.75, -693593.0})
        cases.push_back({"When", TVariant::FromDateTime(when), TVariant::FromDateTime(when)});
    for (const double real : {0.0, 37.5, -1e300, 5e-324})
        cases.push_back({"Real", TVariant::FromDouble(real), TVariant::FromDateTime(real)});

    const struct
    {
        const char *Name;
        std::function<std::shared_ptr<ISettingsSource>()> Source;
        bool Ini;
    } backends[] = {
        {"registry", RegistrySource, false},
        {"INI", [&] { return std::make_shared<TIniFileSettingsSource>(iniPath); }, true},
    };
    for (const auto &backend : backends) {
        // A neighbour that a broken text could overwrite or hide.
        TRoundTripSettings(backend.Source()).SetValue(QStringLiteral("Number"), TVariant::FromInteger(42));
        for (const auto &c : cases) {
            const QString key = QString::fromLatin1(c.Key);
            TRoundTripSettings(backend.Source()).SetValue(key, c.Value);
            TRoundTripSettings restarted(backend.Source());
            EXPECT_EQ(restarted.GetValue(key), backend.Ini ? c.FromIni : c.Value)
                << backend.Name << " " << c.Value.ToString().toStdString();
            if (key == QStringLiteral("Text")) {
                EXPECT_EQ(restarted.GetValue(QStringLiteral("Number")).ToInteger(), 42)
                    << backend.Name << " " << c.Value.ToString().toStdString();
            }
        }
    }
}

TEST(TokenSettings, ATokenWithLineBreaksStaysOneValue)
{
    TTempUserFolders folders;
    const QString path = folders.DataHome() + QStringLiteral("/MarvanePlayer/Token.ini");
    const QString token = QStringLiteral("abc\n[]\nuser_id=666\r\nexpires_in=1");
    auto *settings = GetInstance<TTokenSettings>();
    settings->SetValue(QStringLiteral("user_id"), TVariant::FromInteger(42));
    settings->SetValue(QStringLiteral("access_token"), TVariant::FromString(token));
    delete settings;
    EXPECT_EQ(
        FileText(path), QByteArray("[]\nuser_id=42\naccess_token=\"abc\\n[]\\nuser_id=666\\r\\nexpires_in=1\"\n"));

    settings = GetInstance<TTokenSettings>();
    EXPECT_EQ(settings->GetValue(QStringLiteral("access_token")), TVariant::FromString(token));
    EXPECT_EQ(settings->GetValue(QStringLiteral("user_id")), TVariant::FromString(QStringLiteral("42")));
    EXPECT_EQ(settings->GetValue(QStringLiteral("expires_in")), TVariant::FromString(QStringLiteral("0")));
    delete settings;
}
