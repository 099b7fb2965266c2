#pragma once

#include "settings/TSettingsUnit.h"

#include <QByteArray>

// The player's preferences, kept under the current user's registry key
// "Software\MarvanePlayer". Obtain with GetInstance<TQelmSettings>().
class TQelmSettings : public TSettings
{
public:
    double Volume(); // 0..100
    void SetVolume(double Value);
    bool MuteFlag();
    void SetMuteFlag(bool Value);
    QString Lang(); // ISO 639 language name, e.g. "en"
    void SetLang(const QString &Value);
    bool CustomMusicFolderFlag();
    void SetCustomMusicFolderFlag(bool Value);
    QString CustomMusicFolderPath();
    void SetCustomMusicFolderPath(const QString &Value);
    // The custom folder when it is switched on, else the default music folder.
    QString CurrentMusicFolderPath();
    // The main window's place and size as Qt saves them; empty for none.
    QByteArray WindowGeometry();
    void SetWindowGeometry(const QByteArray &Value);
    // The main window's tab last shown: 0 My Music, 1 search, 2 downloads.
    int MainTab();
    void SetMainTab(int Value);
    // Whether the program looks for a newer version at start (once a day).
    bool AutoUpdateCheck();
    void SetAutoUpdateCheck(bool Value);
    // A desktop notification names each new track while the window is not active.
    bool TrackNotificationsFlag();
    void SetTrackNotificationsFlag(bool Value);

protected:
    TQelmSettings();
    template<class C> friend C *GetInstance();
};

// The language name of the user's locale, "en" when it has none.
QString GetUserDefaultLanguageName();
