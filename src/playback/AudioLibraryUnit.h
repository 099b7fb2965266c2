#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <mutex>

// The audio library the player is written against: streams from a URL or a
// file, decoded and played on the output chosen by MARVANE_AUDIO_SINK (a
// GStreamer sink description; unset: the desktop's audio; "fakesink": a null
// output that still plays in real time; "fakesink sync=false": as fast as
// decoding goes).
//
// Handles are never 0 for a live stream; 0 means failure or none. Byte
// positions count the decoded PCM below; -1 means failure.
namespace AudioLibrary {

// The decoded PCM: signed 16-bit little-endian stereo at 44.1 kHz.
inline constexpr int SampleRate = 44100;
inline constexpr int Channels = 2;
inline constexpr int SampleSize = 2;
inline constexpr const char *SampleFormat = "S16LE";
inline constexpr int BytesPerFrame = Channels * SampleSize;
inline constexpr std::int64_t BytesPerSecond = std::int64_t(SampleRate) * BytesPerFrame;

using THandle = std::uint32_t;
// Called on the download thread with every block of the file as it arrives,
// then once with no data when a transfer has ended (a seek far ahead may start
// another one from there, whose blocks follow).
using TDownloadProc = void (*)(const void *Buffer, std::uint32_t Length, std::uint32_t User);
// Called on the library's own thread when a stream has ended.
using TSyncProc = void (*)(THandle Sync, THandle Channel, std::uint32_t Data, std::uint32_t User);

enum class TFilePosition { fpEnd = 2, fpStart = 3 };

enum class TConfigOption {
    // Milliseconds a connection may wait for the server's first data, and a
    // download may go on far below a playable rate, before it fails (10000).
    coNetTimeout = 11,
};

// Lets another thread make a StreamCreateURL under way give up at once; one
// per connection.
class TConnectionAbort
{
public:
    void Abort();
    // For the library: what Abort does while a connection is under way.
    void SetAction(std::function<void()> Action);

private:
    std::mutex FLock;
    std::function<void()> FAction;
    bool FAborted = false;
};

// Opens the output; false when no output can be opened.
bool Init();
// Frees every stream left and stops the library's thread.
void Free();
bool SetConfig(TConfigOption Option, std::uint32_t Value);

// Returns once the server has answered and the start of the file has been
// read and decoded. Redirects are followed; an error status, a refused
// connection, a file that holds no audio, or Abort give 0. A server that
// sends no size is played all the same.
THandle StreamCreateURL(const QString &URL, TDownloadProc Proc, std::uint32_t User, TConnectionAbort *Abort = nullptr);
// A relative path is taken from the current folder.
THandle StreamCreateFile(const QString &FilePath);
// fpStart: where the stream begins in the file (0); fpEnd: the file's size, 0
// when the server gave none. -1 for no such URL stream.
std::int64_t StreamGetFilePosition(THandle Channel, TFilePosition Mode);
bool StreamFree(THandle Channel);

// Calls Proc when the stream ends; returns the sync's handle, 0 on failure.
THandle ChannelSetSyncEnd(THandle Channel, TSyncProc Proc, std::uint32_t User);
bool ChannelPlay(THandle Channel);
bool ChannelPause(THandle Channel);
// Volume from 0 (silent) to 1 (full).
bool ChannelSetVolume(THandle Channel, float Volume);
// -1 for no such stream.
float ChannelGetVolume(THandle Channel);
std::int64_t ChannelGetPosition(THandle Channel);
// -1 also while the length is not known yet: a variable rate without a header
// that gives it, or a download without a size that has not ended.
std::int64_t ChannelGetLength(THandle Channel);
bool ChannelSetPosition(THandle Channel, std::int64_t Bytes);
double ChannelBytes2Seconds(THandle Channel, std::int64_t Bytes);
std::int64_t ChannelSeconds2Bytes(THandle Channel, double Seconds);

} // namespace AudioLibrary
