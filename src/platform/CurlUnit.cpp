#include "platform/CurlUnit.h"

#include <curl/curl.h>

#include <mutex>

namespace Curl {

namespace {

void InitializeLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

void TEasyDeleter::operator()(Curl_easy *Handle) const
{
    curl_easy_cleanup(Handle);
}

void TMultiDeleter::operator()(Curl_multi *Handle) const
{
    curl_multi_cleanup(Handle);
}

void TListDeleter::operator()(curl_slist *List) const
{
    curl_slist_free_all(List);
}

TEasyHandle NewEasy()
{
    InitializeLibrary();
    TEasyHandle easy(curl_easy_init());
    if (!easy)
        return easy;
    CURL *handle = easy.get();
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    // URLs often come from remote answers: they may not reach local files or
    // other protocols, not even through a redirect.
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(handle, CURLOPT_NOPROXY, "127.0.0.1,localhost,::1");
    return easy;
}

TMultiHandle NewMulti()
{
    InitializeLibrary();
    return TMultiHandle(curl_multi_init());
}

void AppendHeader(THeaderList &List, const char *Line)
{
    curl_slist *appended = curl_slist_append(List.get(), Line);
    if (appended) {
        (void)List.release();
        List.reset(appended);
    }
}

} // namespace Curl
