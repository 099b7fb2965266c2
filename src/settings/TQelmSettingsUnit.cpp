#include "settings/TQelmSettingsUnit.h"

#include "app/helpers/TQelmPathManagerUnit.h"
#include "platform/TRegistryUnit.h"
#include "settings/TWinRegistrySettingsSourceUnit.h"

#include <QLocale>

namespace {
const QString VolumeKey = QStringLiteral("Volume");
const QString MuteFlagKey = QStringLiteral("MuteFlag");
const QString LangKey = QStringLiteral("Lang");
const QString CustomMusicFolderFlagKey = QStringLiteral("CustomMusicFolderFlag");
const QString CustomMusicFolderPathKey = QStringLiteral("CustomMusicFolderPath");
const QString WindowGeometryKey = QStringLiteral("WindowGeometry");
const QString MainTabKey = QStringLiteral("MainTab");
const QString AutoUpdateCheckKey = QStringLiteral("AutoUpdateCheck");
const QString TrackNotificationsFlagKey = QStringLiteral("TrackNotificationsFlag");
} // namespace

QString GetUserDefaultLanguageName()
{
    const QLocale::Language language = QLocale::system().language();
    if (language == QLocale::C || language == QLocale::AnyLanguage)
        return QStringLiteral("en");
    const QString name = QLocale::languageToCode(language);
    return name.isEmpty() ? QStringLiteral("en") : name;
}

TQelmSettings::TQelmSettings() :
      TSettings(std::make_shared<TWinRegistrySettingsSource>(
          TRegistryRoot::CurrentUser, QStringLiteral("Software\\MarvanePlayer")))
{
    DeclareValue(VolumeKey, TVariant::FromDouble(50.0), TVariant::FromDouble(0.0), TVariant::FromDouble(100.0));
    DeclareValue(MuteFlagKey, TVariant::FromBoolean(false));
    DeclareValue(LangKey, TVariant::FromString(GetUserDefaultLanguageName()));
    DeclareValue(CustomMusicFolderFlagKey, TVariant::FromBoolean(false));
    DeclareValue(CustomMusicFolderPathKey, TVariant::FromString(GetDefaultMusicFolderPath()));
    DeclareValue(WindowGeometryKey, TVariant::FromString(QString()));
    DeclareValue(MainTabKey, TVariant::FromInteger(0), TVariant::FromInteger(0), TVariant::FromInteger(2));
    DeclareValue(AutoUpdateCheckKey, TVariant::FromBoolean(true));
    DeclareValue(TrackNotificationsFlagKey, TVariant::FromBoolean(true));
}

double TQelmSettings::Volume()
{
    return GetValue(VolumeKey).ToDouble();
}

void TQelmSettings::SetVolume(double Value)
{
    SetValue(VolumeKey, TVariant::FromDouble(Value));
}

bool TQelmSettings::MuteFlag()
{
    return GetValue(MuteFlagKey).ToBoolean();
}

void TQelmSettings::SetMuteFlag(bool Value)
{
    SetValue(MuteFlagKey, TVariant::FromBoolean(Value));
}

QString TQelmSettings::Lang()
{
    return GetValue(LangKey).ToString();
}

void TQelmSettings::SetLang(const QString &Value)
{
    SetValue(LangKey, TVariant::FromString(Value));
}

bool TQelmSettings::CustomMusicFolderFlag()
{
    return GetValue(CustomMusicFolderFlagKey).ToBoolean();
}

void TQelmSettings::SetCustomMusicFolderFlag(bool Value)
{
    SetValue(CustomMusicFolderFlagKey, TVariant::FromBoolean(Value));
}

QString TQelmSettings::CustomMusicFolderPath()
{
    return GetValue(CustomMusicFolderPathKey).ToString();
}

void TQelmSettings::SetCustomMusicFolderPath(const QString &Value)
{
    SetValue(CustomMusicFolderPathKey, TVariant::FromString(Value));
}

QString TQelmSettings::CurrentMusicFolderPath()
{
    return CustomMusicFolderFlag() ? CustomMusicFolderPath() : GetDefaultMusicFolderPath();
}

QByteArray TQelmSettings::WindowGeometry()
{
    // Stored as text: the registry store keeps strings whole.
    return QByteArray::fromBase64(GetValue(WindowGeometryKey).ToString().toLatin1());
}

void TQelmSettings::SetWindowGeometry(const QByteArray &Value)
{
    SetValue(WindowGeometryKey, TVariant::FromString(QString::fromLatin1(Value.toBase64())));
}

int TQelmSettings::MainTab()
{
    return GetValue(MainTabKey).ToInteger();
}

void TQelmSettings::SetMainTab(int Value)
{
    SetValue(MainTabKey, TVariant::FromInteger(Value));
}

bool TQelmSettings::AutoUpdateCheck()
{
    return GetValue(AutoUpdateCheckKey).ToBoolean();
}

void TQelmSettings::SetAutoUpdateCheck(bool Value)
{
    SetValue(AutoUpdateCheckKey, TVariant::FromBoolean(Value));
}

bool TQelmSettings::TrackNotificationsFlag()
{
    return GetValue(TrackNotificationsFlagKey).ToBoolean();
}

void TQelmSettings::SetTrackNotificationsFlag(bool Value)
{
    SetValue(TrackNotificationsFlagKey, TVariant::FromBoolean(Value));
}
