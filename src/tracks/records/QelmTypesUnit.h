#pragma once

#include <QString>

// A VK track as the web client reads it and as the lists and playlists pass it on.
struct TVKAudioRecord
{
    int AID = 0;
    int OwnerID = 0;
    QString Artist;
    QString Title;
    int Duration = 0;
    QString URL;
    QString LyricsID;
    QString AlbumID;
    QString Hashes; // the site's action tokens, separated by "/"
};

// One row of the saved-tracks table.
struct TSavedTrackRecord
{
    int AID = 0;
    int OwnerID = 0;
    QString Artist;
    QString Title;
    int Duration = 0;
    QString LyricsID;
    QString AlbumID;
    QString FilePath;
};

// How the site names a track: owner, underscore, track ("5_42", "-5_42").
QString GetVKAudioFullID(int OwnerID, int AID);
