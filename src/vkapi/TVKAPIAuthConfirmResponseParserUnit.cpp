#include "vkapi/TVKAPIAuthConfirmResponseParserUnit.h"

using namespace VKAPIJSON;

TVKAPIAuthConfirmResponseParserResult::TVKAPIAuthConfirmResponseParserResult(const TCloneable &Source) :
      TVKAPIResponseParserResult(Source)
{
    if (const auto *source = dynamic_cast<const TVKAPIAuthConfirmResponseParserResult *>(&Source)) {
        Success = source->Success;
        UID = source->UID;
    }
}

std::unique_ptr<TCloneable> TVKAPIAuthConfirmResponseParserResult::Clone() const
{
    return std::make_unique<TVKAPIAuthConfirmResponseParserResult>(*static_cast<const TCloneable *>(this));
}

std::unique_ptr<TAPIResponseParserResult> TVKAPIAuthConfirmResponseParser::CreateResult() const
{
    return std::make_unique<TVKAPIAuthConfirmResponseParserResult>();
}

void TVKAPIAuthConfirmResponseParser::ParseResponse(const QJsonValue &Value)
{
    const QJsonObject response = ToObject(Value, QLatin1StringView("response"));
    const bool success = IntegerMember(response, QLatin1StringView("success")) == 1;
    const int uid = response.contains(QLatin1StringView("uid")) ? IntegerMember(response, QLatin1StringView("uid")) : 0;
    GetResult().Success = success;
    GetResult().UID = uid;
}
