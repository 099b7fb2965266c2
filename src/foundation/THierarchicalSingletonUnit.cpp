#include "foundation/THierarchicalSingletonUnit.h"

#include <map>
#include <mutex>

namespace {

std::recursive_mutex &RegistryLock()
{
    static std::recursive_mutex lock;
    return lock;
}

std::map<std::type_index, THierarchicalSingleton *> &Registry()
{
    static std::map<std::type_index, THierarchicalSingleton *> registry;
    return registry;
}

} // namespace

THierarchicalSingleton::~THierarchicalSingleton()
{
    std::lock_guard guard(RegistryLock());
    auto it = Registry().find(FClassKey);
    if (it != Registry().end() && it->second == this)
        Registry().erase(it);
}

THierarchicalSingleton *THierarchicalSingleton::Find(std::type_index ClassKey)
{
    std::lock_guard guard(RegistryLock());
    auto it = Registry().find(ClassKey);
    return it == Registry().end() ? nullptr : it->second;
}

void THierarchicalSingleton::Register(std::type_index ClassKey, THierarchicalSingleton *Instance)
{
    std::lock_guard guard(RegistryLock());
    Instance->FClassKey = ClassKey;
    Registry()[ClassKey] = Instance;
}

void THierarchicalSingleton::DoDestroy()
{
    for (;;) {
        THierarchicalSingleton *first = nullptr;
        {
            std::lock_guard guard(RegistryLock());
            if (Registry().empty())
                return;
            first = Registry().begin()->second;
        }
        // The destructor takes the entry out of the registry.
        delete first;
    }
}
