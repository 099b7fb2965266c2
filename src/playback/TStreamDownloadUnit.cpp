#include "playback/TStreamDownloadUnit.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {
constexpr auto ConnectTimeout = std::chrono::seconds(5);
// The first data must come within this time; a download that then stalls this
// long is given up.
constexpr auto NetTimeout = std::chrono::seconds(10);
constexpr curl_off_t MaxReserve = 64 * 1024 * 1024;
} // namespace

TStreamDownload::TStreamDownload(QByteArray URL, TBlockEvent OnBlock)
    : FURL(std::move(URL)), FOnBlock(std::move(OnBlock)), FMulti(Curl::NewMulti()), FEasy(Curl::NewEasy())
{
    CURL *easy = FEasy.get();
    curl_easy_setopt(easy, CURLOPT_URL, FURL.constData());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    // One file per connection: close it as soon as the file is in.
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::chrono::milliseconds(ConnectTimeout).count()));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(std::chrono::seconds(NetTimeout).count()));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &TStreamDownload::WriteData);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_multi_add_handle(FMulti.get(), easy);
}

TStreamDownload::~TStreamDownload()
{
    FStop = true;
    curl_multi_wakeup(FMulti.get());
    if (FThread.joinable())
        FThread.join();
    curl_multi_remove_handle(FMulti.get(), FEasy.get());
}

bool TStreamDownload::Connect()
{
    FLastProgress = std::chrono::steady_clock::now();
    FThread = std::thread([this] { Run(); });
    std::unique_lock lock(FLock);
    FArrived.wait_for(lock, NetTimeout, [this] { return !FData.empty() || FFinished; });
    // A download that breaks off after its start still plays what came.
    return !FData.empty() || (FFinished && !FFailed);
}

std::int64_t TStreamDownload::Received() const
{
    std::lock_guard guard(FLock);
    return static_cast<std::int64_t>(FData.size());
}

std::size_t TStreamDownload::Read(std::int64_t Offset, char *Out, std::size_t Length) const
{
    std::lock_guard guard(FLock);
    if (Offset < 0 || Offset >= static_cast<std::int64_t>(FData.size()))
        return 0;
    const std::size_t count = std::min(Length, FData.size() - static_cast<std::size_t>(Offset));
    std::memcpy(Out, FData.data() + Offset, count);
    return count;
}

std::chrono::steady_clock::time_point TStreamDownload::LastProgress() const
{
    std::lock_guard guard(FLock);
    return FLastProgress;
}

bool TStreamDownload::IsComplete() const
{
    return FFinished && !FFailed && (FSize < 0 || Received() == FSize);
}

std::size_t TStreamDownload::WriteData(char *Data, std::size_t Size, std::size_t Count, void *Self)
{
    auto *self = static_cast<TStreamDownload *>(Self);
    if (self->FStop)
        return 0; // ends the transfer
    try {
        self->Append(Data, Size * Count);
    } catch (const std::bad_alloc &) {
        return 0; // out of memory: the download fails, the program goes on
    }
    return Size * Count;
}

void TStreamDownload::Append(const char *Data, std::size_t Length)
{
    {
        std::lock_guard guard(FLock);
        if (FData.empty()) {
            curl_off_t size = -1;
            if (curl_easy_getinfo(FEasy.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size) == CURLE_OK && size >= 0) {
                FSize = size;
                // The size comes from the server: reserve no more than a track needs.
                FData.reserve(static_cast<std::size_t>(std::min<curl_off_t>(size, MaxReserve)));
            }
        }
        FData.insert(FData.end(), Data, Data + Length);
        FLastProgress = std::chrono::steady_clock::now();
    }
    FArrived.notify_all();
    if (FOnBlock)
        FOnBlock(Data, static_cast<std::uint32_t>(Length));
    if (FOnChange)
        FOnChange();
}

void TStreamDownload::Run()
{
    CURLM *multi = FMulti.get();
    int running = 1;
    while (running && !FStop) {
        if (curl_multi_perform(multi, &running) != CURLM_OK)
            break;
        if (running)
            curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    int queued = 0;
    while (CURLMsg *message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE)
            result = message->data.result;
    }
    {
        std::lock_guard guard(FLock);
        FFailed = result != CURLE_OK;
        FFinished = true;
    }
    FArrived.notify_all();
    if (FStop)
        return;
    if (FOnBlock)
        FOnBlock(nullptr, 0);
    if (FOnChange)
        FOnChange();
}
