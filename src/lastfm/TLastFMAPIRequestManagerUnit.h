#pragma once

#include "foundation/TIDGeneratorUnit.h"
#include "lastfm/TLastFMAPIResponseParserUnit.h"
#include "requests/TAPIRequestInvokerUnit.h"
#include "requests/TAPIRequestManagerUnit.h"

#include <type_traits>
#include <utility>

// Operation identifiers of Last.fm requests: each metadata block takes one
// for all its requests, so that its newer request replaces its older one.
class TLastFMOperationIDGenerator : public TIDGenerator
{
protected:
    template<class C> friend C *GetInstance();
    TLastFMOperationIDGenerator() = default;
};

// Runs a Last.fm request and parses its answer with the common parser.
class TLastFMAPIRequestInvoker : public TAPIRequestInvoker
{
public:
    using TAPIRequestInvoker::TAPIRequestInvoker;

protected:
    TAPIResponseParserClass GetResponseParserClass() const override { return ParserClass<TLastFMAPIResponseParser>(); }
};

// The invoker of one method: its parser, and its result typed.
template<class TParser> class TLastFMMethodRequestInvoker : public TLastFMAPIRequestInvoker
{
public:
    using TLastFMAPIRequestInvoker::TLastFMAPIRequestInvoker;
    using TResult = std::remove_reference_t<decltype(std::declval<TParser &>().GetResult())>;

    // Null when the exchange failed.
    TResult *GetAPIResult() const { return static_cast<TResult *>(APIResult()); }

protected:
    TAPIResponseParserClass GetResponseParserClass() const override { return ParserClass<TParser>(); }
};

using TLastFMAlbumGetInfoRequestInvoker = TLastFMMethodRequestInvoker<TLastFMAlbumGetInfoResponseParser>;
using TLastFMArtistGetTopAlbumsRequestInvoker = TLastFMMethodRequestInvoker<TLastFMArtistGetTopAlbumsResponseParser>;
using TLastFMArtistGetInfoRequestInvoker = TLastFMMethodRequestInvoker<TLastFMArtistGetInfoResponseParser>;
using TLastFMArtistGetTopTracksRequestInvoker = TLastFMMethodRequestInvoker<TLastFMArtistGetTopTracksResponseParser>;
using TLastFMAlbumSearchRequestInvoker = TLastFMMethodRequestInvoker<TLastFMAlbumSearchResponseParser>;
using TLastFMArtistSearchRequestInvoker = TLastFMMethodRequestInvoker<TLastFMArtistSearchResponseParser>;

// The queue of Last.fm requests: the common queue discipline, its worker
// started at once. The main window makes one with an interval of 300 ms.
class TLastFMAPIRequestManager : public TAPIRequestManager
{
public:
    static constexpr std::uint32_t DefaultRequestsInterval = 300;

    explicit TLastFMAPIRequestManager(std::uint32_t ARequestsInterval = DefaultRequestsInterval);
    // Stops the worker before the object loses its type: the worker runs a
    // virtual operation.
    ~TLastFMAPIRequestManager() override;
};
