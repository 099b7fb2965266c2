#include "playback/TStreamDownloadUnit.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {
constexpr curl_off_t MaxReserve = 64 * 1024 * 1024;
// Below this rate for the net time-out a transfer is given up: far under what
// any track needs to play, far over a server that only keeps the line open.
constexpr long LowSpeedLimit = 512;
// A read this far beyond what has come is fetched from where it is asked for;
// a shorter gap is quicker to wait for than to reconnect.
constexpr std::int64_t RefetchGap = 16 * 1024;
} // namespace

TStreamDownload::TStreamDownload(QByteArray URL, TBlockEvent OnBlock, std::chrono::milliseconds NetTimeout) :
      FURL(std::move(URL)), FOnBlock(std::move(OnBlock)), FNetTimeout(NetTimeout), FMulti(Curl::NewMulti()),
      FEasy(Curl::NewEasy())
{
    CURL *easy = FEasy.get();
    curl_easy_setopt(easy, CURLOPT_URL, FURL.constData());
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    // One file per connection: close it as soon as the file is in.
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(FNetTimeout.count()));
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, LowSpeedLimit);
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(FNetTimeout).count();
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(std::max<std::int64_t>(seconds, 1)));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &TStreamDownload::WriteData);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
}

TStreamDownload::~TStreamDownload()
{
    Stop();
}

bool TStreamDownload::Connect()
{
    std::unique_lock lock(FLock);
    FLastProgress = std::chrono::steady_clock::now();
    BeginTransfer();
    FThread = std::thread([this] { Run(); });
    FArrived.wait_for(lock, FNetTimeout, [this] { return !FData.empty() || FFinished || FStop; });
    // A download that breaks off after its start still plays what came.
    return !FStop && (!FData.empty() || (FFinished && !FFailed));
}

void TStreamDownload::Abort()
{
    {
        std::lock_guard guard(FLock);
        FStop = true;
    }
    FArrived.notify_all();
    curl_multi_wakeup(FMulti.get());
}

void TStreamDownload::Stop()
{
    Abort();
    if (FThread.joinable())
        FThread.join();
    curl_multi_remove_handle(FMulti.get(), FEasy.get());
}

std::int64_t TStreamDownload::End() const
{
    std::lock_guard guard(FLock);
    return FStart + static_cast<std::int64_t>(FData.size());
}

std::size_t TStreamDownload::Read(std::int64_t Offset, char *Out, std::size_t Length) const
{
    std::lock_guard guard(FLock);
    if (Offset < FStart || Offset >= FStart + static_cast<std::int64_t>(FData.size()))
        return 0;
    const auto from = static_cast<std::size_t>(Offset - FStart);
    const std::size_t count = std::min(Length, FData.size() - from);
    std::memcpy(Out, FData.data() + from, count);
    return count;
}

bool TStreamDownload::Refetch(std::int64_t Offset)
{
    {
        std::lock_guard guard(FLock);
        const std::int64_t end = FStart + static_cast<std::int64_t>(FData.size());
        if (FStop || FRangesRefused || (Offset >= FStart && Offset <= end + RefetchGap))
            return false;
        FRestartAt = Offset;
    }
    FArrived.notify_all();
    curl_multi_wakeup(FMulti.get());
    return true;
}

bool TStreamDownload::IsFarAhead(std::int64_t Offset) const
{
    std::lock_guard guard(FLock);
    return !FRangesRefused && Offset > FStart + static_cast<std::int64_t>(FData.size()) + RefetchGap;
}

bool TStreamDownload::BrokeOffBefore(std::int64_t Offset) const
{
    std::lock_guard guard(FLock);
    return FFinished && FFailed && FRestartAt < 0 && Offset >= FStart + static_cast<std::int64_t>(FData.size());
}

std::chrono::steady_clock::time_point TStreamDownload::LastProgress() const
{
    std::lock_guard guard(FLock);
    return FLastProgress;
}

bool TStreamDownload::IsFinished() const
{
    std::lock_guard guard(FLock);
    return FFinished && FRestartAt < 0;
}

