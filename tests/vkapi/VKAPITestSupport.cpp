#include "vkapi/VKAPITestSupport.h"

#include "vkapi/TVKAPIRequestFactoryUnit.h"
#include "vkapi/TVKAPIRequestInvokerUnit.h"

#include <QJsonDocument>

void VKAPIStandinTest::SetUp()
{
    ASSERT_TRUE(FStandin.IsReady());
    ThreadedObjectsManager = new TThreadedObjectsManager();
    FManager = std::make_unique<TVKAPIManager>(QStringLiteral("5.37"));
}

void VKAPIStandinTest::TearDown()
{
    FManager.reset();
    delete ThreadedObjectsManager;
    ThreadedObjectsManager = nullptr;
}

TNotifyEvent VKAPIStandinTest::Record(const QString &Tag)
{
    return [this, Tag](TObject *Sender) {
        const auto &invoker = *static_cast<TAPIRequestInvoker *>(Sender);
        TDelivery delivery;
        delivery.Tag = Tag;
        delivery.Code = invoker.Result().ResultCode;
        delivery.HTTPCode = invoker.Result().HTTPRequestResult.ResultCode;
        delivery.HTTPError = invoker.Result().HTTPRequestResult.ErrorMessage;
        if (const TAPIResponseParserResult *result = invoker.APIResult()) {
            delivery.ParserCode = result->ResultCode;
            delivery.APIErrorMessage = result->APIErrorMessage;
        }
        if (const auto *users = dynamic_cast<const TVKAPIUsersSelectResponseResult *>(invoker.APIResult()))
            delivery.Users = users->Users;
        FDelivered.push_back(delivery);
    };
}

void VKAPIStandinTest::AddUsersGet(TVKAPIRequestManager &Manager, const QString &UserIDs)
{
    Manager.Add(NewVKOperationID(),
        std::make_unique<TAPIRequestData>(InvokerClass<TVKAPIUsersSelectRequestInvoker>(),
            TVKAPIRequestFactory::ConstructUsersGetRequest(UserIDs, {}, {}), nullptr, Record(UserIDs)));
}

const TDelivery *VKAPIStandinTest::Delivered(const QString &Tag) const
{
    for (const TDelivery &delivery : FDelivered)
        if (delivery.Tag == Tag)
            return &delivery;
    return nullptr;
}

std::vector<QJsonObject> VKAPIStandinTest::Served(const QString &Host, const QString &Method) const
{
    std::vector<QJsonObject> queries;
    for (const QString &line : FStandin.LogLines()) {
        const QJsonObject request = QJsonDocument::fromJson(line.toUtf8()).object();
        if (request.value(u"host").toString() != Host || !request.value(u"path").toString().endsWith(Method))
            continue;
        QJsonObject fields = request.value(u"query").toObject();
        const QJsonObject form = request.value(u"form").toObject();
        for (auto field = form.begin(); field != form.end(); ++field)
            fields.insert(field.key(), field.value());
        queries.push_back(fields);
    }
    return queries;
}
