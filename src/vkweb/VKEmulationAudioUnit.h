#pragma once

#include "tracks/records/QelmTypesUnit.h"

#include <QList>
#include <QString>
#include <QStringList>

class TCookieManager;

// The site's audio endpoint, "/al_audio.php" on the VK web host: a form POST
// with an "act" field, answered in Windows-1251 with the useful JSON between
// "<!json>" and "<!>". Every call blocks, keeps no state of its own, and
// throws Exception on any failure (transport, a missing block, JSON that does
// not parse or has another shape, a non-numeric field).

// One page of search results: the JSON object text of the answer.
QString LoadSearchSection(TCookieManager &CookieManager, const QString &SearchQuery, int OwnerID, int Offset);
// A user's list: the JSON object text of the answer.
QString LoadAudioList(TCookieManager &CookieManager, int OwnerID, int AlbumID);
// The stream URLs of the tracks named by IDs ("owner_aid" texts), in the answer's order.
QStringList ReloadAudioURLs(TCookieManager &CookieManager, const QString &IDs);
// Adds a copy of the track to the signed-in user's list and returns the copy.
TVKAudioRecord AddAudio(TCookieManager &CookieManager, int OwnerID, int AID, const QString &Hashes);
// Removes the track from the signed-in user's list. Succeeds only on the
// endpoint's own framed answer, not on a login or error page.
void DeleteAudio(TCookieManager &CookieManager, int OwnerID, int AID, const QString &Hashes);

// The tracks of the object's "list" member, in order.
QList<TVKAudioRecord> ParseAudioList(const QString &Text);
// One track from the site's array form, the whole text being that array.
TVKAudioRecord ParseAudioRecord(const QString &Text);
