#include "standin/WebHandlers.h"

#include "standin/CaptchaImage.h"
#include "standin/SiteState.h"
#include "standin/SiteText.h"

#include <httplib.h>

using namespace Qt::StringLiterals;

namespace Standin {

namespace {

void SendPage(httplib::Response &Response, const QString &Html)
{
    Response.set_content(ToWindows1251(Html), HtmlType);
}

void SendScript(httplib::Response &Response, const QString &Script)
{
    SendPage(Response, Page(0, u"Вход"_s, u"<script type=\"text/javascript\">\n"_s + Script + u"\n</script>"_s));
}

QString LoginForm(TSiteState &State, const TOrigins &Origins)
{
    return QStringLiteral(
        "<form method=\"post\" name=\"login\" id=\"quick_login_form\" action=\"%1/?act=login\">\n"
        "<input type=\"hidden\" name=\"act\" value=\"login\" />\n"
        "<input type=\"hidden\" name=\"role\" value=\"al_frame\" />\n"
        "<input type=\"hidden\" name=\"expire\" id=\"quick_expire_input\" value=\"\" />\n"
        "<input type=\"hidden\" name=\"captcha_sid\" id=\"quick_captcha_sid\" value=\"\" />\n"
        "<input type=\"hidden\" name=\"captcha_key\" id=\"quick_captcha_key\" value=\"\" />\n"
        "<input type=\"hidden\" name=\"_origin\" value=\"%2\" />\n"
        "<input type=\"hidden\" name=\"ip_h\" value=\"%3\" />\n"
        "<input type=\"hidden\" name=\"lg_h\" value=\"%4\" />\n"
        "<input type=\"text\" class=\"big_text\" name=\"email\" id=\"quick_email\" placeholder=\"Телефон или email\" "
        "/>\n"
        "<input type=\"password\" class=\"big_text\" name=\"pass\" id=\"quick_pass\" placeholder=\"Пароль\" />\n"
        "<button id=\"quick_login_button\">Войти</button>\n"
        "</form>")
        .arg(Origins.Login, Origins.Web, State.IPHash(), State.IssueLoginFormHash());
}

void FinishSignIn(TSiteState &State, const httplib::Request &Request, httplib::Response &Response)
{
    const std::optional<TLoginOutcome> outcome = State.TakeTicket(Field(QueryFields(Request), u"__q_hash"_s));
    switch (outcome ? outcome->Kind : TLoginOutcome::Rejected) {
    case TLoginOutcome::Done:
        // The login host's cookie must have come along: it proves this browser posted the form.
        if (RequestCookie(Request, u"p"_s) == outcome->LoginCookie) {
            const auto [sid, stid] = State.OpenSession(outcome->UserID);
            Response.set_header("Set-Cookie", CookieHeader(u"remixsid"_s, sid, true, true));
            Response.set_header("Set-Cookie", CookieHeader(u"remixstid"_s, stid, false, true));
            SendScript(Response, u"parent.onLoginDone('/id%1');"_s.arg(outcome->UserID));
            return;
        }
        break;
    case TLoginOutcome::Failed:
        SendScript(Response, u"parent.onLoginFailed(4, {});"_s);
        return;
    case TLoginOutcome::Captcha:
        SendScript(Response, u"parent.onLoginCaptcha('%1', 0);"_s.arg(outcome->CaptchaSid));
        return;
    case TLoginOutcome::AuthCheck:
        Response.set_header("Set-Cookie", CookieHeader(u"remixauthcheck"_s, outcome->CheckHash, false, true));
        SendScript(Response, u"parent.location.href='/login?act=authcheck';"_s);
        return;
    case TLoginOutcome::Rejected:
        break;
    }
    SendPage(Response,
        Page(0, u"Ошибка"_s, u"<div class=\"message_page\">Ошибка безопасности. Попробуйте войти ещё раз.</div>"_s));
}

void CheckCode(TSiteState &State, const httplib::Request &Request, httplib::Response &Response)
{
    const TFields form = ParseForm(Request.body);
    const QString modules = u"login.css,login.js"_s;
    const QString hash = Field(form, u"hash"_s);
    const std::optional<int> user = State.TwoStepUser(hash);
    const std::optional<TAccount> account = user ? State.AccountOf(*user) : std::nullopt;
    if (Field(form, u"act"_s) != u"a_authcheck_code" || !account) {
        SendPage(Response, Frame(modules, 8, u"Срок проверки истёк, войдите заново."_s));
        return;
    }
    if (Field(form, u"code"_s).trimmed() != account->TwoStepCode) {
        SendPage(Response, Frame(modules, 8, u"Неверный код подтверждения."_s));
        return;
    }
    State.EndTwoStepCheck(hash);
    const auto [sid, stid] = State.OpenSession(account->UserID);
    Response.set_header("Set-Cookie", CookieHeader(u"remixsid"_s, sid, true, true));
    Response.set_header("Set-Cookie", CookieHeader(u"remixstid"_s, stid, false, true));
    Response.set_header("Set-Cookie", RemovedCookieHeader(u"remixauthcheck"_s));
    SendPage(Response, Frame(modules, 4, u"/login.php?act=slogin&to=&s=1"_s));
}

// What the login host decides about one post of the login form.
TLoginOutcome JudgeLogin(TSiteState &State, const TOrigins &Origins, const TFields &Form)
{
    TLoginOutcome outcome;
    if (Field(Form, u"ip_h"_s) != State.IPHash() || !State.IsIssuedLoginFormHash(Field(Form, u"lg_h"_s))
        || Field(Form, u"_origin"_s) != Origins.Web)
        return outcome;
    const std::optional<TAccount> account = State.FindAccount(Field(Form, u"email"_s));
    const QString sid = Field(Form, u"captcha_sid"_s);
    const bool captchaSolved = !sid.isEmpty() && State.SolveCaptcha(sid, Field(Form, u"captcha_key"_s));
    if (!sid.isEmpty() ? !captchaSolved : account && account->NeedsCaptcha) {
        outcome.Kind = TLoginOutcome::Captcha;
        outcome.CaptchaSid = State.IssueCaptcha();
    } else if (!account || account->Password != Field(Form, u"pass"_s)) {
        outcome.Kind = TLoginOutcome::Failed;
    } else if (!account->TwoStepCode.isEmpty()) {
        outcome.Kind = TLoginOutcome::AuthCheck;
        outcome.CheckHash = State.BeginTwoStepCheck(account->UserID);
    } else {
        outcome.Kind = TLoginOutcome::Done;
        outcome.UserID = account->UserID;
        outcome.LoginCookie = RandomToken(16);
    }
    return outcome;
}

} // namespace

int SignedInUser(const TSiteState &State, const httplib::Request &Request)
{
    return State.SessionUser(RequestCookie(Request, u"remixsid"_s), RequestCookie(Request, u"remixstid"_s));
}

void AddWebHandlers(httplib::Server &Server, TSiteState &State, const TOrigins &Origins)
{
    Server.Get("/", [&State, &Origins](const httplib::Request &Request, httplib::Response &Response) {
        SendPage(Response, Page(SignedInUser(State, Request), u"Добро пожаловать"_s, LoginForm(State, Origins)));
    });
    Server.Get("/feed", [&State](const httplib::Request &Request, httplib::Response &Response) {
        const int user = SignedInUser(State, Request);
        if (user == 0) {
            Response.set_redirect("/login?to=ZmVlZA--");
            return;
        }
        SendPage(Response,
            Page(user, u"Новости"_s,
                u"<div id=\"feed_rows\"><div class=\"post\">%1: Новостей пока нет.</div></div>"_s.arg(
                    State.AccountOf(user)->Name)));
    });
    Server.Get("/login", [&State, &Origins](const httplib::Request &Request, httplib::Response &Response) {
        const QString hash = RequestCookie(Request, u"remixauthcheck"_s);
        if (Field(QueryFields(Request), u"act"_s) == u"authcheck" && State.TwoStepUser(hash)) {
            SendPage(Response,
                Page(0, u"Подтверждение входа"_s,
                    u"<script type=\"text/javascript\">\nAuthcheck.init({\n  hash: '%1',\n  ajaxUrl: "
                    u"'/al_login.php'\n});\n</script>\n"
                    "<div class=\"login_authcheck\">Введите код из SMS.<input type=\"text\" id=\"authcheck_code\" /></div>"_s
                        .arg(hash)));
            return;
        }
        SendPage(Response, Page(SignedInUser(State, Request), u"Вход"_s, LoginForm(State, Origins)));
    });
    Server.Get("/login.php", [&State](const httplib::Request &Request, httplib::Response &Response) {
        if (Field(QueryFields(Request), u"act"_s) != u"slogin") {
            Response.set_redirect("/");
            return;
        }
        FinishSignIn(State, Request, Response);
    });
    Server.Post("/al_login.php", [&State](const httplib::Request &Request, httplib::Response &Response) {
        CheckCode(State, Request, Response);
    });
    Server.Get("/captcha.php", [&State](const httplib::Request &Request, httplib::Response &Response) {
        const QString sid = Field(QueryFields(Request), u"sid"_s);
        if (!State.IsCaptcha(sid)) {
            Response.status = 404;
            Response.set_content("no such captcha", "text/plain");
            return;
        }
        const QByteArray image = CaptchaPng(TSiteState::CaptchaText, sid.toULongLong());
        Response.set_content(image.constData(), std::size_t(image.size()), "image/png");
    });
}

void AddLoginHandlers(httplib::Server &Server, TSiteState &State, const TOrigins &Origins)
{
    Server.Post("/", [&State, &Origins](const httplib::Request &Request, httplib::Response &Response) {
        if (Field(QueryFields(Request), u"act"_s) != u"login") {
            Response.status = 404;
            return;
        }
        const TLoginOutcome outcome = JudgeLogin(State, Origins, ParseForm(Request.body));
        if (outcome.Kind == TLoginOutcome::Done) {
            Response.set_header("Set-Cookie", CookieHeader(u"p"_s, outcome.LoginCookie, true, true));
            Response.set_header("Set-Cookie", CookieHeader(u"l"_s, QString::number(outcome.UserID), true, true));
        }
        const QString target = u"%1/login.php?act=slogin&to=&s=%2&__q_hash=%3"_s.arg(
            Origins.Web, outcome.Kind == TLoginOutcome::Done ? u"1"_s : u"0"_s, State.IssueTicket(outcome));
        Response.set_redirect(target.toStdString());
    });
}

} // namespace Standin
