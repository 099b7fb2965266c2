#include "app/helpers/RemoteHostsUnit.h"

namespace {

QString BaseURL(const char *Variable, const QString &Default)
{
    QString url = qEnvironmentVariable(Variable).trimmed();
    if (url.isEmpty())
        url = Default;
    while (url.endsWith(u'/'))
        url.chop(1);
    return url;
}

} // namespace

QString GetVKWebURL()
{
    return BaseURL("MARVANE_VK_WEB_URL", QStringLiteral("https://vk.com"));
}

QString GetVKLoginURL()
{
    return BaseURL("MARVANE_VK_LOGIN_URL", QStringLiteral("https://login.vk.com"));
}

QString GetVKAPIURL()
{
    return BaseURL("MARVANE_VK_API_URL", QStringLiteral("https://api.vk.com"));
}

QString GetSignupRelayURL()
{
    return BaseURL("MARVANE_SIGNUP_RELAY_URL", QStringLiteral("https://relay.marvaneplayer.com"));
}

QString GetLastFMURL()
{
    return BaseURL("MARVANE_LASTFM_URL", QStringLiteral("https://ws.audioscrobbler.com"));
}

QString GetUpdateURL()
{
    return BaseURL("MARVANE_UPDATE_URL", QStringLiteral("https://update.marvaneplayer.com"));
}
