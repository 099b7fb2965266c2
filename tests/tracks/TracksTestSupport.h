#pragma once

#include "tracks/records/QelmTypesUnit.h"

#include "support/TestEnvironment.h"
#include "support/TestHTTPServer.h"
#include "vkweb/VKWebTestSupport.h"

#include <QList>
#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

class TAudioData;
class TGlobalObjects;
class TVKEmulationManager;
struct TAudioDataAnimations;

// The audio endpoint's framed answer around a JSON text, and the site's
// track array for a record.
std::string FramedJSON(const std::string &JSON);
std::string TrackJSON(const TVKAudioRecord &Record);
// A page of a list or of search results.
std::string ListAnswer(const QList<TVKAudioRecord> &Records);
TVKAudioRecord Record(int OwnerID, int AID, const QString &Artist, const QString &Title);

// A form field of a recorded request.
std::string FormValue(const std::string &Body, const std::string &Name);

// The audio endpoint as the test scripts it, on loopback, with the web URL
// pointing at it for as long as it lives. Answer gets the request's "act"
// and form body and returns the HTTP status and the UTF-8 text to send
// (in Windows-1251, as the site does). Runs on the server's threads.
class TScriptedSite
{
public:
    struct TAnswer
    {
        int Status = 200;
        QString Body;
    };
    using THandler = std::function<TAnswer(const std::string &Act, const std::string &Body)>;

    explicit TScriptedSite(THandler Handler);
    ~TScriptedSite();

    // The requests of one act seen so far.
    std::vector<TRecordedRequest> Requests(const std::string &Act) const;

private:
    THandler FHandler;
    TTestHTTPServer FServer;
    std::unique_ptr<TScopedEnvironment> FSite;
};

// A gate a server thread waits at until the test opens it (or it is destroyed).
class TGate
{
public:
    ~TGate() { Open(); }
    void Open();
    void Wait();

private:
    std::mutex FLock;
    std::condition_variable FOpened;
    bool FIsOpen = false;
};

// The program-wide objects and a web client for a test, in the order the
// program makes and frees them.
class TListsEnvironment
{
public:
    TListsEnvironment();
    ~TListsEnvironment();

    TVKEmulationManager &Manager() { return *FManager; }
    // Signs in on the stand-in; true on success.
    bool SignIn(const QString &Login, const QString &Password);
    // True once every task has ended and its result has been handled.
    static bool TasksHandled();

private:
    TTempUserFolders FFolders;
    std::unique_ptr<TGlobalObjects> FGlobals;
    std::unique_ptr<TVKEmulationManager> FManager;
};

// What a list announced.
class TListEvents
{
public:
    explicit TListEvents(TAudioData &Data);

    std::vector<bool> Changes; // the IsCurrentDataUpdated of each change
    std::vector<int> ItemChanges;
    bool WaitForChanges(std::size_t Count) const;
};

// Animations as the windows would run them: each start hands out the next
// identifier and each stop ends one.
class TAnimationsRecorder
{
public:
    void Connect(TAudioDataAnimations &Animations);

    std::set<int> Running;
    std::vector<int> Stopped;

private:
    int FNextID = 100;
};
