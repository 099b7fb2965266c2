#pragma once

#include "vkapi/TVKAPIResponseParserUnit.h"

class TVKAPIAuthConfirmResponseParserResult : public TVKAPIResponseParserResult
{
public:
    TVKAPIAuthConfirmResponseParserResult() = default;
    explicit TVKAPIAuthConfirmResponseParserResult(const TCloneable &Source);
    std::unique_ptr<TCloneable> Clone() const override;

    bool Success = false;
    int UID = 0;
};

// "auth.confirm": an object with "success" (1 for yes) and the new account's
// "uid", a number or a numeric text; an answer without "uid" leaves it 0.
class TVKAPIAuthConfirmResponseParser : public TVKAPIResponseParser
{
public:
    using TVKAPIResponseParser::TVKAPIResponseParser;
    TVKAPIAuthConfirmResponseParserResult &GetResult()
    {
        return static_cast<TVKAPIAuthConfirmResponseParserResult &>(Result());
    }

protected:
    std::unique_ptr<TAPIResponseParserResult> CreateResult() const override;
    void ParseResponse(const QJsonValue &Value) override;
};
