#include "vkweb/TVKEmulationCaptchaLoaderTaskUnit.h"

#include "app/helpers/RemoteHostsUnit.h"
#include "app/helpers/TextUtilsUnit.h"
#include "foundation/BaseTypesUnit.h"
#include "vkweb/TCookieManagerUnit.h"

TVKEmulationCaptchaLoaderTask::TVKEmulationCaptchaLoaderTask(
    TVKEmulationSession ASession, const TVKTransportTimeouts &ATimeouts, QString ACaptchaSid) :
      FSession(std::move(ASession)),
      FTimeouts(ATimeouts), FCaptchaSid(std::move(ACaptchaSid))
{
}

void TVKEmulationCaptchaLoaderTask::Execute()
{
    try {
        if (!FSession.CookieManager)
            throw Exception(QStringLiteral("The task has no session"));
        QByteArray answer;
        const int status = SendVKRequest(
            GetVKWebURL() + QStringLiteral("/captcha.php?") + EncodeURLParams({QStringLiteral("sid=") + FCaptchaSid}),
            std::nullopt, *FSession.CookieManager, answer, FTimeouts);
        // An error page is no image the user could read.
        if (status < 200 || status > 299)
            throw Exception(QStringLiteral("No captcha image (HTTP %1)").arg(status));
        FImageStream = answer;
        FResultCode = 0;
    } catch (const std::exception &) {
        FResultCode = 1;
    }
}

void TVKEmulationCaptchaLoaderTask::ExecuteFailed(const QString &Message)
{
    (void)Message;
    FResultCode = 1;
}
