#pragma once

#include "lastfm/TLastFMAPIRequestManagerUnit.h"
#include "metadata/blocks/TMetaDataBlockUnit.h"

#include "support/TestEnvironment.h"
#include "tracks/TracksTestSupport.h"

#include <memory>
#include <vector>

// Every state a block went through, in order.
class TStateLog
{
public:
    explicit TStateLog(TMetaDataBlock &Block) : FBlock(Block)
    {
        Block.OnStateChanged = [this](TObject *) { States.push_back(FBlock.State()); };
    }
    ~TStateLog() { FBlock.OnStateChanged = nullptr; }
    TStateLog(const TStateLog &) = delete;
    TStateLog &operator=(const TStateLog &) = delete;

    std::vector<int> States;

private:
    TMetaDataBlock &FBlock;
};

// Waits until the block is in State.
inline bool WaitForState(const TMetaDataBlock &Block, int State)
{
    return TestEnvironment::WaitFor([&] { return Block.State() == State; }, std::chrono::seconds(20));
}

// The program-wide objects, a web client and the Last.fm queue, made and
// freed in the program's order. The queue runs without a pause between
// requests, so that a test waits only for its answers.
class TMetaDataEnvironment
{
public:
    TMetaDataEnvironment() : FLastFM(std::make_unique<TLastFMAPIRequestManager>(0)) { }
    ~TMetaDataEnvironment() { FLastFM.reset(); }

    TVKEmulationManager &VK() { return FLists.Manager(); }
    TLastFMAPIRequestManager &LastFM() { return *FLastFM; }
    bool SignIn() { return FLists.SignIn(QStringLiteral("plain@marvane.test"), QStringLiteral("plain-pass")); }

private:
    TListsEnvironment FLists;
    std::unique_ptr<TLastFMAPIRequestManager> FLastFM;
};
