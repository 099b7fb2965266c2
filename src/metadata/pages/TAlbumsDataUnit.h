#pragma once

#include "lastfm/TLastFMAPIRequestManagerUnit.h"
#include "metadata/pages/TLastFMBlockRequestsUnit.h"
#include "metadata/pages/TMetaDataBlockListUnit.h"

#include <QString>

class TAlbumsDataItem : public TImageMetaDataBlockItem
{
public:
    QString Artist;
    QString Title;
};

// Albums with their covers.
class TCustomAlbumsData : public TImageMetaDataBlockList
{
public:
    explicit TCustomAlbumsData(TLastFMAPIRequestManager &ALastFMRequestManager);

    TAlbumsDataItem &getItem(int Index) const
    {
        return static_cast<TAlbumsDataItem &>(TImageMetaDataBlockList::getItem(Index));
    }

protected:
    std::unique_ptr<TImageMetaDataBlockItem> CreateItem() const override;
    void FillAlbums(const TLastFMAlbumsRecord &Albums);

    TLastFMBlockRequests FRequests;
};

// An artist's best-known albums, FDesiredCount of them.
class TCustomTopArtistAlbumsData : public TCustomAlbumsData
{
public:
    TCustomTopArtistAlbumsData(int ADesiredCount, TLastFMAPIRequestManager &ALastFMRequestManager);

protected:
    void RequestTopAlbums(const QString &Artist, int Count);
    virtual void TopAlbumsReceived(const TLastFMArtistGetTopAlbumsRequestInvoker &Invoker);
    // Shows the answer's albums (mdsLoaded even without any).
    void ShowTopAlbums(const TLastFMAlbumsRecord &Albums);

    int FDesiredCount;
};

class TTopArtistAlbumsData : public TCustomTopArtistAlbumsData
{
public:
    using TCustomTopArtistAlbumsData::TCustomTopArtistAlbumsData;

    const QString &Artist() const { return FArtist; }
    void SetArtist(const QString &Value);

private:
    QString FArtist;
};

// The other albums of an album's artist: one more is asked for, as the
// album itself is taken out of the answer.
class TRelatedAlbumsData : public TCustomTopArtistAlbumsData
{
public:
    using TCustomTopArtistAlbumsData::TCustomTopArtistAlbumsData;

    void SetAlbum(const QString &Artist, const QString &Title);
    // No album: drops the request in flight and forgets the album, so that
    // the same album asked for again is requested again (mdsCleared).
    void Clear();

protected:
    void TopAlbumsReceived(const TLastFMArtistGetTopAlbumsRequestInvoker &Invoker) override;

private:
    QString FArtist;
    QString FTitle;
};

// The first page (FCount albums) of a search by album title.
class TSearchAlbumsData : public TCustomAlbumsData
{
public:
    TSearchAlbumsData(int ACount, TLastFMAPIRequestManager &ALastFMRequestManager);

    const QString &Query() const { return FQuery; }
    void SetQuery(const QString &Value);

private:
    int FCount;
    QString FQuery;
};
