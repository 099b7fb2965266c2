#include "vkapi/TVKAPIResponseParserUnit.h"

#include "vkapi/TVKAPIRequestFactoryUnit.h"

#include <QJsonDocument>

#include <cmath>
#include <limits>

namespace VKAPIJSON {

namespace {

[[noreturn]] void Fail(QLatin1StringView What, const char *Expected)
{
    throw Exception(QStringLiteral("\"%1\" is missing or not %2").arg(What, QLatin1StringView(Expected)));
}

} // namespace

QJsonObject ToObject(const QJsonValue &Value, QLatin1StringView What)
{
    if (!Value.isObject())
        Fail(What, "an object");
    return Value.toObject();
}

QJsonArray ToArray(const QJsonValue &Value, QLatin1StringView What)
{
    if (!Value.isArray())
        Fail(What, "an array");
    return Value.toArray();
}

QString StringMember(const QJsonObject &Object, QLatin1StringView Name)
{
    const QJsonValue value = Object.value(Name);
    if (!value.isString())
        Fail(Name, "a text");
    return value.toString();
}

int IntegerMember(const QJsonObject &Object, QLatin1StringView Name)
{
    const QJsonValue value = Object.value(Name);
    if (value.isDouble()) {
        const double number = value.toDouble();
        if (std::trunc(number) == number && number >= std::numeric_limits<int>::min()
            && number <= std::numeric_limits<int>::max())
            return static_cast<int>(number);
    } else if (value.isString()) {
        bool ok = false;
        const int number = value.toString().toInt(&ok);
        if (ok)
            return number;
    }
    Fail(Name, "an integer");
}

} // namespace VKAPIJSON

using namespace VKAPIJSON;

TVKAPIResponseParserResult::TVKAPIResponseParserResult(const TCloneable &Source) : TAPIResponseParserResult(Source)
{
    if (const auto *source = dynamic_cast<const TVKAPIResponseParserResult *>(&Source)) {
        CaptchaSID = source->CaptchaSID;
        CaptchaURL = source->CaptchaURL;
    }
}

std::unique_ptr<TCloneable> TVKAPIResponseParserResult::Clone() const
{
    return std::make_unique<TVKAPIResponseParserResult>(*static_cast<const TCloneable *>(this));
}

std::unique_ptr<TAPIResponseParserResult> TVKAPIResponseParser::CreateResult() const
{
    return std::make_unique<TVKAPIResponseParserResult>();
}

void TVKAPIResponseParser::Execute()
{
    TVKAPIResponseParserResult &result = GetResult();
    try {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(JSONString().toUtf8(), &error);
        if (error.error != QJsonParseError::NoError)
            throw Exception(QStringLiteral("The answer is not JSON: ") + error.errorString());
        if (!document.isObject())
            throw Exception(QStringLiteral("The answer is not a JSON object"));
        // Looked up by name: the object model keeps no member order.
        const QJsonObject answer = document.object();
        if (answer.contains(QLatin1StringView("response")))
            ParseResponse(answer.value(QLatin1StringView("response")));
        else if (answer.contains(QLatin1StringView("error")))
            ParseError(answer.value(QLatin1StringView("error")));
        else
            throw Exception(QStringLiteral("The answer holds neither a response nor an error"));
    } catch (const Exception &e) {
        result.ResultCode = vkParseFailed;
        result.ErrorMessage = e.Message();
    }
}

void TVKAPIResponseParser::ParseError(const QJsonValue &Value)
{
    const QJsonObject error = ToObject(Value, QLatin1StringView("error"));
    const int code = IntegerMember(error, QLatin1StringView("error_code"));
    const QString message = StringMember(error, QLatin1StringView("error_msg"));
    QString method;
    const QJsonArray params
        = ToArray(error.value(QLatin1StringView("request_params")), QLatin1StringView("request_params"));
    for (const QJsonValue &element : params) {
        const QJsonObject param = ToObject(element, QLatin1StringView("request_params element"));
        if (StringMember(param, QLatin1StringView("key")) == u"method") {
            method = StringMember(param, QLatin1StringView("value"));
            break;
        }
    }

    TVKAPIResponseParserResult &result = GetResult();
    if ((code == 5 || code == 7) && !IsMethodOpen(method)) {
        result.ResultCode = vkTokenRefused;
    } else if (code == 14) {
        result.CaptchaSID = StringMember(error, QLatin1StringView("captcha_sid"));
        result.CaptchaURL = StringMember(error, QLatin1StringView("captcha_img"));
        result.ResultCode = vkCaptchaNeeded;
    } else if (code == 1004 && (method == u"auth.signup" || method == u"auth.checkPhone")) {
        result.ResultCode = vkPhoneUsed;
    } else if ((code == 1000 || code == 100) && method == u"auth.checkPhone") {
        result.ResultCode = vkPhoneInvalid;
    } else if (code == 1110 && method == u"auth.confirm") {
        result.ResultCode = vkWrongCode;
    } else if (code == 1111 && method == u"auth.confirm") {
        result.ResultCode = vkSignupExpired;
    } else {
        result.ResultCode = vkAPIError;
    }
    result.APIErrorMessage = message;
}
