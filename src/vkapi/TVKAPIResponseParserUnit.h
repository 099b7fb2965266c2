#pragma once

#include "requests/TAPIResponseParserUnit.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

// Result codes of the VK API parsers, after the shared 0 and 1.
enum TVKAPIResponseParserResultCode : std::uint8_t {
    vkOK = prOK,
    vkParseFailed
    = prParseFailed, // not a JSON object, or neither "response" nor "error", or a member missing or mistyped
    vkAPIError = 2, // an error without a code of its own below
    vkTokenRefused = 3, // error 5 or 7 of a method that needs a token
    vkCaptchaNeeded = 4, // error 14; CaptchaSID and CaptchaURL are filled
    vkPhoneUsed = 5, // error 1004 of "auth.signup" or "auth.checkPhone"
    vkPhoneInvalid = 6, // error 1000 or 100 of "auth.checkPhone"
    vkWrongCode = 7, // error 1110 of "auth.confirm"
    vkSignupExpired = 8, // error 1111 of "auth.confirm": the sign-up must be repeated
};

class TVKAPIResponseParserResult : public TAPIResponseParserResult
{
public:
    TVKAPIResponseParserResult() = default;
    explicit TVKAPIResponseParserResult(const TCloneable &Source);
    std::unique_ptr<TCloneable> Clone() const override;

    QString CaptchaSID;
    QString CaptchaURL;
};

// Tells a VK API answer ({"response": ...} or {"error": {...}}) apart and maps
// the error to a result code by method. Descendants read the response in
// ParseResponse; what they throw (Exception) makes the result code 1.
class TVKAPIResponseParser : public TAPIResponseParser
{
public:
    using TAPIResponseParser::TAPIResponseParser;
    TVKAPIResponseParserResult &GetResult() { return static_cast<TVKAPIResponseParserResult &>(Result()); }

protected:
    void Execute() override;
    std::unique_ptr<TAPIResponseParserResult> CreateResult() const override;
    virtual void ParseResponse(const QJsonValue &Value) { (void)Value; }

private:
    void ParseError(const QJsonValue &Value);
};

// Reading members of a known type; each throws Exception naming the member
// when it is missing or of another type.
namespace VKAPIJSON {
QJsonObject ToObject(const QJsonValue &Value, QLatin1StringView What);
QJsonArray ToArray(const QJsonValue &Value, QLatin1StringView What);
QString StringMember(const QJsonObject &Object, QLatin1StringView Name);
// A JSON number without a fraction, or a string of a decimal integer, within 32 bits.
int IntegerMember(const QJsonObject &Object, QLatin1StringView Name);
} // namespace VKAPIJSON
