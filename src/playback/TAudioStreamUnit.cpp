#include "playback/TAudioStreamUnit.h"

#include "playback/AudioLibraryUnit.h"
#include "playback/TStreamDownloadUnit.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {
constexpr std::size_t FeedBlock = 64 * 1024;
// Opening gives up when nothing has come for this long.
constexpr auto OpenTimeout = std::chrono::seconds(10);
// playbin: audio only. The volume is our own element in the output: playbin's
// software volume leaves some 4 KB behind for every stream it played.
constexpr guint PlayFlagAudio = 1 << 1;

std::int64_t TimeToBytes(std::int64_t Nanoseconds)
{
    const guint64 frames
        = gst_util_uint64_scale(static_cast<guint64>(Nanoseconds), AudioLibrary::SampleRate, GST_SECOND);
    return static_cast<std::int64_t>(frames) * AudioLibrary::BytesPerFrame;
}

GstClockTime BytesToTime(std::int64_t Bytes)
{
    return gst_util_uint64_scale(static_cast<guint64>(Bytes), GST_SECOND, AudioLibrary::BytesPerSecond);
}

GstElement *CreateSink(const QByteArray &Description)
{
    GError *error = nullptr;
    GstElement *sink = gst_parse_bin_from_description(Description.constData(), TRUE, &error);
    g_clear_error(&error);
    if (!sink)
        return nullptr;
    // A null output still plays in real time unless told otherwise.
    if (!Description.contains("sync=")) {
        GstIterator *sinks = gst_bin_iterate_sinks(GST_BIN(sink));
        GValue item = G_VALUE_INIT;
        while (gst_iterator_next(sinks, &item) == GST_ITERATOR_OK) {
            auto *element = GST_ELEMENT(g_value_get_object(&item));
            if (g_object_class_find_property(G_OBJECT_GET_CLASS(element), "sync"))
                g_object_set(element, "sync", TRUE, nullptr);
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(sinks);
    }
    return sink;
}

// The fixed format before the sink, so that positions always count the same PCM.
GstCaps *OutputCaps()
{
    return gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, AudioLibrary::SampleFormat, "rate", G_TYPE_INT,
        AudioLibrary::SampleRate, "channels", G_TYPE_INT, AudioLibrary::Channels, "layout", G_TYPE_STRING,
        "interleaved", nullptr);
}
} // namespace

struct TAudioStream::TImpl
{
    std::unique_ptr<TStreamDownload> Download;
    GstElement *Pipeline = nullptr;
    // Inside the output, which the pipeline owns.
    GstElement *VolumeControl = nullptr;
    GstAppSrc *AppSrc = nullptr;
    std::function<void()> OnEnd;

    std::mutex StateLock;
    std::condition_variable StateChanged;
    bool Opened = false;
    bool Prerolled = false;
    bool Failed = false;
    bool Aborted = false;
    bool Ended = false;
    bool EndedComplete = false;
    std::int64_t EndBytes = 0;
    std::int64_t Duration = -1;

    // The stream time reached by the last decoded block (streaming thread).
    std::atomic<std::int64_t> DecodedEnd {0};
    GstSegment Segment;

    // Feeding the download to the decoder; taken again from within pushes.
    std::recursive_mutex FeedLock;
    std::int64_t FeedOffset = 0;
    bool WantData = false;
    bool EndSent = false;

    GstElement *CreateOutput(GstElement *Sink);
    // Value converted as the parser estimates it (file bytes and stream
    // time); -1 when unknown.
    std::int64_t ParserConvert(GstFormat From, std::int64_t Value, GstFormat To);
    void Feed();
    void EndReached(bool Clean);

    static GstBusSyncReply OnBusMessage(GstBus *Bus, GstMessage *Message, gpointer Self);
    static void OnSourceSetup(GstElement *Playbin, GstElement *Source, gpointer Self);
    static GstPadProbeReturn OnProbe(GstPad *Pad, GstPadProbeInfo *Info, gpointer Self);
    static void OnNeedData(GstAppSrc *Source, guint Length, gpointer Self);
    static void OnEnoughData(GstAppSrc *Source, gpointer Self);
    static gboolean OnSeekData(GstAppSrc *Source, guint64 Offset, gpointer Self);
};

