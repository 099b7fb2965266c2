#include "playback/AudioLibraryUnit.h"

#include "foundation/InterfaceThreadUnit.h"
#include "playback/TAudioStreamUnit.h"
#include "playback/TStreamDownloadUnit.h"

#include <QFileInfo>
#include <QUrl>

#include <gst/gst.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace AudioLibrary {
namespace {

struct TSync
{
    THandle Handle;
    TSyncProc Proc;
    std::uint32_t User;
};

struct TChannel
{
    std::shared_ptr<TAudioStream> Stream;
    std::vector<TSync> Syncs;
};

// The library's own thread: runs the end-of-stream procedures, which may wait
// for the interface thread.
class TSyncThread
{
public:
    TSyncThread() : FThread([this] { Run(); }) { }
    ~TSyncThread()
    {
        {
            std::lock_guard guard(FLock);
            FStop = true;
        }
        FWake.notify_all();
        // A procedure may be waiting for the interface thread: keep serving it.
        InterfaceThread::WaitUntil([this] { return FEnded.load(); });
        FThread.join();
    }
    void Post(std::function<void()> Task)
    {
        {
            std::lock_guard guard(FLock);
            FTasks.push_back(std::move(Task));
        }
        FWake.notify_all();
    }

private:
    void Run()
    {
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock lock(FLock);
                FWake.wait(lock, [this] { return FStop || !FTasks.empty(); });
                if (FTasks.empty())
                    break;
                task = std::move(FTasks.front());
                FTasks.pop_front();
            }
            task();
        }
        FEnded = true;
        InterfaceThread::WakeWaiters();
    }

    std::mutex FLock;
    std::condition_variable FWake;
    std::deque<std::function<void()>> FTasks;
    bool FStop = false;
    std::atomic<bool> FEnded {false};
    std::thread FThread;
};

std::mutex GLock;
std::map<THandle, TChannel> GChannels;
THandle GLastHandle = 0;
QByteArray GSinkDescription;
std::unique_ptr<TSyncThread> GSyncThread;
std::atomic<std::uint32_t> GNetTimeout {10000};

THandle NewHandle()
{
    std::lock_guard guard(GLock);
    if (++GLastHandle == 0)
        ++GLastHandle;
    return GLastHandle;
}

std::shared_ptr<TAudioStream> Find(THandle Channel)
{
    std::lock_guard guard(GLock);
    const auto found = GChannels.find(Channel);
    return found == GChannels.end() ? nullptr : found->second.Stream;
}

void StreamEnded(THandle Channel)
{
    std::lock_guard guard(GLock);
    if (!GSyncThread)
        return;
    GSyncThread->Post([Channel] {
        std::vector<TSync> syncs;
        {
            std::lock_guard channelsGuard(GLock);
            const auto found = GChannels.find(Channel);
            if (found == GChannels.end())
                return;
            syncs = found->second.Syncs;
        }
        for (const TSync &sync : syncs)
            sync.Proc(sync.Handle, Channel, 0, sync.User);
    });
}

THandle Register(std::unique_ptr<TStreamDownload> Download, const QByteArray &URI, TConnectionAbort *Abort = nullptr)
{
    if (!GSyncThread)
        return 0;
    const THandle handle = NewHandle();
    auto stream = std::make_shared<TAudioStream>(GSinkDescription, URI, std::move(Download));
    stream->SetOnEnd([handle] { StreamEnded(handle); });
    if (Abort)
        Abort->SetAction([stream] { stream->Abort(); });
    const bool opened = stream->Open();
    if (Abort)
        Abort->SetAction({});
    if (!opened)
        return 0;
    std::lock_guard guard(GLock);
    GChannels[handle].Stream = std::move(stream);
    return handle;
}

} // namespace

void TConnectionAbort::Abort()
{
    std::lock_guard guard(FLock);
    FAborted = true;
    if (FAction)
        FAction();
}

void TConnectionAbort::SetAction(std::function<void()> Action)
{
    std::lock_guard guard(FLock);
    FAction = std::move(Action);
    if (FAborted && FAction)
        FAction();
}

bool Init()
{
    if (GSyncThread)
        return true;
    gst_init(nullptr, nullptr);
    GSinkDescription = qgetenv("MARVANE_AUDIO_SINK");
    if (GSinkDescription.trimmed().isEmpty())
        GSinkDescription = "autoaudiosink";
    if (!TAudioStream::CanOpenOutput(GSinkDescription))
        return false;
    GSyncThread = std::make_unique<TSyncThread>();
    return true;
}

