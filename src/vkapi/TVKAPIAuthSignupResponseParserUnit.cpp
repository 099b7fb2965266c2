#include "vkapi/TVKAPIAuthSignupResponseParserUnit.h"

using namespace VKAPIJSON;

TVKAPIAuthSignupResponseParserResult::TVKAPIAuthSignupResponseParserResult(const TCloneable &Source) :
      TVKAPIResponseParserResult(Source)
{
    if (const auto *source = dynamic_cast<const TVKAPIAuthSignupResponseParserResult *>(&Source))
        SID = source->SID;
}

std::unique_ptr<TCloneable> TVKAPIAuthSignupResponseParserResult::Clone() const
{
    return std::make_unique<TVKAPIAuthSignupResponseParserResult>(*static_cast<const TCloneable *>(this));
}

std::unique_ptr<TAPIResponseParserResult> TVKAPIAuthSignupResponseParser::CreateResult() const
{
    return std::make_unique<TVKAPIAuthSignupResponseParserResult>();
}

void TVKAPIAuthSignupResponseParser::ParseResponse(const QJsonValue &Value)
{
    GetResult().SID = StringMember(ToObject(Value, QLatin1StringView("response")), QLatin1StringView("sid"));
}