TAudioStream::TAudioStream(
    const QByteArray &SinkDescription, const QByteArray &URI, std::unique_ptr<TStreamDownload> Download) :
      FImpl(std::make_unique<TImpl>())
{
    TImpl &impl = *FImpl;
    impl.Download = std::move(Download);
    gst_segment_init(&impl.Segment, GST_FORMAT_TIME);
    GstElement *sink = CreateSink(SinkDescription);
    if (!sink)
        return;
    impl.Pipeline = gst_element_factory_make("playbin", nullptr);
    if (!impl.Pipeline) {
        gst_object_unref(gst_object_ref_sink(sink));
        return;
    }
    gst_object_ref_sink(impl.Pipeline);
    g_object_set(
        impl.Pipeline, "uri", URI.constData(), "flags", PlayFlagAudio, "audio-sink", impl.CreateOutput(sink), nullptr);
    if (impl.Download) {
        g_signal_connect(impl.Pipeline, "source-setup", G_CALLBACK(&TImpl::OnSourceSetup), &impl);
        impl.Download->SetOnChange([&impl] { impl.Feed(); });
    }
    GstBus *bus = gst_element_get_bus(impl.Pipeline);
    gst_bus_set_sync_handler(bus, &TImpl::OnBusMessage, &impl, nullptr);
    gst_object_unref(bus);
}

TAudioStream::~TAudioStream()
{
    TImpl &impl = *FImpl;
    // No block may reach the feed once the source is gone: the download
    // thread has ended before anything is released.
    if (impl.Download)
        impl.Download->Stop();
    if (impl.Pipeline)
        gst_element_set_state(impl.Pipeline, GST_STATE_NULL);
    {
        std::lock_guard guard(impl.FeedLock);
        if (impl.AppSrc)
            gst_object_unref(impl.AppSrc);
        impl.AppSrc = nullptr;
    }
    if (impl.Pipeline) {
        GstBus *bus = gst_element_get_bus(impl.Pipeline);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        gst_object_unref(impl.Pipeline);
    }
}

bool TAudioStream::CanOpenOutput(const QByteArray &SinkDescription)
{
    GstElement *sink = CreateSink(SinkDescription);
    if (!sink)
        return false;
    gst_object_ref_sink(sink);
    const bool opened = gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
    gst_element_set_state(sink, GST_STATE_NULL);
    gst_object_unref(sink);
    return opened;
}

void TAudioStream::SetOnEnd(std::function<void()> OnEnd)
{
    FImpl->OnEnd = std::move(OnEnd);
}

// Converter, volume, resampler and the fixed format before the sink; a probe
// behind them follows how far decoding has come.
GstElement *TAudioStream::TImpl::CreateOutput(GstElement *Sink)
{
    GstElement *bin = gst_bin_new(nullptr);
    GstElement *convert = gst_element_factory_make("audioconvert", nullptr);
    VolumeControl = gst_element_factory_make("volume", nullptr);
    GstElement *resample = gst_element_factory_make("audioresample", nullptr);
    GstElement *filter = gst_element_factory_make("capsfilter", nullptr);
    GstCaps *caps = OutputCaps();
    g_object_set(filter, "caps", caps, nullptr);
    gst_caps_unref(caps);
    gst_bin_add_many(GST_BIN(bin), convert, VolumeControl, resample, filter, Sink, nullptr);
    gst_element_link_many(convert, VolumeControl, resample, filter, Sink, nullptr);
    GstPad *input = gst_element_get_static_pad(convert, "sink");
    gst_element_add_pad(bin, gst_ghost_pad_new("sink", input));
    gst_object_unref(input);
    GstPad *output = gst_element_get_static_pad(filter, "src");
    gst_pad_add_probe(output,
        static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM), &TImpl::OnProbe,
        this, nullptr);
    gst_object_unref(output);
    return bin;
}

