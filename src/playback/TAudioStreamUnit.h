#pragma once

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <memory>

class TStreamDownload;

// One decoding pipeline: a file, or a download fed to the decoder as it
// arrives. Positions count the decoded PCM (see AudioLibrary) in bytes.
class TAudioStream
{
public:
    // SinkDescription: the output, as a GStreamer bin description.
    // Download: null for a file stream; not connected yet.
    TAudioStream(const QByteArray &SinkDescription, const QByteArray &URI, std::unique_ptr<TStreamDownload> Download);
    ~TAudioStream();
    TAudioStream(const TAudioStream &) = delete;
    TAudioStream &operator=(const TAudioStream &) = delete;

    // True when an output of that description can be opened.
    static bool CanOpenOutput(const QByteArray &SinkDescription);

    // Runs on a streaming thread when the stream has ended, at its end or at a
    // decoding error. Set before Open.
    void SetOnEnd(std::function<void()> OnEnd);
    // Connects the download, reads the start of the file and decodes its first
    // block; false when the file cannot be read, holds no audio, or Abort came.
    bool Open();
    // Any thread: makes an Open under way give up at once.
    void Abort();

    bool Play();
    bool Pause();
    void SetVolume(double Volume);
    double Volume() const;
    std::int64_t Position();
    // -1 while not known: a variable rate read only in part, or a download
    // without a size that has not ended yet.
    std::int64_t Length();
    bool SetPosition(std::int64_t Bytes);
    bool IsURLStream() const;
    // The file's size from the server; -1 for a file stream or when the server gave none.
    std::int64_t FileSize() const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
