#pragma once

#include "vkapi/TVKAPIResponseParserUnit.h"

#include <QList>

struct TVKUserRecord
{
    int ID = 0;
    QString FirstName;
    QString LastName;
};

class TVKAPIUsersSelectResponseResult : public TVKAPIResponseParserResult
{
public:
    TVKAPIUsersSelectResponseResult() = default;
    explicit TVKAPIUsersSelectResponseResult(const TCloneable &Source);
    std::unique_ptr<TCloneable> Clone() const override;

    QList<TVKUserRecord> Users;
};

// "users.get": an array of users, each with "id", "first_name" and "last_name".
class TVKAPIUsersSelectResponseParser : public TVKAPIResponseParser
{
public:
    using TVKAPIResponseParser::TVKAPIResponseParser;
    TVKAPIUsersSelectResponseResult &GetResult() { return static_cast<TVKAPIUsersSelectResponseResult &>(Result()); }

protected:
    std::unique_ptr<TAPIResponseParserResult> CreateResult() const override;
    void ParseResponse(const QJsonValue &Value) override;
};
