#include "vkweb/StandinCatalogue.h"

#include "vkweb/VKEmulationAudioUnit.h"

TVKAudioRecord StandinBlockedTrack(TCookieManager &Jar)
{
    // Lists never carry URLs: only the look-up tells a blocked track.
    for (const int owner : {-2001, 3001, 3002, 3003}) {
        const QList<TVKAudioRecord> tracks = ParseAudioList(LoadAudioList(Jar, owner, -2));
        QStringList ids;
        for (const TVKAudioRecord &track : tracks)
            ids << QString::number(track.OwnerID) + u'_' + QString::number(track.AID);
        const QStringList urls = ReloadAudioURLs(Jar, ids.join(u','));
        for (qsizetype i = 0; i < urls.size() && i < tracks.size(); ++i)
            if (urls[i].isEmpty())
                return tracks[i];
    }
    return {};
}