void Free()
{
    std::map<THandle, TChannel> channels;
    {
        std::lock_guard guard(GLock);
        channels.swap(GChannels);
    }
    channels.clear();
    std::unique_ptr<TSyncThread> thread;
    {
        std::lock_guard guard(GLock);
        thread = std::move(GSyncThread);
    }
    thread.reset();
}

bool SetConfig(TConfigOption Option, std::uint32_t Value)
{
    switch (Option) {
    case TConfigOption::coNetTimeout:
        if (Value == 0)
            return false;
        GNetTimeout = Value;
        return true;
    }
    return false;
}

THandle StreamCreateURL(const QString &URL, TDownloadProc Proc, std::uint32_t User, TConnectionAbort *Abort)
{
    if (!GSyncThread)
        return 0;
    auto download = std::make_unique<TStreamDownload>(
        QUrl(URL).toEncoded(),
        [Proc, User](const void *Buffer, std::uint32_t Length) {
            if (Proc)
                Proc(Buffer, Length, User);
        },
        std::chrono::milliseconds(GNetTimeout.load()));
    return Register(std::move(download), QByteArrayLiteral("appsrc://"), Abort);
}

THandle StreamCreateFile(const QString &FilePath)
{
    if (FilePath.isEmpty())
        return 0;
    // A file URL is always absolute: a relative path would be read from the root.
    return Register(nullptr, QUrl::fromLocalFile(QFileInfo(FilePath).absoluteFilePath()).toEncoded());
}

std::int64_t StreamGetFilePosition(THandle Channel, TFilePosition Mode)
{
    const auto stream = Find(Channel);
    if (!stream || !stream->IsURLStream())
        return -1;
    return Mode == TFilePosition::fpStart ? 0 : std::max<std::int64_t>(stream->FileSize(), 0);
}

bool StreamFree(THandle Channel)
{
    std::shared_ptr<TAudioStream> stream;
    {
        std::lock_guard guard(GLock);
        const auto found = GChannels.find(Channel);
        if (found == GChannels.end())
            return false;
        stream = std::move(found->second.Stream);
        GChannels.erase(found);
    }
    return true;
}

THandle ChannelSetSyncEnd(THandle Channel, TSyncProc Proc, std::uint32_t User)
{
    if (!Proc)
        return 0;
    const THandle handle = NewHandle();
    std::lock_guard guard(GLock);
    const auto found = GChannels.find(Channel);
    if (found == GChannels.end())
        return 0;
    found->second.Syncs.push_back({handle, Proc, User});
    return handle;
}

bool ChannelPlay(THandle Channel)
{
    const auto stream = Find(Channel);
    return stream && stream->Play();
}

bool ChannelPause(THandle Channel)
{
    const auto stream = Find(Channel);
    return stream && stream->Pause();
}

bool ChannelSetVolume(THandle Channel, float Volume)
{
    const auto stream = Find(Channel);
    if (!stream || Volume < 0)
        return false;
    stream->SetVolume(Volume);
    return true;
}

float ChannelGetVolume(THandle Channel)
{
    const auto stream = Find(Channel);
    return stream ? static_cast<float>(stream->Volume()) : -1;
}

std::int64_t ChannelGetPosition(THandle Channel)
{
    const auto stream = Find(Channel);
    return stream ? stream->Position() : -1;
}

std::int64_t ChannelGetLength(THandle Channel)
{
    const auto stream = Find(Channel);
    return stream ? stream->Length() : -1;
}

bool ChannelSetPosition(THandle Channel, std::int64_t Bytes)
{
    const auto stream = Find(Channel);
    return stream && stream->SetPosition(Bytes);
}

double ChannelBytes2Seconds(THandle Channel, std::int64_t Bytes)
{
    if (!Find(Channel) || Bytes < 0)
        return -1;
    return static_cast<double>(Bytes) / static_cast<double>(BytesPerSecond);
}

std::int64_t ChannelSeconds2Bytes(THandle Channel, double Seconds)
{
    if (!Find(Channel) || Seconds < 0)
        return -1;
    return static_cast<std::int64_t>(std::floor(Seconds * SampleRate)) * BytesPerFrame;
}

} // namespace AudioLibrary
