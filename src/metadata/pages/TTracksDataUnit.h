#pragma once

#include "lastfm/TLastFMAPIRequestManagerUnit.h"
#include "metadata/blocks/TMetaDataBlockUnit.h"
#include "metadata/pages/TLastFMBlockRequestsUnit.h"

#include <QString>

#include <memory>

class TVKCompositeAudioData;
class TVKEmulationManager;
struct TCompositeTracksLookupData;

// Last.fm tracks matched to playable VK tracks: the matching itself is the
// composite track list's, which this block owns.
class TCustomTracksData : public TMetaDataBlock
{
public:
    TCustomTracksData(TVKEmulationManager &AVKEmulationManager, TLastFMAPIRequestManager &ALastFMRequestManager);
    ~TCustomTracksData() override;

    TVKCompositeAudioData &TracksData() const { return *FTracksData; }
    // Hands the tracks to the composite list to look up: mdsLoaded.
    void SetTracks(const TCompositeTracksLookupData &Tracks);
    // Loaded, and every track found on the site or known to be missing.
    bool IsMatched() const;

protected:
    TLastFMBlockRequests FRequests;

private:
    std::unique_ptr<TVKCompositeAudioData> FTracksData;
};

// An artist's best-known tracks.
class TTopArtistTracksData : public TCustomTracksData
{
public:
    // How many tracks are asked for.
    static constexpr int TopTracksCount = 5;

    using TCustomTracksData::TCustomTracksData;

    const QString &Artist() const { return FArtist; }
    void SetArtist(const QString &Value);

private:
    QString FArtist;
};
