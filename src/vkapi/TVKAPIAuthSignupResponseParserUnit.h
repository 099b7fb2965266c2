#pragma once

#include "vkapi/TVKAPIResponseParserUnit.h"

class TVKAPIAuthSignupResponseParserResult : public TVKAPIResponseParserResult
{
public:
    TVKAPIAuthSignupResponseParserResult() = default;
    explicit TVKAPIAuthSignupResponseParserResult(const TCloneable &Source);
    std::unique_ptr<TCloneable> Clone() const override;

    QString SID;
};

// "auth.signup": an object with the sign-up session's "sid".
class TVKAPIAuthSignupResponseParser : public TVKAPIResponseParser
{
public:
    using TVKAPIResponseParser::TVKAPIResponseParser;
    TVKAPIAuthSignupResponseParserResult &GetResult()
    {
        return static_cast<TVKAPIAuthSignupResponseParserResult &>(Result());
    }

protected:
    std::unique_ptr<TAPIResponseParserResult> CreateResult() const override;
    void ParseResponse(const QJsonValue &Value) override;
};
