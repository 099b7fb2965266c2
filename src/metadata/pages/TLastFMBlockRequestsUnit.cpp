#include "metadata/pages/TLastFMBlockRequestsUnit.h"

namespace {
// The service's code for an unknown artist or album, and for a refused search.
constexpr std::uint8_t CNotFoundErrorCode = 6;
} // namespace

TLastFMAnswer LastFMAnswerOf(const TAPIRequestInvoker &Invoker)
{
    switch (Invoker.Result().ResultCode) {
    case irOK:
        return TLastFMAnswer::laLoaded;
    case irHTTPFailed:
        return TLastFMAnswer::laRequestFailed;
    case irParserFailed:
        break;
    }
    const TAPIResponseParserResult *result = Invoker.APIResult();
    return result && result->APIErrorCode == CNotFoundErrorCode ? TLastFMAnswer::laNotFound
                                                                : TLastFMAnswer::laServiceError;
}

std::uint8_t FailedAnswerState(TLastFMAnswer Answer, std::uint8_t NotFoundState)
{
    switch (Answer) {
    case TLastFMAnswer::laRequestFailed:
        return mdsRequestFailed;
    case TLastFMAnswer::laNotFound:
        return NotFoundState;
    default:
        return mdsServiceError;
    }
}

TLastFMBlockRequests::TLastFMBlockRequests(TLastFMAPIRequestManager &AManager) :
      FManager(AManager), FOperationID(static_cast<std::uint32_t>(GetInstance<TLastFMOperationIDGenerator>()->GetID()))
{
}

TLastFMBlockRequests::~TLastFMBlockRequests()
{
    Cancel();
}

void TLastFMBlockRequests::Cancel()
{
    FManager.Delete(FOperationID);
}
