#include "requests/TAPIResponseParserUnit.h"

TAPIResponseParserResult::TAPIResponseParserResult(const TCloneable &Source)
{
    if (const auto *source = dynamic_cast<const TAPIResponseParserResult *>(&Source)) {
        ResultCode = source->ResultCode;
        ErrorMessage = source->ErrorMessage;
        APIErrorCode = source->APIErrorCode;
        APIErrorMessage = source->APIErrorMessage;
    }
}

std::unique_ptr<TCloneable> TAPIResponseParserResult::Clone() const
{
    return std::make_unique<TAPIResponseParserResult>(*this);
}

TAPIResponseParser::TAPIResponseParser(QString JSONString) : FJSONString(std::move(JSONString))
{
}

TAPIResponseParserResult &TAPIResponseParser::Result()
{
    // Created late because a constructor cannot reach a descendant's CreateResult.
    if (!FResult)
        FResult = CreateResult();
    return *FResult;
}

std::unique_ptr<TAPIResponseParserResult> TAPIResponseParser::CreateResult() const
{
    return std::make_unique<TAPIResponseParserResult>();
}

void TAPIResponseParser::ExecuteFailed(const QString &Message)
{
    if (Result().ResultCode == prOK) {
        Result().ResultCode = prParseFailed;
        Result().ErrorMessage = Message;
    }
}
