#pragma once

#include "foundation/BaseTypesUnit.h"

#include <cstdint>

// Load states every block shares; a block family numbers its own from
// mdsFirstCustomState on.
enum TMetaDataBlockState : std::uint8_t {
    mdsInitial = 0, // never set
    mdsCleared = 1, // emptied, nothing shown yet
    mdsLoading = 2, // a request is in flight
    mdsLoaded = 3, // holds the answer for its subject
    mdsRequestFailed = 4, // the request did not complete
    mdsServiceError = 5, // the service refused, or its answer was unreadable
    mdsFirstCustomState = 6,
};

// An observable piece of data with a one-byte load state. The attached view
// follows it through OnStateChanged; the block never touches a control.
class TMetaDataBlock : public TObject
{
public:
    TMetaDataBlock() = default;
    TMetaDataBlock(const TMetaDataBlock &) = delete;
    TMetaDataBlock &operator=(const TMetaDataBlock &) = delete;

    std::uint8_t State() const { return FState; }
    // The state before the last change.
    std::uint8_t PreviousState() const { return FPreviousState; }
    // The last request did not complete or the service refused it: the same
    // subject asked for again is sent again.
    bool IsFailed() const { return FState == mdsRequestFailed || FState == mdsServiceError; }
    // A repeated value changes nothing and notifies nobody.
    void SetState(std::uint8_t Value);

    // One listener: the attached view.
    TNotifyEvent OnStateChanged;
    // Sets OnStateChanged on behalf of Listener.
    void Listen(const void *Listener, TNotifyEvent Handler);
    // Clears OnStateChanged only while Listener is the one that set it: a
    // pooled view may have handed the block on to another view meanwhile.
    void StopListening(const void *Listener);
    // One listener: the page navigation, told each time a setter is called,
    // with a new subject or not.
    TNotifyEvent OnDataParamsChanged;

protected:
    virtual void DoStateChanged();
    void DoDataParamsChanged();

private:
    std::uint8_t FState = mdsInitial;
    std::uint8_t FPreviousState = mdsInitial;
    const void *FListener = nullptr;
};
