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

// Downloads one audio file on a thread of its own and keeps it in memory, so
// the decoder can read any part that has arrived. Every block is handed to
// OnBlock as it comes, then a call with no data marks the end of a transfer.
//
// The part held is one run of the file, [Start, End). A read far ahead of it
// can restart the transfer at that point with a range request; a server that
// ignores ranges sends the file from its start again, and is not asked twice.
class TStreamDownload
{
public:
    using TBlockEvent = std::function<void(const void *Buffer, std::uint32_t Length)>;

    // NetTimeout: how long the first data may take, and how long the transfer
    // may go on below a playable rate before it is given up.
    TStreamDownload(QByteArray URL, TBlockEvent OnBlock, std::chrono::milliseconds NetTimeout);
    ~TStreamDownload();
    TStreamDownload(const TStreamDownload &) = delete;
    TStreamDownload &operator=(const TStreamDownload &) = delete;

    // Starts the download and waits until the first data has arrived or the
    // download has ended. False when the connection was refused, the server
    // answered with an error status, nothing came in time, or it was aborted.
    bool Connect();
    // Any thread: ends the transfer at once; Connect returns false.
    void Abort();
    // The owner: ends the transfer and waits for the thread, so that no block
    // reaches OnBlock or OnChange afterwards.
    void Stop();

    // Runs on the download thread after each block and at the end.
    void SetOnChange(std::function<void()> OnChange) { FOnChange = std::move(OnChange); }

    // The file's size from the answer's headers; -1 when the server gave none.
    std::int64_t Size() const { return FSize; }
    // The end of the part held.
    std::int64_t End() const;
    // Copies up to Length bytes from Offset of the file; returns how many were
    // copied (0 when Offset is not in the part held).
    std::size_t Read(std::int64_t Offset, char *Out, std::size_t Length) const;
    // Makes the transfer go on from Offset when Offset is outside the part held
    // and the server may honour ranges; true when it will.
    bool Refetch(std::int64_t Offset);
    // Offset is beyond what is quicker to wait for than to fetch anew.
    bool IsFarAhead(std::int64_t Offset) const;
    // The transfer broke off before reaching Offset: nothing more will come.
    bool BrokeOffBefore(std::int64_t Offset) const;
    std::chrono::steady_clock::time_point LastProgress() const;
    bool IsFinished() const;
    bool IsFailed() const;
    // The part held reaches the end of the file: the transfer ended without
    // error, or every byte the headers announced is in.
    bool IsComplete() const;

private:
    static std::size_t WriteData(char *Data, std::size_t Size, std::size_t Count, void *Self);
    void Run();
    // Under FLock: the transfer from FStart.
    void BeginTransfer();
    bool Append(const char *Data, std::size_t Length);

    QByteArray FURL;
    TBlockEvent FOnBlock;
    std::function<void()> FOnChange;
    std::chrono::milliseconds FNetTimeout;
    Curl::TMultiHandle FMulti;
    Curl::TEasyHandle FEasy;
    std::thread FThread;

    mutable std::mutex FLock;
    std::condition_variable FArrived;
    std::vector<char> FData;
    std::int64_t FStart = 0;
    // The start the next transfer asks for; -1 when none is wanted.
    std::int64_t FRestartAt = -1;
    bool FHeadSeen = false;
    bool FRangesRefused = false;
    bool FFinished = false;
    bool FFailed = false;
    std::chrono::steady_clock::time_point FLastProgress;
    std::atomic<std::int64_t> FSize {-1};
    std::atomic<bool> FStop {false};
};
