#pragma once

#include "lastfm/TLastFMAPIRequestFactoryUnit.h"
#include "lastfm/TLastFMAPIRequestManagerUnit.h"
#include "metadata/blocks/TMetaDataBlockUnit.h"

#include <cstdint>
#include <functional>
#include <memory>

// How a block's Last.fm request ended.
enum class TLastFMAnswer {
    laLoaded, // parsed
    laRequestFailed, // the exchange did not complete
    laNotFound, // the service's error 6: no such subject, or a refused search
    laServiceError, // another error of the service, or an unreadable answer
};
TLastFMAnswer LastFMAnswerOf(const TAPIRequestInvoker &Invoker);
// The state a failed answer leaves a block in: mdsRequestFailed,
// NotFoundState, or mdsServiceError.
std::uint8_t FailedAnswerState(TLastFMAnswer Answer, std::uint8_t NotFoundState);

// A block's way to the shared Last.fm queue. All its requests go under one
// operation identifier, so each supersedes the one before and only the answer
// to the latest is ever delivered; whatever is still queued or running when
// the block goes is dropped. The queue must outlive the block.
class TLastFMBlockRequests
{
public:
    explicit TLastFMBlockRequests(TLastFMAPIRequestManager &AManager);
    ~TLastFMBlockRequests();
    TLastFMBlockRequests(const TLastFMBlockRequests &) = delete;
    TLastFMBlockRequests &operator=(const TLastFMBlockRequests &) = delete;

    std::uint32_t OperationID() const { return FOperationID; }
    // Drops the request queued or running: its answer is not delivered.
    void Cancel();

    // Received gets the finished invoker on the interface thread.
    template<class TInvoker>
    void Send(std::unique_ptr<TLastFMAPIRequest> Request, std::function<void(const TInvoker &)> Received)
    {
        FManager.Add(FOperationID,
            std::make_unique<TAPIRequestData>(InvokerClass<TInvoker>(), std::move(Request), nullptr,
                [Received = std::move(Received)](
                    TObject *Sender) { Received(*static_cast<const TInvoker *>(Sender)); }));
    }

private:
    TLastFMAPIRequestManager &FManager;
    std::uint32_t FOperationID;
};
