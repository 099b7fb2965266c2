#pragma once

#include "foundation/TThreadedObjectUnit.h"

#include <cstdint>

// Connects to a VK track's stream URL and attaches the player's download and
// end notifications. Result codes: 0 opened, 1 failed, 2 aborted (the stream
// is freed again). An abort is looked at only once the connection is made.
class TVKAudioTrackPlayer : public TThreadedObject
{
public:
    explicit TVKAudioTrackPlayer(QString AURL) : FURL(std::move(AURL)) {}

    std::uint8_t ResultCode() const { return FResultCode; }
    std::uint32_t Channel() const { return FChannel; }
    std::int64_t FileSize() const { return FFileSize; }

protected:
    void Execute() override;

private:
    std::uint8_t FResultCode = 1;
    std::uint32_t FChannel = 0;
    QString FURL;
    std::int64_t FFileSize = 0;
};
