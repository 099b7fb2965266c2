#include "playback/TAudioStreamUnit.h"

#include "playback/TStreamDownloadUnit.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <algorithm>
#include <chrono>

namespace {
constexpr std::int64_t BytesPerSecond = 44100 * 4;
constexpr std::size_t FeedBlock = 64 * 1024;
constexpr auto OpenTimeout = std::chrono::seconds(10);
// playbin: audio only, volume in software.
constexpr guint PlayFlagAudio = 1 << 1;
constexpr guint PlayFlagSoftVolume = 1 << 4;
} // namespace

struct TAudioStream::TSegmentHolder
{
    GstSegment Segment;
};

TAudioStream::TAudioStream(GstElement *Sink, const QByteArray &URI, std::unique_ptr<TStreamDownload> Download)
    : FDownload(std::move(Download)), FSegment(std::make_unique<TSegmentHolder>())
{
    gst_segment_init(&FSegment->Segment, GST_FORMAT_TIME);
    FPipeline = gst_element_factory_make("playbin", nullptr);
    if (!FPipeline) {
        gst_object_unref(gst_object_ref_sink(Sink));
        return;
    }
    gst_object_ref_sink(FPipeline);
    g_object_set(FPipeline, "uri", URI.constData(), "flags", PlayFlagAudio | PlayFlagSoftVolume,
                 "audio-sink", CreateOutput(Sink), nullptr);
    if (FDownload) {
        g_signal_connect(FPipeline, "source-setup", G_CALLBACK(&TAudioStream::OnSourceSetup), this);
        FDownload->SetOnChange([this] { Feed(); });
    }
    GstBus *bus = gst_element_get_bus(FPipeline);
    gst_bus_set_sync_handler(bus, reinterpret_cast<GstBusSyncHandler>(&TAudioStream::OnBusMessage), this, nullptr);
    gst_object_unref(bus);
}

TAudioStream::~TAudioStream()
{
    if (FPipeline)
        gst_element_set_state(FPipeline, GST_STATE_NULL);
    // The download may still feed the source until its thread has ended.
    FDownload.reset();
    if (FAppSrc)
        gst_object_unref(FAppSrc);
    if (FPipeline) {
        GstBus *bus = gst_element_get_bus(FPipeline);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        gst_object_unref(FPipeline);
    }
}

// Converter, resampler and a fixed format before the sink, so that positions
// always count the same PCM.
GstElement *TAudioStream::CreateOutput(GstElement *Sink)
{
    GstElement *bin = gst_bin_new(nullptr);
    GstElement *convert = gst_element_factory_make("audioconvert", nullptr);
    GstElement *resample = gst_element_factory_make("audioresample", nullptr);
    GstElement *filter = gst_element_factory_make("capsfilter", nullptr);
    GstCaps *caps = gst_caps_from_string("audio/x-raw,format=S16LE,rate=44100,channels=2,layout=interleaved");
    g_object_set(filter, "caps", caps, nullptr);
    gst_caps_unref(caps);
    gst_bin_add_many(GST_BIN(bin), convert, resample, filter, Sink, nullptr);
    gst_element_link_many(convert, resample, filter, Sink, nullptr);
    GstPad *input = gst_element_get_static_pad(convert, "sink");
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", input));
    gst_object_unref(input);
    GstPad *output = gst_element_get_static_pad(filter, "src");
    gst_pad_add_probe(output, static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                      reinterpret_cast<GstPadProbeCallback>(&TAudioStream::OnProbe), this, nullptr);
    gst_object_unref(output);
    return bin;
}

bool TAudioStream::Open()
{
    if (!FPipeline)
        return false;
    const GstStateChangeReturn change = gst_element_set_state(FPipeline, GST_STATE_PAUSED);
    if (change == GST_STATE_CHANGE_FAILURE)
        return false;
    std::unique_lock lock(FStateLock);
    if (change == GST_STATE_CHANGE_SUCCESS || change == GST_STATE_CHANGE_NO_PREROLL)
        FPrerolled = true;
    const auto started = std::chrono::steady_clock::now();
    for (;;) {
        if (FFailed)
            return false;
        if (FPrerolled) {
            FOpened = true;
            lock.unlock();
            Length(); // keeps the estimate for a stream that ends early
            return true;
        }
        // Gives up when nothing has come for a while: a stalled download, or a
        // decoder that neither starts nor fails.
        const auto reference = FDownload ? std::max(started, FDownload->LastProgress()) : started;
        if (std::chrono::steady_clock::now() - reference > OpenTimeout)
            return false;
        FStateChanged.wait_for(lock, std::chrono::milliseconds(50));
    }
}

