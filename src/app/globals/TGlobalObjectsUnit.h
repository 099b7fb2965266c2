#pragma once

#include <functional>
#include <memory>
#include <vector>

class TAudioPlayer;
class TThreadedObjectsManager;

// Owns the program-wide objects for as long as it lives: the audio library,
// the threaded-objects manager (global ThreadedObjectsManager) and the audio
// player (global AudioPlayer), brought up in that order and freed in reverse.
// The program, the tests and the benchmarks all start and end them here.
// Needs the application object.
class TGlobalObjects
{
public:
    // Raises "Can't initialize device" when no audio output can be opened;
    // nothing is left created then.
    TGlobalObjects();
    ~TGlobalObjects();
    TGlobalObjects(const TGlobalObjects &) = delete;
    TGlobalObjects &operator=(const TGlobalObjects &) = delete;

    // Stops RequestManager's worker thread (its StopThread) first thing when
    // the objects are freed, in the order of the calls, so that no worker
    // hands new work to a manager that is going. Any request queue serves:
    // the API queues and the web client's. RequestManager must outlive this
    // owner.
    template<class TRequestManager> void AddQueueWorker(TRequestManager &RequestManager)
    {
        FQueueWorkerStops.push_back([&RequestManager] { RequestManager.StopThread(); });
    }

private:
    // Each part sets its global when made and clears it when freed.
    struct TAudioLibrary
    {
        TAudioLibrary();
        ~TAudioLibrary();
    };
    template<class T> struct TGlobal
    {
        explicit TGlobal(T *&AGlobal);
        ~TGlobal();
        T *&Global;
        std::unique_ptr<T> Object;
    };

    TAudioLibrary FAudioLibrary;
    TGlobal<TThreadedObjectsManager> FThreadedObjectsManager;
    TGlobal<TAudioPlayer> FAudioPlayer;
    std::vector<std::function<void()>> FQueueWorkerStops;
};
