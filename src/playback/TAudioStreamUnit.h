#pragma once

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class TStreamDownload;
typedef struct _GstElement GstElement;
typedef struct _GstAppSrc GstAppSrc;
typedef struct _GstBus GstBus;
typedef struct _GstMessage GstMessage;
typedef struct _GstPad GstPad;
typedef struct _GstPadProbeInfo GstPadProbeInfo;

// One decoding pipeline: a file, or a download fed to the decoder as it
// arrives. Positions count the decoded 16-bit stereo 44.1 kHz PCM in bytes.
class TAudioStream
{
public:
    // Sink: the output element (a floating reference the stream takes).
    // Download: null for a file stream.
    TAudioStream(GstElement *Sink, const QByteArray &URI, std::unique_ptr<TStreamDownload> Download);
    ~TAudioStream();
    TAudioStream(const TAudioStream &) = delete;
    TAudioStream &operator=(const TAudioStream &) = delete;

    // Runs on a streaming thread when the stream has ended, at its end or at a
    // decoding error. Set before Open.
    void SetOnEnd(std::function<void()> OnEnd) { FOnEnd = std::move(OnEnd); }
    // Reads the start of the file and decodes its first block; false when the
    // file cannot be read or decoded.
    bool Open();

    bool Play();
    bool Pause();
    void SetVolume(double Volume);
    std::int64_t Position();
    std::int64_t Length();
    bool SetPosition(std::int64_t Bytes);
    std::int64_t FileSize() const;

    static std::int64_t TimeToBytes(std::int64_t Nanoseconds);
    static std::int64_t BytesToTime(std::int64_t Bytes);

private:
    static int OnBusMessage(GstBus *Bus, GstMessage *Message, void *Self);
    static void OnSourceSetup(GstElement *Playbin, GstElement *Source, void *Self);
    static int OnProbe(GstPad *Pad, GstPadProbeInfo *Info, void *Self);
    static void OnNeedData(GstAppSrc *Source, unsigned Length, void *Self);
    static void OnEnoughData(GstAppSrc *Source, void *Self);
    static int OnSeekData(GstAppSrc *Source, std::uint64_t Offset, void *Self);
    GstElement *CreateOutput(GstElement *Sink);
    void Feed();
    void EndReached(bool Clean);

    std::unique_ptr<TStreamDownload> FDownload;
    GstElement *FPipeline = nullptr;
    GstAppSrc *FAppSrc = nullptr;
    std::function<void()> FOnEnd;

    std::mutex FStateLock;
    std::condition_variable FStateChanged;
    bool FOpened = false;
    bool FPrerolled = false;
    bool FFailed = false;
    bool FEnded = false;
    bool FEndedComplete = false;
    std::int64_t FEndBytes = 0;
    std::int64_t FDuration = -1;

    // The stream time reached by the last decoded block (streaming thread).
    std::atomic<std::int64_t> FDecodedEnd{0};
    struct TSegmentHolder;
    std::unique_ptr<TSegmentHolder> FSegment;

    // Feeding the download to the decoder; taken again from within pushes.
    std::recursive_mutex FFeedLock;
    std::int64_t FFeedOffset = 0;
    bool FWantData = false;
    bool FEndSent = false;
};
