#include "requests/TAPIRequestInvokerUnit.h"

#include "requests/TAPIRequestFactoryUnit.h"

TAPIRequestInvoker::TAPIRequestInvoker(std::unique_ptr<TAPIRequest> ARequest) : FRequest(std::move(ARequest))
{
}

TAPIRequestInvoker::~TAPIRequestInvoker() = default;

void TAPIRequestInvoker::Execute()
{
    THTTPRequestExecutor executor(FRequest->ToURL());
    if (FRequest->PostsParams()) {
        executor.PostData() = FRequest->ParamsList();
        executor.SetMimeType(QStringLiteral("application/x-www-form-urlencoded"));
    }
    executor.Start(true);
    FResult.HTTPRequestResult = executor.Result();
    // A redirect counts as a failure here.
    if (FResult.HTTPRequestResult.ResultCode != hrOK) {
        FResult.ResultCode = irHTTPFailed;
        return;
    }
    const std::unique_ptr<TAPIResponseParser> parser = GetResponseParserClass()(executor.Result().Response);
    parser->Start(true);
    FResult.APIResponseParserResult = CloneOf(parser->Result());
    FResult.ResultCode = FResult.APIResponseParserResult->ResultCode != prOK ? irParserFailed : irOK;
}

void TAPIRequestInvoker::ExecuteFailed(const QString &Message)
{
    FResult.ResultCode = irHTTPFailed;
    FResult.HTTPRequestResult.ResultCode = hrException;
    FResult.HTTPRequestResult.ErrorMessage = Message;
    FResult.APIResponseParserResult.reset();
}
