#pragma once

#include "foundation/TThreadedObjectUnit.h"
#include "playback/AudioLibraryUnit.h"
#include "playback/TAudioPlayerUnit.h"

#include <cstdint>

// Connects to a VK track's stream URL and attaches the player's download and
// end notifications. An abort through AbortConnection ends a connection under
// way at once.
class TVKAudioTrackPlayer : public TThreadedObject
{
public:
    explicit TVKAudioTrackPlayer(QString AURL) : FURL(std::move(AURL)) { }

    TTrackPlayerResult ResultCode() const { return FResultCode; }
    // Any thread: aborts, and gives up the connection under way.
    void AbortConnection();
    std::uint32_t Channel() const { return FChannel; }
    std::int64_t FileSize() const { return FFileSize; }

protected:
    void Execute() override;

private:
    TTrackPlayerResult FResultCode = TTrackPlayerResult::trFailed;
    std::uint32_t FChannel = 0;
    QString FURL;
    std::int64_t FFileSize = 0;
    AudioLibrary::TConnectionAbort FConnectionAbort;
};
