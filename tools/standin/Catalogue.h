#pragma once

#include <QString>

#include <vector>

namespace Standin {

// One audio file of the stand-in, shared by many tracks.
struct TToneFile
{
    QString Name; // file name under the audio folder
    int Seconds = 0;
};

// A track as the site keeps it: titles and artists are HTML text, sent as they stand.
struct TTrack
{
    int AID = 0;
    int OwnerID = 0;
    QString Artist;
    QString Title;
    int Duration = 0;
    QString ToneFile;
    bool Blocked = false; // the site hands out an empty URL for it
};

// The site's per-track tokens, "/"-separated: adding first, removing second.
QString TrackHashes(const TTrack &Track);
inline QString AddHash(const TTrack &Track)
{
    return TrackHashes(Track).section(u'/', 0, 0);
}
inline QString DeleteHash(const TTrack &Track)
{
    return TrackHashes(Track).section(u'/', 1, 1);
}

// The tracks everyone can find: a few hundred, spread over a handful of owners
// whose AIDs overlap (an AID is unique only within its owner).
class TCatalogue
{
public:
    explicit TCatalogue(const std::vector<TToneFile> &Tones);

    const std::vector<TTrack> &Tracks() const { return FTracks; }
    const TTrack *Find(int OwnerID, int AID) const;
    std::vector<TTrack> OwnedBy(int OwnerID) const;
    // Tracks whose "artist title" or "artist - title" holds the query, ignoring case;
    // an empty query finds all.
    std::vector<TTrack> Search(const QString &Query) const;

    // HTML text as a reader sees it (the few references the catalogue uses).
    static QString PlainText(const QString &Html);

private:
    std::vector<TTrack> FTracks;
};

} // namespace Standin