bool TAudioStream::Play()
{
    return FPipeline && gst_element_set_state(FPipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

bool TAudioStream::Pause()
{
    return FPipeline && gst_element_set_state(FPipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
}

void TAudioStream::SetVolume(double Volume)
{
    g_object_set(FPipeline, "volume", std::clamp(Volume, 0.0, 1.0), nullptr);
}

std::int64_t TAudioStream::Position()
{
    {
        std::lock_guard guard(FStateLock);
        if (FEnded)
            return FEndBytes;
    }
    gint64 time = 0;
    if (!gst_element_query_position(FPipeline, GST_FORMAT_TIME, &time) || time < 0)
        return -1;
    return TimeToBytes(time);
}

std::int64_t TAudioStream::Length()
{
    gint64 time = -1;
    const bool known = gst_element_query_duration(FPipeline, GST_FORMAT_TIME, &time) && time >= 0;
    std::lock_guard guard(FStateLock);
    if (FEnded && FEndedComplete)
        return FEndBytes;
    // After the end the decoder may no longer answer; keep the last estimate.
    if (known && !FEnded)
        FDuration = time;
    return FDuration < 0 ? -1 : TimeToBytes(FDuration);
}

bool TAudioStream::SetPosition(std::int64_t Bytes)
{
    const std::int64_t length = Length();
    if (Bytes < 0 || length < 0 || Bytes >= length)
        return false;
    if (!gst_element_seek_simple(FPipeline, GST_FORMAT_TIME,
                                 static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), BytesToTime(Bytes)))
        return false;
    std::lock_guard guard(FStateLock);
    FEnded = false;
    return true;
}

std::int64_t TAudioStream::FileSize() const
{
    return FDownload ? FDownload->Size() : -1;
}

std::int64_t TAudioStream::TimeToBytes(std::int64_t Nanoseconds)
{
    return static_cast<std::int64_t>(gst_util_uint64_scale(static_cast<guint64>(Nanoseconds), 44100, GST_SECOND)) * 4;
}

std::int64_t TAudioStream::BytesToTime(std::int64_t Bytes)
{
    return static_cast<std::int64_t>(gst_util_uint64_scale(static_cast<guint64>(Bytes), GST_SECOND, BytesPerSecond));
}

int TAudioStream::OnBusMessage(GstBus *, GstMessage *Message, void *Self)
{
    auto *self = static_cast<TAudioStream *>(Self);
    switch (GST_MESSAGE_TYPE(Message)) {
    case GST_MESSAGE_ASYNC_DONE: {
        std::lock_guard guard(self->FStateLock);
        self->FPrerolled = true;
        break;
    }
    case GST_MESSAGE_ERROR: {
        bool opened;
        {
            std::lock_guard guard(self->FStateLock);
            opened = self->FOpened;
            self->FFailed = true;
        }
        if (opened)
            self->EndReached(false);
        break;
    }
    case GST_MESSAGE_EOS:
        self->EndReached(true);
        break;
    default:
        return GST_BUS_DROP;
    }
    self->FStateChanged.notify_all();
    return GST_BUS_DROP;
}

void TAudioStream::EndReached(bool Clean)
{
    {
        std::lock_guard guard(FStateLock);
        if (FEnded)
            return;
        FEnded = true;
        FEndBytes = TimeToBytes(FDecodedEnd);
        FEndedComplete = Clean && (!FDownload || FDownload->IsComplete());
    }
    if (FOnEnd)
        FOnEnd();
}

int TAudioStream::OnProbe(GstPad *, GstPadProbeInfo *Info, void *Self)
{
    auto *self = static_cast<TAudioStream *>(Self);
    GstSegment &segment = self->FSegment->Segment;
    if (Info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        GstBuffer *buffer = GST_PAD_PROBE_INFO_BUFFER(Info);
        if (GST_BUFFER_PTS_IS_VALID(buffer)) {
            GstClockTime end = GST_BUFFER_PTS(buffer);
            end += GST_BUFFER_DURATION_IS_VALID(buffer) ? GST_BUFFER_DURATION(buffer)
                                                         : BytesToTime(static_cast<std::int64_t>(gst_buffer_get_size(buffer)));
            const guint64 streamTime = gst_segment_to_stream_time(&segment, GST_FORMAT_TIME, end);
            if (streamTime != GST_CLOCK_TIME_NONE)
                self->FDecodedEnd = static_cast<std::int64_t>(streamTime);
        }
    } else if (GstEvent *event = GST_PAD_PROBE_INFO_EVENT(Info); event && GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
        gst_event_copy_segment(event, &segment);
        if (segment.format == GST_FORMAT_TIME)
            self->FDecodedEnd = static_cast<std::int64_t>(segment.time);
    }
    return GST_PAD_PROBE_OK;
}

void TAudioStream::OnSourceSetup(GstElement *, GstElement *Source, void *Self)
{
    auto *self = static_cast<TAudioStream *>(Self);
    // The download thread may be feeding already: it looks at the source under this lock.
    std::lock_guard guard(self->FFeedLock);
    if (!GST_IS_APP_SRC(Source) || self->FAppSrc)
        return;
    self->FAppSrc = GST_APP_SRC(gst_object_ref(Source));
    g_object_set(Source, "format", GST_FORMAT_BYTES, nullptr);
    // Seekable, not random access: random access would wait for the whole file.
    gst_app_src_set_stream_type(self->FAppSrc, GST_APP_STREAM_TYPE_SEEKABLE);
    gst_app_src_set_size(self->FAppSrc, self->FDownload->Size());
    GstAppSrcCallbacks callbacks{};
    callbacks.need_data = &TAudioStream::OnNeedData;
    callbacks.enough_data = &TAudioStream::OnEnoughData;
    callbacks.seek_data = reinterpret_cast<gboolean (*)(GstAppSrc *, guint64, gpointer)>(&TAudioStream::OnSeekData);
    gst_app_src_set_callbacks(self->FAppSrc, &callbacks, self, nullptr);
}

void TAudioStream::OnNeedData(GstAppSrc *, unsigned, void *Self)
{
    auto *self = static_cast<TAudioStream *>(Self);
    std::lock_guard guard(self->FFeedLock);
    self->FWantData = true;
    self->Feed();
}

void TAudioStream::OnEnoughData(GstAppSrc *, void *Self)
{
    auto *self = static_cast<TAudioStream *>(Self);
    std::lock_guard guard(self->FFeedLock);
    self->FWantData = false;
}

int TAudioStream::OnSeekData(GstAppSrc *, std::uint64_t Offset, void *Self)
{
    auto *self = static_cast<TAudioStream *>(Self);
    const std::int64_t size = self->FDownload->Size();
    if (size >= 0 && static_cast<std::int64_t>(Offset) > size)
        return FALSE;
    std::lock_guard guard(self->FFeedLock);
    self->FFeedOffset = static_cast<std::int64_t>(Offset);
    // Wait for the source to ask again: anything pushed before it has
    // flushed its queue would be lost.
    self->FWantData = false;
    self->FEndSent = false;
    return TRUE;
}

// Pushes what has arrived while the source wants data; ends the source when
// the download has ended and everything was pushed. Runs on the streaming
// thread (asked for data) or the download thread (new data came).
void TAudioStream::Feed()
{
    std::lock_guard guard(FFeedLock);
    if (!FAppSrc)
        return;
    while (FWantData) {
        const std::int64_t available = FDownload->Received() - FFeedOffset;
        if (available <= 0) {
            if (FDownload->IsFinished() && !FEndSent) {
                FEndSent = true;
                gst_app_src_end_of_stream(FAppSrc);
            }
            return;
        }
        const std::size_t length = std::min<std::size_t>(FeedBlock, static_cast<std::size_t>(available));
        GstBuffer *buffer = gst_buffer_new_allocate(nullptr, length, nullptr);
        GstMapInfo map;
        gst_buffer_map(buffer, &map, GST_MAP_WRITE);
        const std::size_t copied = FDownload->Read(FFeedOffset, reinterpret_cast<char *>(map.data), length);
        gst_buffer_unmap(buffer, &map);
        gst_buffer_set_size(buffer, static_cast<gssize>(copied));
        GST_BUFFER_OFFSET(buffer) = static_cast<guint64>(FFeedOffset);
        FFeedOffset += static_cast<std::int64_t>(copied);
        if (gst_app_src_push_buffer(FAppSrc, buffer) != GST_FLOW_OK) {
            FWantData = false;
            return;
        }
    }
}
