#pragma once

#include "foundation/TThreadedObjectUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"
#include "vkweb/VKEmulationUtilsUnit.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// Loads one captcha image from "/captcha.php" with the session's cookies.
class TVKEmulationCaptchaLoaderTask : public TThreadedObject
{
public:
    TVKEmulationCaptchaLoaderTask(
        TVKEmulationSession ASession, const TVKTransportTimeouts &ATimeouts, QString ACaptchaSid);

    // 0 loaded, 1 failed.
    std::uint8_t ResultCode() const { return FResultCode; }
    const QByteArray &ImageStream() const { return FImageStream; }

protected:
    void Execute() override;
    void ExecuteFailed(const QString &Message) override;

private:
    TVKEmulationSession FSession;
    TVKTransportTimeouts FTimeouts;
    QString FCaptchaSid;
    std::uint8_t FResultCode = 1;
    QByteArray FImageStream;
};
