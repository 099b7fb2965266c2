#include "app/globals/TGlobalObjectsUnit.h"

#include "foundation/BaseTypesUnit.h"
#include "foundation/TThreadedObjectsManagerUnit.h"
#include "playback/AudioLibraryUnit.h"
#include "playback/TAudioPlayerUnit.h"

TGlobalObjects::TAudioLibrary::TAudioLibrary()
{
    if (!AudioLibrary::Init())
        throw Exception(QStringLiteral("Can't initialize device"));
}

TGlobalObjects::TAudioLibrary::~TAudioLibrary()
{
    AudioLibrary::Free();
}

template<class T> TGlobalObjects::TGlobal<T>::TGlobal(T *&AGlobal) : Global(AGlobal), Object(std::make_unique<T>())
{
    Global = Object.get();
}

template<class T> TGlobalObjects::TGlobal<T>::~TGlobal()
{
    // The global stays valid while the object is freed: its own threads may
    // still look it up until they have ended.
    Object.reset();
    Global = nullptr;
}

TGlobalObjects::TGlobalObjects() : FThreadedObjectsManager(ThreadedObjectsManager), FAudioPlayer(AudioPlayer)
{
}

TGlobalObjects::~TGlobalObjects()
{
    // The player goes next (it stops playback or waits for its connection),
    // then the manager, which waits for every background task; the audio
    // library goes last, after the player has freed its stream.
    for (const auto &stop : FQueueWorkerStops)
        stop();
}
