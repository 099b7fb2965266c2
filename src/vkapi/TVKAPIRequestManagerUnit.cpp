#include "vkapi/TVKAPIRequestManagerUnit.h"

#include "requests/TAPIRequestFactoryUnit.h"
#include "vkapi/TVKAPIRequestFactoryUnit.h"
#include "vkapi/TVKAPIRequestInvokerUnit.h"
#include "vkapi/TVKAPIResponseParserUnit.h"

#include <algorithm>
#include <utility>

namespace {

constexpr TAPIRequestStates CPending = StateSet(rsPending);
constexpr TAPIRequestStates CRunning = StateSet(rsRunning);
constexpr TAPIRequestStates CTokenRequired = StateSet(rsTokenRequired);
constexpr TAPIRequestStates CCaptchaNeeded = StateSet(rsCaptchaNeeded);

} // namespace

TVKAPIRequestManagerData::TVKAPIRequestManagerData(
    std::uint32_t AOperationID, std::unique_ptr<TAPIRequestData> AData, TAPIRequestStates AState) :
      TAPIRequestManagerData(AOperationID, std::move(AData))
{
    State = AState;
}

TVKAPIRequestManager::TVKAPIRequestManager(QString AAPIVersion, std::uint32_t ARequestsInterval,
    TCaptchaKeyRequestEvent AOnCaptchaKeyRequest, TNotifyEvent AOnTokenRequest) :
      TAPIRequestManager(ARequestsInterval),
      FAPIVersion(std::move(AAPIVersion)), FOnCaptchaKeyRequest(std::move(AOnCaptchaKeyRequest)),
      FOnTokenRequest(std::move(AOnTokenRequest))
{
    StartThread();
}

TVKAPIRequestManager::~TVKAPIRequestManager()
{
    // The worker runs this class's passes: it must end before the fields go.
    StopThread();
}

TVKAPIRequestManagerData &TVKAPIRequestManager::VKEntry(const std::unique_ptr<TAPIRequestManagerData> &Entry)
{
    return static_cast<TVKAPIRequestManagerData &>(*Entry);
}

const QString &TVKAPIRequestManager::MethodOf(const TAPIRequestManagerData &Entry)
{
    return Entry.Data->APIRequest->APIMethodName();
}

void TVKAPIRequestManager::AddCaptchaMethod(const QString &Method)
{
    if (!FCaptchaMethods.contains(Method))
        FCaptchaMethods.append(Method);
}

void TVKAPIRequestManager::DoAdd(std::uint32_t OperationID, std::unique_ptr<TAPIRequestData> AData)
{
    std::lock_guard guard(FLock);
    Delete(OperationID);
    const QString method = AData->APIRequest->APIMethodName();
    TAPIRequestStates state = CPending;
    if (FCaptchaMethods.contains(method))
        state |= CCaptchaNeeded;
    if (FIsWaitingForToken && !IsMethodOpen(method))
        state |= CTokenRequired;
    AData->APIRequest->setParam(QStringLiteral("v"), FAPIVersion);
    FRequests.push_back(std::make_unique<TVKAPIRequestManagerData>(OperationID, std::move(AData), state));
}

void TVKAPIRequestManager::DoReset()
{
    std::lock_guard guard(FLock);
    TAPIRequestManager::DoReset();
    FCaptchaMethods.clear();
    FIsWaitingForToken = false;
    FIsWaitingForCaptchaKey = false;
}

void TVKAPIRequestManager::InputToken(const QString &AToken)
{
    std::lock_guard guard(FLock);
    if (!FIsWaitingForToken)
        return;
    FIsWaitingForToken = false;
    FNewToken = AToken;
}

void TVKAPIRequestManager::InputCaptchaKey(const QString &ACaptchaSID, const QString &ACaptchaKey)
{
    std::lock_guard guard(FLock);
    if (!FIsWaitingForCaptchaKey)
        return;
    FIsWaitingForCaptchaKey = false;
    FCaptchaSID = ACaptchaSID;
    FCaptchaKey = ACaptchaKey;
}

void TVKAPIRequestManager::InputCaptchaFailure(const QString &AErrorMessage)
{
    std::lock_guard guard(FLock);
    if (!FIsWaitingForCaptchaKey)
        return;
    FIsWaitingForCaptchaKey = false;
    const QString method = std::exchange(FMethodWaitingForCaptcha, QString());
    FCaptchaMethods.removeAll(method);

    std::vector<std::unique_ptr<TAPIRequestManagerData>> failed;
    for (auto entry = FRequests.begin(); entry != FRequests.end();) {
        if (((*entry)->State & CCaptchaNeeded) && MethodOf(**entry) == method) {
            failed.push_back(std::move(*entry));
            entry = FRequests.erase(entry);
        } else {
            ++entry;
        }
    }
    for (const auto &entry : failed) {
        if (!entry->Data->OnRequestResult)
            continue;
        const std::unique_ptr<TAPIRequestInvoker> invoker = CreateInvoker(*entry->Data);
        if (auto *vkInvoker = dynamic_cast<TVKAPIRequestInvoker *>(invoker.get()))
            vkInvoker->Fail(AErrorMessage);
        entry->Data->OnRequestResult(invoker.get());
    }
}

