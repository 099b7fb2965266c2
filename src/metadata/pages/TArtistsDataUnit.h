#pragma once

#include "lastfm/TLastFMAPIRequestManagerUnit.h"
#include "metadata/pages/TLastFMBlockRequestsUnit.h"
#include "metadata/pages/TMetaDataBlockListUnit.h"

#include <QString>

class TArtistsDataItem : public TImageMetaDataBlockItem
{
public:
    QString Name;
};

// Artists with their pictures.
class TCustomArtistsData : public TImageMetaDataBlockList
{
public:
    explicit TCustomArtistsData(TLastFMAPIRequestManager &ALastFMRequestManager);

    TArtistsDataItem &getItem(int Index) const
    {
        return static_cast<TArtistsDataItem &>(TImageMetaDataBlockList::getItem(Index));
    }

protected:
    std::unique_ptr<TImageMetaDataBlockItem> CreateItem() const override;
    void FillArtists(const TLastFMArtistsRecord &Artists);

    TLastFMBlockRequests FRequests;
};

// The similar artists of an artist page, filled from its artist's answer.
class TSimilarArtistsData : public TCustomArtistsData
{
public:
    using TCustomArtistsData::TCustomArtistsData;

    void SetData(const TLastFMArtistsRecord &Artists);
};

// The first page (FCount artists) of a search by name.
class TSearchArtistsData : public TCustomArtistsData
{
public:
    TSearchArtistsData(int ACount, TLastFMAPIRequestManager &ALastFMRequestManager);

    const QString &Query() const { return FQuery; }
    void SetQuery(const QString &Value);

private:
    int FCount;
    QString FQuery;
};