bool TStreamDownload::IsFailed() const
{
    std::lock_guard guard(FLock);
    return FFailed;
}

bool TStreamDownload::IsComplete() const
{
    std::lock_guard guard(FLock);
    const std::int64_t end = FStart + static_cast<std::int64_t>(FData.size());
    return (FFinished && !FFailed) || (FSize >= 0 && end >= FSize);
}

void TStreamDownload::BeginTransfer()
{
    CURL *easy = FEasy.get();
    curl_multi_remove_handle(FMulti.get(), easy);
    if (FRestartAt >= 0) {
        FStart = FRestartAt;
        FRestartAt = -1;
        FData.clear();
        const QByteArray range = QByteArray::number(static_cast<qint64>(FStart)) + '-';
        curl_easy_setopt(easy, CURLOPT_RANGE, range.constData()); // copied by curl
    }
    FHeadSeen = false;
    FFinished = false;
    FFailed = false;
    curl_multi_add_handle(FMulti.get(), easy);
}

std::size_t TStreamDownload::WriteData(char *Data, std::size_t Size, std::size_t Count, void *Self)
{
    auto *self = static_cast<TStreamDownload *>(Self);
    if (self->FStop)
        return 0; // ends the transfer
    try {
        if (!self->Append(Data, Size * Count))
            return 0;
    } catch (const std::bad_alloc &) {
        return 0; // out of memory: the download fails, the program goes on
    }
    return Size * Count;
}

bool TStreamDownload::Append(const char *Data, std::size_t Length)
{
    {
        std::lock_guard guard(FLock);
        if (FRestartAt >= 0)
            return false; // this transfer is being replaced
        if (!FHeadSeen) {
            FHeadSeen = true;
            long status = 0;
            curl_off_t length = -1;
            curl_easy_getinfo(FEasy.get(), CURLINFO_RESPONSE_CODE, &status);
            curl_easy_getinfo(FEasy.get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
            if (status != 206) {
                // The whole file (again, from a server that ignores ranges).
                FRangesRefused = FStart != 0;
                FStart = 0;
                FData.clear();
                if (length >= 0)
                    FSize = length;
            }
            if (length > 0)
                // The size comes from the server: reserve no more than a track needs.
                FData.reserve(static_cast<std::size_t>(std::min<curl_off_t>(length, MaxReserve)));
        }
        FData.insert(FData.end(), Data, Data + Length);
        FLastProgress = std::chrono::steady_clock::now();
    }
    FArrived.notify_all();
    if (FOnBlock)
        FOnBlock(Data, static_cast<std::uint32_t>(Length));
    if (FOnChange)
        FOnChange();
    return true;
}

void TStreamDownload::Run()
{
    CURLM *multi = FMulti.get();
    for (;;) {
        int running = 1;
        while (running && !FStop) {
            {
                std::lock_guard guard(FLock);
                if (FRestartAt >= 0)
                    break;
            }
            if (curl_multi_perform(multi, &running) != CURLM_OK)
                break;
            if (running)
                curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
        }
        if (FStop)
            return;
        std::unique_lock lock(FLock);
        if (FRestartAt < 0) {
            CURLcode result = CURLE_ABORTED_BY_CALLBACK;
            int queued = 0;
            while (CURLMsg *message = curl_multi_info_read(multi, &queued)) {
                if (message->msg == CURLMSG_DONE)
                    result = message->data.result;
            }
            FFailed = result != CURLE_OK;
            FFinished = true;
            lock.unlock();
            FArrived.notify_all();
            if (FOnBlock)
                FOnBlock(nullptr, 0);
            if (FOnChange)
                FOnChange();
            lock.lock();
            // Idle until a read elsewhere in the file asks for more.
            FArrived.wait(lock, [this] { return FStop || FRestartAt >= 0; });
            if (FStop)
                return;
        }
        BeginTransfer();
        lock.unlock();
        if (FOnChange)
            FOnChange();
    }
}
