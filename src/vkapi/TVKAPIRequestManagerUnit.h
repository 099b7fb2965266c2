#pragma once

#include "requests/TAPIRequestManagerUnit.h"

#include <QString>
#include <QStringList>

// States a VK API queue entry adds to the shared ones.
enum TVKAPIRequestState : unsigned {
    rsTokenRequired = rsFirstCustomState, // waits for an access token
    rsCaptchaNeeded, // waits for a captcha answer for its method
};

class TVKAPIRequestManagerData : public TAPIRequestManagerData
{
public:
    TVKAPIRequestManagerData(
        std::uint32_t AOperationID, std::unique_ptr<TAPIRequestData> AData, TAPIRequestStates AState);

    // The captcha this entry's last answer asked for.
    QString CaptchaSID;
    QString CaptchaURL;
};

using TCaptchaKeyRequestEvent
    = std::function<void(TObject *Sender, const QString &CaptchaSID, const QString &CaptchaURL)>;

// The VK API queue: adds the API version ("v") to every request, and holds
// back requests that wait for an access token or for a captcha answer until
// it arrives. A method answered with a captcha holds back every queued
// request of that method; the answer goes to the first, and the others then
// run without one.
//
// Everything runs on the interface thread except the worker's passes; both
// take the queue lock for every field below. The token and captcha requests
// are queued calls on the interface thread. Without a token handler a
// refused token is a plain failure of the request.
class TVKAPIRequestManager : public TAPIRequestManager
{
public:
    TVKAPIRequestManager(QString AAPIVersion, std::uint32_t ARequestsInterval,
        TCaptchaKeyRequestEvent AOnCaptchaKeyRequest, TNotifyEvent AOnTokenRequest);
    ~TVKAPIRequestManager() override;

    // Both are ignored unless a token or an answer is awaited.
    void InputToken(const QString &AToken);
    void InputCaptchaKey(const QString &ACaptchaSID, const QString &ACaptchaKey);
    // The awaited captcha cannot be shown: every request waiting for it ends
    // as a failed exchange (code 1) with AErrorMessage, and the wait is over.
    void InputCaptchaFailure(const QString &AErrorMessage);

    const QString &APIVersion() const { return FAPIVersion; }

protected:
    void ProcessRequests() override;
    void DoAdd(std::uint32_t OperationID, std::unique_ptr<TAPIRequestData> AData) override;
    void DoReset() override;
    void DoRequestEnd(TObject *Sender) override;

private:
    static TVKAPIRequestManagerData &VKEntry(const std::unique_ptr<TAPIRequestManagerData> &Entry);
    static const QString &MethodOf(const TAPIRequestManagerData &Entry);
    // One pass of the worker, with the lock held: at most one action.
    void ProcessPass();
    void AddCaptchaMethod(const QString &Method);

    QString FAPIVersion;
    // Methods that wait for a captcha answer, each once.
    QStringList FCaptchaMethods;
    bool FIsWaitingForToken = false;
    QString FNewToken;
    bool FIsWaitingForCaptchaKey = false;
    QString FMethodWaitingForCaptcha;
    QString FCaptchaSID;
    QString FCaptchaKey;
    TCaptchaKeyRequestEvent FOnCaptchaKeyRequest;
    TNotifyEvent FOnTokenRequest;
};
