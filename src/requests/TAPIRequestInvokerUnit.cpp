#include "requests/TAPIRequestInvokerUnit.h"

#include "requests/TAPIRequestFactoryUnit.h"

TAPIRequestInvoker::TAPIRequestInvoker(std::unique_ptr<TAPIRequest> ARequest) : FRequest(std::move(ARequest))
{
}

TAPIRequestInvoker::~TAPIRequestInvoker() = default;

void TAPIRequestInvoker::Execute()
{
    THTTPRequestExecutor executor(FRequest->ToURL());
    executor.Start(true);
    FResult.HTTPRequestResult = executor.Result();
    if (FResult.HTTPRequestResult.ResultCode != 0) {
        FResult.ResultCode = 1;
        return;
    }
    const std::unique_ptr<TAPIResponseParser> parser = GetResponseParserClass()(executor.Result().Response);
    parser->Start(true);
    FResult.APIResponseParserResult = CloneOf(parser->Result());
    FResult.ResultCode = FResult.APIResponseParserResult->ResultCode != 0 ? 2 : 0;
}

void TAPIRequestInvoker::ExecuteFailed(const QString &Message)
{
    FResult.ResultCode = 1;
    FResult.HTTPRequestResult.ResultCode = 4;
    FResult.HTTPRequestResult.ErrorMessage = Message;
    FResult.APIResponseParserResult.reset();
}
