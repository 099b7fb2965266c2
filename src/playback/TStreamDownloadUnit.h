#pragma once

#include <QByteArray>

#include "platform/CurlUnit.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Downloads one audio file on a thread of its own and keeps all of it in
// memory, so the decoder can read any part that has arrived. Every block is
// handed to OnBlock as it comes, then a last call with no data marks the end.
class TStreamDownload
{
public:
    using TBlockEvent = std::function<void(const void *Buffer, std::uint32_t Length)>;

    TStreamDownload(QByteArray URL, TBlockEvent OnBlock);
    ~TStreamDownload();
    TStreamDownload(const TStreamDownload &) = delete;
    TStreamDownload &operator=(const TStreamDownload &) = delete;

    // Starts the download and waits until the first data has arrived or the
    // download has ended. False when the connection was refused, the server
    // answered with an error status, or nothing came in time.
    bool Connect();

    // Runs on the download thread after each block and at the end.
    void SetOnChange(std::function<void()> OnChange) { FOnChange = std::move(OnChange); }

    // The file's size from the answer's headers; -1 when the server gave none.
    std::int64_t Size() const { return FSize; }
    std::int64_t Received() const;
    // Copies up to Length bytes from Offset; returns how many were copied.
    std::size_t Read(std::int64_t Offset, char *Out, std::size_t Length) const;
    std::chrono::steady_clock::time_point LastProgress() const;
    bool IsFinished() const { return FFinished; }
    bool IsFailed() const { return FFailed; }
    // Ended without error, with every byte the headers announced.
    bool IsComplete() const;

private:
    static std::size_t WriteData(char *Data, std::size_t Size, std::size_t Count, void *Self);
    void Run();
    void Append(const char *Data, std::size_t Length);

    QByteArray FURL;
    TBlockEvent FOnBlock;
    std::function<void()> FOnChange;
    Curl::TMultiHandle FMulti;
    Curl::TEasyHandle FEasy;
    std::thread FThread;

    mutable std::mutex FLock;
    std::condition_variable FArrived;
    std::vector<char> FData;
    std::chrono::steady_clock::time_point FLastProgress;
    std::atomic<std::int64_t> FSize{-1};
    std::atomic<bool> FStop{false};
    std::atomic<bool> FFinished{false};
    std::atomic<bool> FFailed{false};
};
