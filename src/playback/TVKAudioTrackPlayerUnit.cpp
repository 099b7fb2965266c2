#include "playback/TVKAudioTrackPlayerUnit.h"

#include "playback/AudioLibraryUnit.h"
#include "playback/TAudioPlayerUnit.h"

void TVKAudioTrackPlayer::AbortConnection()
{
    Abort();
    FConnectionAbort.Abort();
}

void TVKAudioTrackPlayer::Execute()
{
    // The player counts only the blocks of the track player it started last.
    FChannel = AudioLibrary::StreamCreateURL(FURL, &DownloadProcCallBack, ID(), &FConnectionAbort);
    if (FChannel == 0) {
        FResultCode = IsAborted() ? TTrackPlayerResult::trAborted : TTrackPlayerResult::trFailed;
        return;
    }
    const std::int64_t start = AudioLibrary::StreamGetFilePosition(FChannel, AudioLibrary::TFilePosition::fpStart);
    const std::int64_t end = AudioLibrary::StreamGetFilePosition(FChannel, AudioLibrary::TFilePosition::fpEnd);
    if (start == -1 || end == -1 || AudioLibrary::ChannelSetSyncEnd(FChannel, &SyncEndCallBack, 0) == 0) {
        FResultCode = TTrackPlayerResult::trFailed;
        AudioLibrary::StreamFree(FChannel);
        return;
    }
    FFileSize = start + end;
    if (IsAborted()) {
        FResultCode = TTrackPlayerResult::trAborted;
        AudioLibrary::StreamFree(FChannel);
        return;
    }
    FResultCode = TTrackPlayerResult::trOpened;
}
