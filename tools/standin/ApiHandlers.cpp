#include "standin/ApiHandlers.h"

#include "standin/CaptchaImage.h"
#include "standin/SiteText.h"

#include <httplib.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <optional>

using namespace Qt::StringLiterals;

namespace Standin {

namespace {

constexpr int CClientID = 3566047;
constexpr qsizetype CMinPasswordLength = 6;

const QString CUsedPhone = u"+79990000001"_s;
const QString CFloodPhone = u"+79990000009"_s;
const QString CCaptchaPhone = u"+79990000014"_s;
const QString CBrokenCaptchaPhone = u"+79990000404"_s;

struct TUser
{
    int ID;
    QString FirstName;
    QString LastName;
};

// 1004 answers only with the access token; 1014 and 1404 ask a captcha every
// time (1404's picture is missing); 1009 meets flood control.
const TUser CUsers[] = {{1001, u"Ivan"_s, u"Petrov"_s}, {1002, u"Анна"_s, u"Смирнова"_s},
    {1003, u"Oleg"_s, u"Sokolov"_s}, {1004, u"Token"_s, u"Holder"_s}, {1014, u"Captcha"_s, u"Keeper"_s}};

void Send(httplib::Response &Response, const QJsonObject &Answer)
{
    const QByteArray text = QJsonDocument(Answer).toJson(QJsonDocument::Compact);
    Response.set_content(text.constData(), std::size_t(text.size()), "application/json; charset=utf-8");
}

void SendResponse(httplib::Response &Response, const QJsonValue &Value)
{
    Send(Response, {{u"response"_s, Value}});
}

// VK's error object: the method and the parameters it was called with (never a password).
QJsonObject Error(int Code, const QString &Message, const QString &Method, const TFields &Query)
{
    QJsonArray params {QJsonObject {{u"key"_s, u"oauth"_s}, {u"value"_s, u"1"_s}},
        QJsonObject {{u"key"_s, u"method"_s}, {u"value"_s, Method}}};
    for (const auto &[name, value] : Query) {
        if (name != u"password" && name != u"access_token")
            params.append(QJsonObject {{u"key"_s, name}, {u"value"_s, value}});
    }
    return {{u"error_code"_s, Code}, {u"error_msg"_s, Message}, {u"request_params"_s, params}};
}

void SendError(httplib::Response &Response, const QJsonObject &ErrorObject)
{
    Send(Response, {{u"error"_s, ErrorObject}});
}

// Checks the captcha answer the request carries, if any. Without a right
// answer, asks a new captcha (error 14) and returns false.
bool PassCaptcha(TApiState &State, const QString &Origin, bool WithPicture, const QString &Method, const TFields &Query,
    httplib::Response &Response)
{
    const QString sid = Field(Query, u"captcha_sid"_s);
    if (!sid.isEmpty() && State.SolveCaptcha(sid, Field(Query, u"captcha_key"_s)))
        return true;
    const QString newSid = State.IssueCaptcha(WithPicture);
    QJsonObject error = Error(14, u"Captcha needed"_s, Method, Query);
    error.insert(u"captcha_sid"_s, newSid);
    error.insert(u"captcha_img"_s, Origin + u"/captcha.php?sid="_s + newSid);
    SendError(Response, error);
    return false;
}

void AddCaptchaPictures(httplib::Server &Server, TApiState &State)
{
    Server.Get("/captcha.php", [&State](const httplib::Request &Request, httplib::Response &Response) {
        const QString sid = Field(QueryFields(Request), u"sid"_s);
        std::lock_guard lock(State.Lock());
        if (!State.HasCaptchaPicture(sid)) {
            Response.status = 404;
            Response.set_content("no such captcha", "text/plain");
            return;
        }
        const QByteArray image = CaptchaPng(TApiState::CaptchaText, sid.toULongLong());
        Response.set_content(image.constData(), std::size_t(image.size()), "image/png");
    });
}

void UsersGet(TApiState &State, const TApiOrigins &Origins, const TFields &Query, httplib::Response &Response)
{
    const QString method = u"users.get"_s;
    const QStringList ids = Field(Query, u"user_ids"_s).split(u',', Qt::SkipEmptyParts);
    if (ids.isEmpty())
        return SendError(Response,
            Error(100, u"One of the parameters specified was missing or invalid: user_ids is undefined"_s, method,
                Query));
    QJsonArray users;
    for (const QString &text : ids) {
        const int id = text.trimmed().toInt();
        if (id == 1009)
            return SendError(Response, Error(9, u"Flood control"_s, method, Query));
        if ((id == 1014 || id == 1404) && !PassCaptcha(State, Origins.API, id == 1014, method, Query, Response))
            return;
        if (id == 1004 && Field(Query, u"access_token"_s) != TApiState::AccessToken)
            return SendError(
                Response, Error(5, u"User authorization failed: no access_token passed."_s, method, Query));
        const auto user
            = std::find_if(std::begin(CUsers), std::end(CUsers), [id](const TUser &u) { return u.ID == id; });
        if (user == std::end(CUsers))
            return SendError(Response, Error(113, u"Invalid user id"_s, method, Query));
        users.append(
            QJsonObject {{u"id"_s, user->ID}, {u"first_name"_s, user->FirstName}, {u"last_name"_s, user->LastName}});
    }
    SendResponse(Response, users);
}

// The checks every relay method makes first; false when it already answered.
bool CheckRelayRequest(TApiState &State, const QString &Method, const TFields &Query, httplib::Response &Response)
{
    if (Field(Query, u"client_id"_s) != QString::number(CClientID)) {
        SendError(Response, Error(15, u"Access denied: this application may not sign up users"_s, Method, Query));
        return false;
    }
    const QString phone = Field(Query, u"phone"_s);
    if (phone.isEmpty()) {
        SendError(Response,
            Error(100, u"One of the parameters specified was missing or invalid: phone is undefined"_s, Method, Query));
        return false;
    }
    static const QRegularExpression pattern(u"^\\+?[0-9]{10,15}$"_s);
    if (!pattern.match(phone).hasMatch()) {
        SendError(Response, Error(1000, u"Invalid phone number"_s, Method, Query));
        return false;
    }
    if (phone == CFloodPhone) {
        SendError(Response, Error(9, u"Flood control: too much sign-ups from this number"_s, Method, Query));
        return false;
    }
    if (Method != u"auth.confirm" && State.IsPhoneUsed(phone)) {
        SendError(Response, Error(1004, u"This phone number is used by another user"_s, Method, Query));
        return false;
    }
    return true;
}

void Signup(TApiState &State, const TApiOrigins &Origins, const TFields &Query, httplib::Response &Response)
{
    const QString method = u"auth.signup"_s;
    const QString phone = Field(Query, u"phone"_s);
    const QString sid = Field(Query, u"sid"_s);
    if (!sid.isEmpty()) {
        // The code again, by SMS or call, for a sign-up that waits.
        const TApiState::TSignup *signup = State.FindSignup(phone);
        if (!signup || signup->SID != sid)
            return SendError(
                Response, Error(100, u"One of the parameters specified was missing or invalid: sid"_s, method, Query));
        return SendResponse(Response, QJsonObject {{u"sid"_s, sid}});
    }
    if (Field(Query, u"first_name"_s).trimmed().isEmpty() || Field(Query, u"last_name"_s).trimmed().isEmpty())
        return SendError(
            Response, Error(100, u"One of the parameters specified was missing or invalid: name"_s, method, Query));
    const QString password = Field(Query, u"password"_s);
    if (password.length() < CMinPasswordLength)
        return SendError(Response,
            Error(100, u"One of the parameters specified was missing or invalid: password is too short"_s, method,
                Query));
    if ((phone == CCaptchaPhone || phone == CBrokenCaptchaPhone)
        && !PassCaptcha(State, Origins.Relay, phone == CCaptchaPhone, method, Query, Response))
        return;
    SendResponse(Response, QJsonObject {{u"sid"_s, State.StartSignup(phone, password)}});
}

void Confirm(TApiState &State, const TFields &Query, httplib::Response &Response)
{
    const QString method = u"auth.confirm"_s;
    const QString phone = Field(Query, u"phone"_s);
    const TApiState::TSignup *signup = State.FindSignup(phone);
    if (!signup)
        return SendError(Response,
            Error(100, u"One of the parameters specified was missing or invalid: no sign-up for this phone"_s, method,
                Query));
    if (Field(Query, u"code"_s) != TApiState::ConfirmationCode)
        return SendError(Response, Error(1110, u"Incorrect code"_s, method, Query));
    if (Field(Query, u"password"_s) != signup->Password) {
        State.DropSignup(phone);
        return SendError(Response, Error(1111, u"Invalid password"_s, method, Query));
    }
    SendResponse(Response, QJsonObject {{u"success"_s, 1}, {u"uid"_s, State.CompleteSignup(phone)}});
}

} // namespace

TApiState::TApiState() : FNextCaptcha(QRandomGenerator::global()->bounded(100000000u, 900000000u))
{
    FUsedPhones.insert(CUsedPhone);
}

QString TApiState::IssueCaptcha(bool WithPicture)
{
    const QString sid = QString::number(++FNextCaptcha);
    FCaptchas[sid] = WithPicture;
    return sid;
}

bool TApiState::HasCaptchaPicture(const QString &Sid) const
{
    const auto captcha = FCaptchas.find(Sid);
    return captcha != FCaptchas.end() && captcha->second;
}

bool TApiState::SolveCaptcha(const QString &Sid, const QString &Key)
{
    return FCaptchas.erase(Sid) > 0 && Key == CaptchaText;
}

bool TApiState::IsPhoneUsed(const QString &Phone) const
{
    return FUsedPhones.count(Phone) > 0;
}

QString TApiState::StartSignup(const QString &Phone, const QString &Password)
{
    const QString sid = RandomToken(8);
    FSignups[Phone] = {sid, Password};
    return sid;
}

const TApiState::TSignup *TApiState::FindSignup(const QString &Phone) const
{
    const auto signup = FSignups.find(Phone);
    return signup == FSignups.end() ? nullptr : &signup->second;
}

void TApiState::DropSignup(const QString &Phone)
{
    FSignups.erase(Phone);
}

int TApiState::CompleteSignup(const QString &Phone)
{
    FSignups.erase(Phone);
    FUsedPhones.insert(Phone);
    return FNextUserID++;
}

void AddAPIHandlers(httplib::Server &Server, TApiState &State, const TApiOrigins &Origins)
{
    Server.Get("/method/users.get", [&State, &Origins](const httplib::Request &Request, httplib::Response &Response) {
        std::lock_guard lock(State.Lock());
        UsersGet(State, Origins, QueryFields(Request), Response);
    });
    AddCaptchaPictures(Server, State);
}

void AddRelayHandlers(httplib::Server &Server, TApiState &State, const TApiOrigins &Origins)
{
    // Each method as a GET with its query or as a POST of a form, which keeps
    // the password out of the URL; the fields of both count.
    const auto serve = [&Server](const std::string &Path, const httplib::Server::Handler &Handler) {
        Server.Get(Path, Handler);
        Server.Post(Path, Handler);
    };
    serve("/vk/auth.checkPhone", [&State](const httplib::Request &Request, httplib::Response &Response) {
        const TFields fields = RequestFields(Request);
        std::lock_guard lock(State.Lock());
        if (CheckRelayRequest(State, u"auth.checkPhone"_s, fields, Response))
            SendResponse(Response, 1);
    });
    serve("/vk/auth.signup", [&State, &Origins](const httplib::Request &Request, httplib::Response &Response) {
        const TFields fields = RequestFields(Request);
        std::lock_guard lock(State.Lock());
        if (CheckRelayRequest(State, u"auth.signup"_s, fields, Response))
            Signup(State, Origins, fields, Response);
    });
    serve("/vk/auth.confirm", [&State](const httplib::Request &Request, httplib::Response &Response) {
        const TFields fields = RequestFields(Request);
        std::lock_guard lock(State.Lock());
        if (CheckRelayRequest(State, u"auth.confirm"_s, fields, Response))
            Confirm(State, fields, Response);
    });
    AddCaptchaPictures(Server, State);
}

} // namespace Standin
