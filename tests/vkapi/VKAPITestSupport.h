#pragma once

#include "foundation/TThreadedObjectsManagerUnit.h"
#include "vkapi/TVKAPIManagerUnit.h"
#include "vkapi/TVKAPIRequestManagerUnit.h"
#include "vkapi/TVKAPIUsersSelectResponseParserUnit.h"
#include "vkweb/VKWebTestSupport.h"

#include <QJsonObject>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// What a finished request delivered, copied while its invoker lived.
struct TDelivery
{
    QString Tag;
    TAPIRequestInvokerResultCode Code = irOK;
    THTTPRequestResultCode HTTPCode = hrOK;
    QString HTTPError;
    std::uint8_t ParserCode = 0;
    QString APIErrorMessage;
    QList<TVKUserRecord> Users;
};

// The stand-in, a threaded-objects manager and a VK API manager made after
// the stand-in's addresses are set.
class VKAPIStandinTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A result callback that records into FDelivered under Tag.
    TNotifyEvent Record(const QString &Tag);
    // Queues "users.get" for UserIDs under a new operation, recorded under UserIDs.
    void AddUsersGet(TVKAPIRequestManager &Manager, const QString &UserIDs);
    const TDelivery *Delivered(const QString &Tag) const;

    // The fields (query and form) of each request the stand-in served on Host
    // ("api", "relay") with a path ending in Method, in order.
    std::vector<QJsonObject> Served(const QString &Host, const QString &Method) const;

    TStandin FStandin;
    std::unique_ptr<TVKAPIManager> FManager;
    std::vector<TDelivery> FDelivered;
};
