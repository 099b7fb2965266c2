#pragma once

#include "foundation/TThreadedObjectUnit.h"
#include "requests/TAPIResponseParserUnit.h"
#include "requests/THTTPRequestExecutorUnit.h"

#include <functional>
#include <memory>

class TAPIRequest;

enum TAPIRequestInvokerResultCode : std::uint8_t {
    irOK = 0, // the answer was received and parsed
    irHTTPFailed = 1, // the exchange failed: see HTTPRequestResult
    irParserFailed = 2, // the parser reported a failure: see APIResponseParserResult
};

struct TAPIRequestInvokerResult
{
    TAPIRequestInvokerResultCode ResultCode = irOK;
    THTTPRequestResult HTTPRequestResult;
    // A copy of the parser's result; absent when the exchange failed.
    std::unique_ptr<TAPIResponseParserResult> APIResponseParserResult;
};

// Runs one API request: a GET of its URL (or a POST of its parameters when it
// posts them), then the parser of the concrete invoker on the answer. Nothing
// is retried here.
class TAPIRequestInvoker : public TThreadedObject
{
public:
    explicit TAPIRequestInvoker(std::unique_ptr<TAPIRequest> ARequest);
    ~TAPIRequestInvoker() override;

    TAPIRequest &Request() const { return *FRequest; }
    const TAPIRequestInvokerResult &Result() const { return FResult; }
    TAPIResponseParserResult *APIResult() const { return FResult.APIResponseParserResult.get(); }

protected:
    void Execute() override;
    // An error that escaped the work (no thread for the exchange, a parser
    // that could not be made) is a failed exchange, never a success.
    void ExecuteFailed(const QString &Message) override;
    virtual TAPIResponseParserClass GetResponseParserClass() const = 0;

private:
    std::unique_ptr<TAPIRequest> FRequest;
    TAPIRequestInvokerResult FResult;
};

// What a class reference of an invoker family does here: makes an invoker
// that owns the given request.
using TAPIRequestInvokerClass = std::function<std::unique_ptr<TAPIRequestInvoker>(std::unique_ptr<TAPIRequest>)>;

template<class TInvoker> TAPIRequestInvokerClass InvokerClass()
{
    return [](std::unique_ptr<TAPIRequest> Request) { return std::make_unique<TInvoker>(std::move(Request)); };
}