std::int64_t TAudioStream::TImpl::ParserConvert(GstFormat From, std::int64_t Value, GstFormat To)
{
    gint64 result = -1;
    GstIterator *elements = gst_bin_iterate_recurse(GST_BIN(Pipeline));
    GValue item = G_VALUE_INIT;
    while (result < 0 && gst_iterator_next(elements, &item) == GST_ITERATOR_OK) {
        auto *element = GST_ELEMENT(g_value_get_object(&item));
        GstElementFactory *factory = gst_element_get_factory(element);
        const gchar *klass = factory ? gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS) : nullptr;
        if (klass && g_strrstr(klass, "Parser")) {
            if (GstPad *pad = gst_element_get_static_pad(element, "src")) {
                if (!gst_pad_query_convert(pad, From, Value, To, &result))
                    result = -1;
                gst_object_unref(pad);
            }
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(elements);
    return result;
}

bool TAudioStream::Open()
{
    TImpl &impl = *FImpl;
    if (!impl.Pipeline)
        return false;
    if (impl.Download && !impl.Download->Connect())
        return false;
    const GstStateChangeReturn change = gst_element_set_state(impl.Pipeline, GST_STATE_PAUSED);
    if (change == GST_STATE_CHANGE_FAILURE)
        return false;
    std::unique_lock lock(impl.StateLock);
    if (change == GST_STATE_CHANGE_SUCCESS || change == GST_STATE_CHANGE_NO_PREROLL)
        impl.Prerolled = true;
    // Gives up when nothing has come for a while: a stalled download, or a
    // decoder that neither starts nor fails.
    const auto started = std::chrono::steady_clock::now();
    const auto deadline
        = [&] { return (impl.Download ? std::max(started, impl.Download->LastProgress()) : started) + OpenTimeout; };
    for (;;) {
        if (impl.Failed || impl.Aborted || std::chrono::steady_clock::now() >= deadline())
            return false;
        if (impl.Prerolled)
            break;
        impl.StateChanged.wait_until(lock, deadline());
    }
    lock.unlock();
    // Prerolled is not enough: a picture or any other file without sound
    // prerolls too, with nothing linked to the output.
    gint audioStreams = 0;
    g_object_get(impl.Pipeline, "n-audio", &audioStreams, nullptr);
    if (audioStreams <= 0)
        return false;
    lock.lock();
    impl.Opened = true;
    lock.unlock();
    Length(); // keeps the estimate for a stream that ends early
    return true;
}

void TAudioStream::Abort()
{
    TImpl &impl = *FImpl;
    {
        std::lock_guard guard(impl.StateLock);
        impl.Aborted = true;
    }
    impl.StateChanged.notify_all();
    if (impl.Download)
        impl.Download->Abort();
}

bool TAudioStream::Play()
{
    return FImpl->Pipeline && gst_element_set_state(FImpl->Pipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

bool TAudioStream::Pause()
{
    return FImpl->Pipeline && gst_element_set_state(FImpl->Pipeline, GST_STATE_PAUSED) != GST_STATE_CHANGE_FAILURE;
}

void TAudioStream::SetVolume(double Volume)
{
    g_object_set(FImpl->VolumeControl, "volume", std::clamp(Volume, 0.0, 1.0), nullptr);
}

double TAudioStream::Volume() const
{
    gdouble volume = 0;
    g_object_get(FImpl->VolumeControl, "volume", &volume, nullptr);
    return volume;
}

std::int64_t TAudioStream::Position()
{
    TImpl &impl = *FImpl;
    {
        std::lock_guard guard(impl.StateLock);
        if (impl.Ended)
            return impl.EndBytes;
    }
    gint64 time = 0;
    if (!gst_element_query_position(impl.Pipeline, GST_FORMAT_TIME, &time) || time < 0)
        return -1;
    return TimeToBytes(time);
}

std::int64_t TAudioStream::Length()
{
    TImpl &impl = *FImpl;
    gint64 time = -1;
    // A parser that has no length yet may say 0 (a Xing header on a download
    // without a size). Once the whole file is in, where it ends gives one.
    bool known = gst_element_query_duration(impl.Pipeline, GST_FORMAT_TIME, &time) && time > 0;
    if (!known && impl.Download && impl.Download->IsComplete()) {
        time = impl.ParserConvert(GST_FORMAT_BYTES, impl.Download->End(), GST_FORMAT_TIME);
        known = time > 0;
    }
    std::lock_guard guard(impl.StateLock);
    if (impl.Ended && impl.EndedComplete)
        return impl.EndBytes;
    // After the end the decoder may no longer answer; keep the last estimate.
    if (known && !impl.Ended)
        impl.Duration = time;
    return impl.Duration < 0 ? -1 : TimeToBytes(impl.Duration);
}

bool TAudioStream::SetPosition(std::int64_t Bytes)
{
    TImpl &impl = *FImpl;
    // An unknown length (a variable rate without a header that gives it, read
    // only in part so far) does not forbid the seek: the parser estimates.
    const std::int64_t length = Length();
    if (Bytes < 0 || (length >= 0 && Bytes >= length))
        return false;
    const GstClockTime time = BytesToTime(Bytes);
    // The parser scans forward from the last frame it has seen when the target
    // is near it in time, which on a download means waiting for every byte
    // before the target: far ahead of the download, ask for the file's bytes
    // there instead.
    const std::int64_t fileOffset
        = impl.Download ? impl.ParserConvert(GST_FORMAT_TIME, static_cast<std::int64_t>(time), GST_FORMAT_BYTES) : -1;
    if (fileOffset >= 0 && impl.Download->BrokeOffBefore(fileOffset))
        return false;
    bool sought;
    if (fileOffset >= 0 && impl.Download->IsFarAhead(fileOffset))
        sought = gst_element_seek(impl.Pipeline, 1.0, GST_FORMAT_BYTES, GST_SEEK_FLAG_FLUSH, GST_SEEK_TYPE_SET,
            fileOffset, GST_SEEK_TYPE_NONE, -1);
    else
        sought = gst_element_seek_simple(impl.Pipeline, GST_FORMAT_TIME,
            static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE), time);
    if (!sought)
        return false;
    std::lock_guard guard(impl.StateLock);
    impl.Ended = false;
    return true;
}

bool TAudioStream::IsURLStream() const
{
    return FImpl->Download != nullptr;
}

std::int64_t TAudioStream::FileSize() const
{
    return FImpl->Download ? FImpl->Download->Size() : -1;
}

GstBusSyncReply TAudioStream::TImpl::OnBusMessage(GstBus *, GstMessage *Message, gpointer Self)
{
    auto *self = static_cast<TImpl *>(Self);
    // A dropped message is ours to free: each one holds its source, and so
    // the whole pipeline with its bus and buffers.
    const GstMessageType type = GST_MESSAGE_TYPE(Message);
    gst_message_unref(Message);
    switch (type) {
    case GST_MESSAGE_ASYNC_DONE: {
        std::lock_guard guard(self->StateLock);
        self->Prerolled = true;
        break;
    }
    case GST_MESSAGE_ERROR: {
        bool opened;
        {
            std::lock_guard guard(self->StateLock);
            opened = self->Opened;
            self->Failed = true;
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
    self->StateChanged.notify_all();
    return GST_BUS_DROP;
}

void TAudioStream::TImpl::EndReached(bool Clean)
{
    {
        std::lock_guard guard(StateLock);
        if (Ended)
            return;
        Ended = true;
        EndBytes = TimeToBytes(DecodedEnd);
        // Judged by what has come, not by whether the download thread has
        // marked itself done yet: the source ends the stream at the announced
        // size a moment before that.
        EndedComplete = Clean && (!Download || Download->IsComplete());
    }
    if (OnEnd)
        OnEnd();
}

GstPadProbeReturn TAudioStream::TImpl::OnProbe(GstPad *, GstPadProbeInfo *Info, gpointer Self)
{
    auto *self = static_cast<TImpl *>(Self);
    GstSegment &segment = self->Segment;
    if (Info->type & GST_PAD_PROBE_TYPE_BUFFER) {
        GstBuffer *buffer = GST_PAD_PROBE_INFO_BUFFER(Info);
        if (GST_BUFFER_PTS_IS_VALID(buffer)) {
            GstClockTime end = GST_BUFFER_PTS(buffer);
            end += GST_BUFFER_DURATION_IS_VALID(buffer)
                ? GST_BUFFER_DURATION(buffer)
                : BytesToTime(static_cast<std::int64_t>(gst_buffer_get_size(buffer)));
            const guint64 streamTime = gst_segment_to_stream_time(&segment, GST_FORMAT_TIME, end);
            if (streamTime != GST_CLOCK_TIME_NONE)
                self->DecodedEnd = static_cast<std::int64_t>(streamTime);
        }
    } else if (GstEvent *event = GST_PAD_PROBE_INFO_EVENT(Info); event && GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
        gst_event_copy_segment(event, &segment);
        if (segment.format == GST_FORMAT_TIME)
            self->DecodedEnd = static_cast<std::int64_t>(segment.time);
    }
    return GST_PAD_PROBE_OK;
}

void TAudioStream::TImpl::OnSourceSetup(GstElement *, GstElement *Source, gpointer Self)
{
    auto *self = static_cast<TImpl *>(Self);
    // The download thread may be feeding already: it looks at the source under this lock.
    std::lock_guard guard(self->FeedLock);
    if (!GST_IS_APP_SRC(Source) || self->AppSrc)
        return;
    self->AppSrc = GST_APP_SRC(gst_object_ref(Source));
    g_object_set(Source, "format", GST_FORMAT_BYTES, nullptr);
    // Seekable, not random access: random access would wait for the whole file.
    gst_app_src_set_stream_type(self->AppSrc, GST_APP_STREAM_TYPE_SEEKABLE);
    gst_app_src_set_size(self->AppSrc, self->Download->Size());
    GstAppSrcCallbacks callbacks {};
    callbacks.need_data = &TImpl::OnNeedData;
    callbacks.enough_data = &TImpl::OnEnoughData;
    callbacks.seek_data = &TImpl::OnSeekData;
    gst_app_src_set_callbacks(self->AppSrc, &callbacks, self, nullptr);
}

void TAudioStream::TImpl::OnNeedData(GstAppSrc *, guint, gpointer Self)
{
    auto *self = static_cast<TImpl *>(Self);
    std::lock_guard guard(self->FeedLock);
    self->WantData = true;
    self->Feed();
}

void TAudioStream::TImpl::OnEnoughData(GstAppSrc *, gpointer Self)
{
    auto *self = static_cast<TImpl *>(Self);
    std::lock_guard guard(self->FeedLock);
    self->WantData = false;
}

gboolean TAudioStream::TImpl::OnSeekData(GstAppSrc *, guint64 Offset, gpointer Self)
{
    auto *self = static_cast<TImpl *>(Self);
    TStreamDownload &download = *self->Download;
    const auto offset = static_cast<std::int64_t>(Offset);
    const std::int64_t size = download.Size();
    if (size >= 0 && offset > size)
        return FALSE;
    if (download.BrokeOffBefore(offset))
        return FALSE;
    // Far ahead of the download (or behind what it still holds): fetch from there.
    download.Refetch(offset);
    std::lock_guard guard(self->FeedLock);
    self->FeedOffset = offset;
    // Wait for the source to ask again: anything pushed before it has
    // flushed its queue would be lost.
    self->WantData = false;
    self->EndSent = false;
    return TRUE;
}

// Pushes what has arrived while the source wants data; ends the source when
// the download has ended and everything was pushed. Runs on the streaming
// thread (asked for data) or the download thread (new data came).
void TAudioStream::TImpl::Feed()
{
    std::lock_guard guard(FeedLock);
    if (!AppSrc)
        return;
    while (WantData) {
        const std::int64_t available = Download->End() - FeedOffset;
        GstBuffer *buffer = nullptr;
        std::size_t copied = 0;
        if (available > 0) {
            const std::size_t length = std::min<std::size_t>(FeedBlock, static_cast<std::size_t>(available));
            buffer = gst_buffer_new_allocate(nullptr, length, nullptr);
            GstMapInfo map;
            gst_buffer_map(buffer, &map, GST_MAP_WRITE);
            copied = Download->Read(FeedOffset, reinterpret_cast<char *>(map.data), length);
            gst_buffer_unmap(buffer, &map);
        }
        if (copied == 0) {
            if (buffer)
                gst_buffer_unref(buffer);
            if (Download->IsFinished() && !EndSent && FeedOffset >= Download->End()) {
                EndSent = true;
                gst_app_src_end_of_stream(AppSrc);
            }
            return;
        }
        gst_buffer_set_size(buffer, static_cast<gssize>(copied));
        GST_BUFFER_OFFSET(buffer) = static_cast<guint64>(FeedOffset);
        FeedOffset += static_cast<std::int64_t>(copied);
        if (gst_app_src_push_buffer(AppSrc, buffer) != GST_FLOW_OK) {
            WantData = false;
            return;
        }
    }
}
