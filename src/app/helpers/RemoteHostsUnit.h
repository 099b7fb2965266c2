#pragma once

#include <QString>

// Base URLs of the remote services: scheme, host and port, without a closing
// "/". Each has a built-in default that an environment variable overrides, so
// a run can be pointed at the local stand-in or any other server.
QString GetVKWebURL(); // MARVANE_VK_WEB_URL
QString GetVKLoginURL(); // MARVANE_VK_LOGIN_URL
QString GetVKAPIURL(); // MARVANE_VK_API_URL
QString GetSignupRelayURL(); // MARVANE_SIGNUP_RELAY_URL
QString GetLastFMURL(); // MARVANE_LASTFM_URL
QString GetUpdateURL(); // MARVANE_UPDATE_URL
