#pragma once

#include "foundation/TThreadedObjectUnit.h"
#include "playback/TAudioPlayerUnit.h"

#include <cstdint>

// Opens a saved track's file and attaches the player's end notification.
class TLocalTrackPlayer : public TThreadedObject
{
public:
    explicit TLocalTrackPlayer(QString AFilePath) : FFilePath(std::move(AFilePath)) { }

    std::uint32_t Channel() const { return FChannel; }
    TTrackPlayerResult ResultCode() const { return FResultCode; }

protected:
    void Execute() override;

private:
    QString FFilePath;
    std::uint32_t FChannel = 0;
    TTrackPlayerResult FResultCode = TTrackPlayerResult::trFailed;
};
