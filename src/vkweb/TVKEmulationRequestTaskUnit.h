#pragma once

#include "foundation/TThreadedObjectUnit.h"
#include "tracks/records/QelmTypesUnit.h"

#include <QList>
#include <QStringList>

#include <cstdint>
#include <memory>

class TVKEmulationRequest;
class TVKEmulationTrackRequest;

class TVKEmulationRequestResult : public TObject
{
public:
    // 0 success, 1 failure.
    std::uint8_t ResultCode = 0;
};

class TVKEmulationAudioQueryRequestResult : public TVKEmulationRequestResult
{
public:
    QList<TVKAudioRecord> AudioRecords;
};

class TVKEmulationAudioURLGetterRequestResult : public TVKEmulationRequestResult
{
public:
    QStringList AudioURLs;
};

class TVKEmulationMyMusicAddRequestResult : public TVKEmulationRequestResult
{
public:
    TVKAudioRecord AddedAudioRecord;
};

// Runs one queued request against the audio endpoint on a thread of its own.
// Every failure becomes ResultCode 1; nothing escapes.
class TVKEmulationRequestTask : public TThreadedObject
{
public:
    explicit TVKEmulationRequestTask(std::unique_ptr<TVKEmulationRequest> ARequest);
    ~TVKEmulationRequestTask() override;

    // The task class for the request's kind.
    static std::unique_ptr<TVKEmulationRequestTask> Create(std::unique_ptr<TVKEmulationRequest> ARequest);

    TVKEmulationRequestResult *GetResult() const { return FResult.get(); }
    const TVKEmulationRequest &GetRequest() const { return *FRequest; }

protected:
    void Execute() final;
    void ExecuteFailed(const QString &Message) final;
    // The work; throws on failure.
    virtual void Run() = 0;
    // Called once by the constructor of each class that has its own result.
    void SetResult(std::unique_ptr<TVKEmulationRequestResult> AResult) { FResult = std::move(AResult); }

private:
    std::unique_ptr<TVKEmulationRequest> FRequest;
    std::unique_ptr<TVKEmulationRequestResult> FResult;
};

class TVKEmulationAudioQueryRequestTask : public TVKEmulationRequestTask
{
public:
    explicit TVKEmulationAudioQueryRequestTask(std::unique_ptr<TVKEmulationRequest> ARequest);
    TVKEmulationAudioQueryRequestResult *GetResult() const
    {
        return static_cast<TVKEmulationAudioQueryRequestResult *>(TVKEmulationRequestTask::GetResult());
    }
};

// A page of search results for "search_q" from "offset".
class TVKEmulationAudioSearchRequestTask : public TVKEmulationAudioQueryRequestTask
{
public:
    using TVKEmulationAudioQueryRequestTask::TVKEmulationAudioQueryRequestTask;

protected:
    void Run() override;
};

// The signed-in user's list (album "album_id").
class TVKEmulationAudioGetRequestTask : public TVKEmulationAudioQueryRequestTask
{
public:
    using TVKEmulationAudioQueryRequestTask::TVKEmulationAudioQueryRequestTask;

protected:
    void Run() override;
};

// The stream URLs of the tracks of "ids". An empty or non-HTTP URL (the site
// gives one for a blocked track) is a failure, not a URL to play.
class TVKEmulationAudioURLGetterRequestTask : public TVKEmulationRequestTask
{
public:
    explicit TVKEmulationAudioURLGetterRequestTask(std::unique_ptr<TVKEmulationRequest> ARequest);
    TVKEmulationAudioURLGetterRequestResult *GetResult() const
    {
        return static_cast<TVKEmulationAudioURLGetterRequestResult *>(TVKEmulationRequestTask::GetResult());
    }
    const TVKEmulationTrackRequest &GetRequest() const;

protected:
    void Run() override;
};

class TVKEmulationMyMusicAddRequestTask : public TVKEmulationRequestTask
{
public:
    explicit TVKEmulationMyMusicAddRequestTask(std::unique_ptr<TVKEmulationRequest> ARequest);
    TVKEmulationMyMusicAddRequestResult *GetResult() const
    {
        return static_cast<TVKEmulationMyMusicAddRequestResult *>(TVKEmulationRequestTask::GetResult());
    }
    const TVKEmulationTrackRequest &GetRequest() const;

protected:
    void Run() override;
};

class TVKEmulationMyMusicDeleteRequestTask : public TVKEmulationRequestTask
{
public:
    using TVKEmulationRequestTask::TVKEmulationRequestTask;

protected:
    void Run() override;
};
