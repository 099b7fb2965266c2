#pragma once

#include "foundation/BaseTypesUnit.h"

#include <memory>

// Objects that copy themselves as an instance of their own class.
//
// Each class in a family has a constructor taking `const TCloneable &Source`
// that runs its parent's, then copies its own fields only when Source is of
// its class (a source of a more general class fills only the shared fields).
// Clone() is `X.ClassType.Clone(X)`: a new object of X's class built from X.
class TCloneable : public TObject
{
public:
    virtual std::unique_ptr<TCloneable> Clone() const = 0;
};

template<class T> std::unique_ptr<T> CloneOf(const T &Source)
{
    return std::unique_ptr<T>(static_cast<T *>(Source.Clone().release()));
}