void TVKAPIRequestManager::ProcessRequests()
{
    while (!Terminated()) {
        {
            std::lock_guard guard(FLock);
            ProcessPass();
        }
        AwaitNextPass();
    }
}

void TVKAPIRequestManager::ProcessPass()
{
    for (const auto &item : FRequests) {
        TVKAPIRequestManagerData &entry = VKEntry(item);
        if (entry.State == CPending) {
            if (TickCount() - FLastTaskExecutionTime < FRequestsInterval)
                continue;
            StartEntry(entry);
            return;
        }
        if (entry.State & CTokenRequired) {
            if (!FIsWaitingForToken && FNewToken.isEmpty()) {
                FIsWaitingForToken = true;
                QueueCall([this] {
                    if (FOnTokenRequest)
                        FOnTokenRequest(this);
                });
                return;
            }
            if (FIsWaitingForToken)
                continue;
            for (const auto &other : FRequests) {
                if (other->State & CTokenRequired) {
                    other->Data->APIRequest->setParam(QStringLiteral("access_token"), FNewToken);
                    other->State &= ~CTokenRequired;
                }
            }
            FNewToken.clear();
            return;
        }
        if (entry.State & CCaptchaNeeded) {
            const QString &method = MethodOf(entry);
            if (!FIsWaitingForCaptchaKey && FCaptchaSID.isEmpty()) {
                FIsWaitingForCaptchaKey = true;
                FMethodWaitingForCaptcha = method;
                QueueCall([this, sid = entry.CaptchaSID, url = entry.CaptchaURL] {
                    if (FOnCaptchaKeyRequest)
                        FOnCaptchaKeyRequest(this, sid, url);
                });
                return;
            }
            if (FIsWaitingForCaptchaKey || method != FMethodWaitingForCaptcha)
                continue;
            entry.Data->APIRequest->setParam(QStringLiteral("captcha_sid"), FCaptchaSID);
            entry.Data->APIRequest->setParam(QStringLiteral("captcha_key"), FCaptchaKey);
            entry.State = CPending;
            FCaptchaMethods.removeOne(method);
            for (const auto &other : FRequests) {
                if (other.get() != &entry && MethodOf(*other) == method)
                    other->State &= ~CCaptchaNeeded;
            }
            FCaptchaSID.clear();
            FCaptchaKey.clear();
            return;
        }
    }
}

void TVKAPIRequestManager::DoRequestEnd(TObject *Sender)
{
    const auto *invoker = static_cast<TAPIRequestInvoker *>(Sender);
    {
        std::lock_guard guard(FLock);
        auto found = std::find_if(FRequests.begin(), FRequests.end(),
            [invoker](const auto &e) { return e->RequestInvokerID == invoker->ID(); });
        if (found != FRequests.end()) {
            TVKAPIRequestManagerData &entry = VKEntry(*found);
            const auto *result = dynamic_cast<const TVKAPIResponseParserResult *>(invoker->APIResult());
            const bool apiFailed = invoker->Result().ResultCode == irParserFailed && result;
            // Without a handler nothing can ever supply a token: the refusal is the result.
            if (apiFailed && result->ResultCode == vkTokenRefused && FOnTokenRequest) {
                for (const auto &other : FRequests) {
                    if (IsMethodOpen(MethodOf(*other)))
                        continue;
                    // A running one runs again with the token; only that run delivers.
                    if (other->State & CRunning)
                        other->RequestInvokerID = 0;
                    other->State = (other->State | CPending | CTokenRequired) & ~CRunning;
                }
            } else if (apiFailed && result->ResultCode == vkCaptchaNeeded) {
                entry.State = (entry.State | CPending | CCaptchaNeeded) & ~CRunning;
                entry.CaptchaSID = result->CaptchaSID;
                entry.CaptchaURL = result->CaptchaURL;
                const QString &method = MethodOf(entry);
                AddCaptchaMethod(method);
                for (const auto &other : FRequests) {
                    if (other.get() != &entry && MethodOf(*other) == method)
                        other->State |= CCaptchaNeeded;
                }
            } else {
                entry.State = StateSet(rsFinished);
            }

            if (entry.State == StateSet(rsFinished)) {
                const TNotifyEvent onResult = entry.Data->OnRequestResult;
                FRequests.erase(found);
                if (onResult)
                    onResult(Sender);
            } else {
                // Retried first; its next run gets an invoker of its own.
                entry.RequestInvokerID = 0;
                std::rotate(FRequests.begin(), found, found + 1);
            }
        }
    }
    RaiseRequestEnd();
}
