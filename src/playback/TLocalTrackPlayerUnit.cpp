#include "playback/TLocalTrackPlayerUnit.h"

#include "playback/AudioLibraryUnit.h"
#include "playback/TAudioPlayerUnit.h"

void TLocalTrackPlayer::Execute()
{
    FChannel = AudioLibrary::StreamCreateFile(FFilePath);
    if (FChannel == 0) {
        FResultCode = TTrackPlayerResult::trFailed;
        return;
    }
    if (AudioLibrary::ChannelSetSyncEnd(FChannel, &SyncEndCallBack, 0) == 0) {
        FResultCode = TTrackPlayerResult::trFailed;
        AudioLibrary::StreamFree(FChannel);
        return;
    }
    if (IsAborted()) {
        FResultCode = TTrackPlayerResult::trAborted;
        AudioLibrary::StreamFree(FChannel);
        return;
    }
    FResultCode = TTrackPlayerResult::trOpened;
}
