#include "vkapi/TVKAPIUsersSelectResponseParserUnit.h"

using namespace VKAPIJSON;

TVKAPIUsersSelectResponseResult::TVKAPIUsersSelectResponseResult(const TCloneable &Source) :
      TVKAPIResponseParserResult(Source)
{
    if (const auto *source = dynamic_cast<const TVKAPIUsersSelectResponseResult *>(&Source))
        Users = source->Users;
}

std::unique_ptr<TCloneable> TVKAPIUsersSelectResponseResult::Clone() const
{
    return std::make_unique<TVKAPIUsersSelectResponseResult>(*static_cast<const TCloneable *>(this));
}

std::unique_ptr<TAPIResponseParserResult> TVKAPIUsersSelectResponseParser::CreateResult() const
{
    return std::make_unique<TVKAPIUsersSelectResponseResult>();
}

void TVKAPIUsersSelectResponseParser::ParseResponse(const QJsonValue &Value)
{
    QList<TVKUserRecord> users;
    for (const QJsonValue &element : ToArray(Value, QLatin1StringView("response"))) {
        const QJsonObject user = ToObject(element, QLatin1StringView("user"));
        users.append({IntegerMember(user, QLatin1StringView("id")), StringMember(user, QLatin1StringView("first_name")),
            StringMember(user, QLatin1StringView("last_name"))});
    }
    GetResult().Users = std::move(users);
}
