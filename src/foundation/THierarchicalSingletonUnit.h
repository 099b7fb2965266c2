#pragma once

#include "foundation/BaseTypesUnit.h"

#include <typeindex>

// One instance per exact class: a class and each of its descendants get their
// own. Obtain instances with GetInstance<C>(); never construct them directly
// (constructors are protected; each class names
// `template <class C> friend C *GetInstance();`).
class THierarchicalSingleton : public TObject
{
public:
    ~THierarchicalSingleton() override;

    // Frees every registered singleton; run once when the program ends.
    static void DoDestroy();

    template<class C> friend C *GetInstance();

protected:
    THierarchicalSingleton() = default;

private:
    static THierarchicalSingleton *Find(std::type_index ClassKey);
    static void Register(std::type_index ClassKey, THierarchicalSingleton *Instance);

    std::type_index FClassKey = typeid(void);
};

template<class C> C *GetInstance()
{
    static_assert(std::is_base_of_v<THierarchicalSingleton, C>, "not a singleton class");
    const std::type_index key(typeid(C));
    if (auto *existing = THierarchicalSingleton::Find(key))
        return static_cast<C *>(existing);
    auto *instance = new C();
    THierarchicalSingleton::Register(key, instance);
    return instance;
}
