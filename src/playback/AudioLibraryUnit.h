#pragma once

#include <QString>

#include <cstdint>

// The audio library the player is written against: streams from a URL or a
// file, decoded and played on the output chosen by MARVANE_AUDIO_SINK (a
// GStreamer sink description; unset: the desktop's audio; "fakesink": a null
// output that still plays in real time; "fakesink sync=false": as fast as
// decoding goes).
//
// Handles are never 0 for a live stream; 0 means failure or none. Byte
// positions count decoded 16-bit stereo 44.1 kHz PCM; -1 means failure.
namespace AudioLibrary {

using THandle = std::uint32_t;
// Called on the download thread with every block of the file as it arrives,
// then once with no data when the download has ended.
using TDownloadProc = void (*)(const void *Buffer, std::uint32_t Length, std::uint32_t User);
// Called on the library's own thread when a stream has ended.
using TSyncProc = void (*)(THandle Sync, THandle Channel, std::uint32_t Data, std::uint32_t User);

enum class TFilePosition { fpStart, fpEnd };

// Opens the output; false when no output can be opened.
bool Init();
// Frees every stream left and stops the library's thread.
void Free();

// Returns once the server has answered and the start of the file has been
// read and decoded. Redirects are followed; an error status, a refused
// connection or a file that cannot be decoded give 0.
THandle StreamCreateURL(const QString &URL, TDownloadProc Proc, std::uint32_t User);
THandle StreamCreateFile(const QString &FilePath);
// fpStart: where the stream begins in the file (0); fpEnd: the file's size.
// -1 when not known.
std::int64_t StreamGetFilePosition(THandle Channel, TFilePosition Mode);
bool StreamFree(THandle Channel);

// Calls Proc when the stream ends; returns the sync's handle, 0 on failure.
THandle ChannelSetSyncEnd(THandle Channel, TSyncProc Proc, std::uint32_t User);
bool ChannelPlay(THandle Channel);
bool ChannelPause(THandle Channel);
// Volume from 0 (silent) to 1 (full).
bool ChannelSetVolume(THandle Channel, float Volume);
std::int64_t ChannelGetPosition(THandle Channel);
std::int64_t ChannelGetLength(THandle Channel);
bool ChannelSetPosition(THandle Channel, std::int64_t Bytes);
double ChannelBytes2Seconds(THandle Channel, std::int64_t Bytes);
std::int64_t ChannelSeconds2Bytes(THandle Channel, double Seconds);

} // namespace AudioLibrary
