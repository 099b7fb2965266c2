#pragma once

#include <QString>

namespace httplib {
class Server;
struct Request;
} // namespace httplib

namespace Standin {

class TSiteState;

// The two hosts' base URLs, known once both listen.
struct TOrigins
{
    QString Web;
    QString Login;
};

// The signed-in user the request's session cookies name, or 0.
int SignedInUser(const TSiteState &State, const httplib::Request &Request);

// The web host's pages: front page with the login form, "/feed", "/login" with
// the two-step check, "/login.php" that finishes a sign-in, "/al_login.php", "/captcha.php".
void AddWebHandlers(httplib::Server &Server, TSiteState &State, const TOrigins &Origins);
// The login host: the login form's target.
void AddLoginHandlers(httplib::Server &Server, TSiteState &State, const TOrigins &Origins);

} // namespace Standin
