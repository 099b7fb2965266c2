#include "app/helpers/RemoteHostsUnit.h"

#include "vkweb/VKWebTestSupport.h"

#include <gtest/gtest.h>

TEST(RemoteHosts, EachHostHasADefaultAndItsOwnOverride)
{
    struct TCase
    {
        const char *Variable;
        QString (*Get)();
    } cases[] = {
        {"MARVANE_VK_WEB_URL", GetVKWebURL},
        {"MARVANE_VK_LOGIN_URL", GetVKLoginURL},
        {"MARVANE_VK_API_URL", GetVKAPIURL},
        {"MARVANE_SIGNUP_RELAY_URL", GetSignupRelayURL},
        {"MARVANE_LASTFM_URL", GetLastFMURL},
        {"MARVANE_UPDATE_URL", GetUpdateURL},
    };
    for (const auto &c : cases) {
        QString builtIn;
        {
            TScopedEnvironment unset(c.Variable, QString());
            builtIn = c.Get();
        }
        EXPECT_TRUE(builtIn.startsWith(u"http")) << c.Variable;
        EXPECT_FALSE(builtIn.endsWith(u'/')) << c.Variable;
        // A closing "/" is dropped, so callers can add their paths.
        TScopedEnvironment set(c.Variable, QStringLiteral("http://127.0.0.1:8123/"));
        EXPECT_EQ(c.Get(), QStringLiteral("http://127.0.0.1:8123")) << c.Variable;
        for (const auto &other : cases) {
            if (other.Get != c.Get) {
                EXPECT_NE(other.Get(), QStringLiteral("http://127.0.0.1:8123")) << other.Variable;
            }
        }
    }
}
