#pragma once

#include "foundation/TThreadedObjectUnit.h"

#include <cstdint>

// Opens a saved track's file and attaches the player's end notification.
// Result codes: 0 opened, 1 failed, 2 aborted (the stream is freed again).
class TLocalTrackPlayer : public TThreadedObject
{
public:
    explicit TLocalTrackPlayer(QString AFilePath) : FFilePath(std::move(AFilePath)) {}

    std::uint32_t Channel() const { return FChannel; }
    std::uint8_t ResultCode() const { return FResultCode; }

protected:
    void Execute() override;

private:
    QString FFilePath;
    std::uint32_t FChannel = 0;
    std::uint8_t FResultCode = 1;
};
