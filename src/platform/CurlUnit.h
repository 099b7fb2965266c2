#pragma once

#include <memory>

// The one libcurl layer of the program: every HTTP user (the request
// executor, the file downloader, the audio stream download, the browser-like
// VK transport) gets its handles here, so the global set-up and the options
// that keep exchanges safe live in one place. Handles are typed
// (CURL_STRICTER) and owned; curl's headers stay out of ours.
struct Curl_easy;
struct Curl_multi;
struct curl_slist;

namespace Curl {

struct TEasyDeleter
{
    void operator()(Curl_easy *Handle) const;
};
struct TMultiDeleter
{
    void operator()(Curl_multi *Handle) const;
};
struct TListDeleter
{
    void operator()(curl_slist *List) const;
};

using TEasyHandle = std::unique_ptr<Curl_easy, TEasyDeleter>;
using TMultiHandle = std::unique_ptr<Curl_multi, TMultiDeleter>;
using THeaderList = std::unique_ptr<curl_slist, TListDeleter>;

// A new exchange with the common options: http and https only (also on
// redirects), no signals, TLS peer and host verification on, no proxy for
// loopback addresses. The global initialization happens on first use.
TEasyHandle NewEasy();
TMultiHandle NewMulti();

// Appends one header line; the list keeps its own copy of the text.
void AppendHeader(THeaderList &List, const char *Line);

} // namespace Curl
