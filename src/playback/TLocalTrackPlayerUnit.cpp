#include "playback/TLocalTrackPlayerUnit.h"

#include "playback/AudioLibraryUnit.h"
#include "playback/TAudioPlayerUnit.h"

void TLocalTrackPlayer::Execute()
{
    FChannel = AudioLibrary::StreamCreateFile(FFilePath);
    if (FChannel == 0) {
        FResultCode = 1;
        return;
    }
    if (AudioLibrary::ChannelSetSyncEnd(FChannel, &SyncEndCallBack, 0) == 0) {
        FResultCode = 1;
        AudioLibrary::StreamFree(FChannel);
        return;
    }
    if (IsAborted()) {
        FResultCode = 2;
        AudioLibrary::StreamFree(FChannel);
        return;
    }
    FResultCode = 0;
}
