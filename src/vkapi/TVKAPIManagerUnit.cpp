#include "vkapi/TVKAPIManagerUnit.h"

#include "vkapi/TVKAPIAuthManagerUnit.h"
#include "vkapi/TVKAPICaptchaManagerUnit.h"
#include "vkapi/TVKAPIRequestFactoryUnit.h"
#include "vkapi/TVKAPIRequestInvokerUnit.h"
#include "vkapi/TVKAPIRequestManagerUnit.h"
#include "vkapi/TVKAPIUsersSelectResponseParserUnit.h"

namespace {
constexpr std::uint32_t CRequestsInterval = 500;
}

std::uint32_t NewVKOperationID()
{
    return static_cast<std::uint32_t>(GetInstance<TVKOperationIDGenerator>()->GetID());
}

TVKAPIManager::TVKAPIManager(const QString &AAPIVersion)
{
    FRequestManager = std::make_unique<TVKAPIRequestManager>(
        AAPIVersion, CRequestsInterval,
        [this](TObject *, const QString &CaptchaSID, const QString &CaptchaURL) {
            FCaptchaManager->RequestCaptchaKey(CaptchaSID, CaptchaURL);
        },
        nullptr);
    FAuthManager = std::make_unique<TVKAPIAuthManager>(*this);
    FCaptchaManager = std::make_unique<TVKAPICaptchaManager>(*this);
}

TVKAPIManager::~TVKAPIManager()
{
    // Nothing is delivered to the parts below once they start to go.
    FRequestManager->Reset();
    FRequestManager->StopThread();
    FCaptchaManager.reset();
    FAuthManager.reset();
    FRequestManager.reset();
}

void TVKAPIManager::RequestUserName(int ID)
{
    if (ID == 0)
        return;
    FRequestManager->Add(NewVKOperationID(),
        std::make_unique<TAPIRequestData>(InvokerClass<TVKAPIUsersSelectRequestInvoker>(),
            TVKAPIRequestFactory::ConstructUsersGetRequest(QString::number(ID), {}, {}), nullptr,
            [this](TObject *Sender) { UserNameReceived(Sender); }));
}

void TVKAPIManager::UserNameReceived(TObject *Sender)
{
    const auto *invoker = static_cast<TVKAPIUsersSelectRequestInvoker *>(Sender);
    const TVKAPIUsersSelectResponseResult *result = invoker->GetAPIResult();
    // An answer without a user leaves the name as it was.
    if (invoker->Result().ResultCode != irOK || !result || result->Users.isEmpty())
        return;
    const TVKUserRecord &user = result->Users.first();
    FUserName = user.FirstName + u' ' + user.LastName;
    if (OnUserNameGet)
        OnUserNameGet(this);
}

void TVKAPIManager::Logout()
{
    FRequestManager->Reset();
    FAuthManager->Reset();
    FCaptchaManager->Reset();
    FUserName.clear();
}

void TVKAPIManager::StopThread()
{
    FRequestManager->StopThread();
}
