// Starts one download into the music folder and waits to be killed: the
// program's end that no clean-up sees.
//   download_until_killed URL MUSIC_FOLDER
// Prints "downloading" once the first bytes are in the partial file.
#include "app/application/ApplicationUnit.h"
#include "app/globals/TGlobalObjectsUnit.h"
#include "app/helpers/TQelmPathManagerUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "settings/TQelmSettingsUnit.h"
#include "tracks/lists/TLocalAudioDataUnit.h"
#include "tracks/lists/TSavedTracksDataSetUnit.h"
#include "tracks/records/QelmTypesUnit.h"
#include "vkweb/TVKEmulationManagerUnit.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    TApplication application(argc, argv);
    if (argc != 3)
        return 2;
    GetInstance<TQelmSettings>()->SetCustomMusicFolderFlag(true);
    GetInstance<TQelmSettings>()->SetCustomMusicFolderPath(QString::fromLocal8Bit(argv[2]));
    TGlobalObjects globals;
    TVKEmulationManager manager;
    TSavedTracksDataSet savedTracks(GetSavedTracksDBPath());
    TLocalAudioData downloads(manager, savedTracks);
    bool told = false;
    downloads.OnItemDownloadPercentChangedEvent = [&told](TObject *, int, int) {
        if (!std::exchange(told, true)) {
            std::puts("downloading");
            std::fflush(stdout);
        }
    };
    TVKAudioRecord track;
    track.AID = 99;
    track.OwnerID = 3001;
    track.Artist = QStringLiteral("Killed");
    track.Title = QStringLiteral("Midway");
    track.URL = QString::fromLocal8Bit(argv[1]);
    downloads.DownloadTrack(TVKAudioPlaylistItem(track));
    return QCoreApplication::exec();
}
