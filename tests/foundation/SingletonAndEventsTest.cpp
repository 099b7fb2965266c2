#include "foundation/TCloneableUnit.h"
#include "foundation/TEventListUnit.h"
#include "foundation/THierarchicalSingletonUnit.h"
#include "foundation/TIDGeneratorUnit.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

// Singleton classes live outside an unnamed namespace: their friend
// declaration must name the global GetInstance.
static int GCreatedCounters = 0;

class TCounterSingleton : public THierarchicalSingleton
{
public:
    int Value = 0;

protected:
    template<class C> friend C *GetInstance();
    TCounterSingleton() { ++GCreatedCounters; }
};

class TDerivedCounterSingleton : public TCounterSingleton
{
protected:
    template<class C> friend C *GetInstance();
    TDerivedCounterSingleton() = default;
};

class TFirstIDs : public TIDGenerator
{
protected:
    template<class C> friend C *GetInstance();
    TFirstIDs() = default;
};

class TSecondIDs : public TIDGenerator
{
protected:
    template<class C> friend C *GetInstance();
    TSecondIDs() = default;
};

TEST(HierarchicalSingleton, OneInstancePerExactClass)
{
    auto *base = GetInstance<TCounterSingleton>();
    auto *derived = GetInstance<TDerivedCounterSingleton>();
    EXPECT_NE(static_cast<TCounterSingleton *>(derived), base);
    EXPECT_EQ(GetInstance<TCounterSingleton>(), base);
    EXPECT_EQ(GetInstance<TDerivedCounterSingleton>(), derived);
    THierarchicalSingleton::DoDestroy();
}

TEST(HierarchicalSingleton, FreedByHandIsCreatedAgain)
{
    const int before = GCreatedCounters;
    auto *first = GetInstance<TCounterSingleton>();
    first->Value = 42;
    delete first;
    auto *second = GetInstance<TCounterSingleton>();
    EXPECT_EQ(second->Value, 0);
    EXPECT_EQ(GCreatedCounters, before + 2);
    THierarchicalSingleton::DoDestroy();
}

TEST(HierarchicalSingleton, DoDestroyFreesEveryInstance)
{
    GetInstance<TCounterSingleton>()->Value = 7;
    GetInstance<TDerivedCounterSingleton>()->Value = 8;
    THierarchicalSingleton::DoDestroy();
    EXPECT_EQ(GetInstance<TCounterSingleton>()->Value, 0);
    EXPECT_EQ(GetInstance<TDerivedCounterSingleton>()->Value, 0);
    THierarchicalSingleton::DoDestroy();
}

TEST(IDGenerator, EachClassCountsFromZero)
{
    EXPECT_EQ(GetInstance<TFirstIDs>()->GetID(), 0);
    EXPECT_EQ(GetInstance<TFirstIDs>()->GetID(), 1);
    EXPECT_EQ(GetInstance<TSecondIDs>()->GetID(), 0);
    EXPECT_EQ(GetInstance<TFirstIDs>()->GetID(), 2);
    THierarchicalSingleton::DoDestroy();
    EXPECT_EQ(GetInstance<TFirstIDs>()->GetID(), 0);
    THierarchicalSingleton::DoDestroy();
}

TEST(EventList, InvokesInOrderAndNotHandlersAddedDuringThePass)
{
    TNotifyEventList list;
    list.InvokeEvents(nullptr); // no handlers: nothing happens

    std::vector<int> calls;
    TObject sender;
    TNotifyEvent first = [&](TObject *Sender) {
        EXPECT_EQ(Sender, &sender);
        calls.push_back(1);
    };
    list.Add(first);
    list.Add([&](TObject *) {
        calls.push_back(2);
        list.Add([&](TObject *) { calls.push_back(3); });
    });
    list.Add(first);

    list.InvokeEvents(&sender);
    EXPECT_EQ(calls, (std::vector<int> {1, 2, 1}));
    calls.clear();
    list.InvokeEvents(&sender);
    EXPECT_EQ(calls, (std::vector<int> {1, 2, 1, 3}));
}

TEST(EventList, ARemovedHandlerIsNotCalledAgainEvenDuringThePass)
{
    TNotifyEventList list;
    std::vector<int> calls;
    TNotifyEventList::TToken second = 0, third = 0;
    const auto first = list.Add([&](TObject *) {
        calls.push_back(1);
        list.Remove(third); // a later handler of this very pass
    });
    second = list.Add([&](TObject *) {
        calls.push_back(2);
        list.Remove(second); // itself, while it runs
        calls.push_back(22);
    });
    third = list.Add([&](TObject *) { calls.push_back(3); });
    EXPECT_EQ(list.Count(), 3u);

    list.InvokeEvents(nullptr);
    EXPECT_EQ(calls, (std::vector<int> {1, 2, 22}));
    EXPECT_EQ(list.Count(), 1u);
    list.Remove(first);
    list.Remove(first); // twice: nothing more happens
    EXPECT_EQ(list.Count(), 0u);
    calls.clear();
    list.InvokeEvents(nullptr);
    EXPECT_TRUE(calls.empty());
}

TEST(EventList, AFailingHandlerStopsThePass)
{
    TNotifyEventList list;
    int later = 0;
    list.Add([](TObject *) { throw std::runtime_error("handler failed"); });
    list.Add([&](TObject *) { ++later; });
    EXPECT_THROW(list.InvokeEvents(nullptr), std::runtime_error);
    EXPECT_EQ(later, 0);
}

namespace {

class TShape : public TCloneable
{
public:
    TShape() = default;
    explicit TShape(const TCloneable &Source)
    {
        if (auto *shape = dynamic_cast<const TShape *>(&Source))
            Name = shape->Name;
    }
    std::unique_ptr<TCloneable> Clone() const override
    {
        return std::make_unique<TShape>(static_cast<const TCloneable &>(*this));
    }
    QString Name;
};

class TCircle : public TShape
{
public:
    TCircle() = default;
    explicit TCircle(const TCloneable &Source) : TShape(Source)
    {
        if (auto *circle = dynamic_cast<const TCircle *>(&Source))
            Radius = circle->Radius;
    }
    std::unique_ptr<TCloneable> Clone() const override
    {
        return std::make_unique<TCircle>(static_cast<const TCloneable &>(*this));
    }
    int Radius = 1;
};

} // namespace

TEST(Cloneable, CloneKeepsTheClassAndAGeneralSourceFillsSharedFields)
{
    TCircle circle;
    circle.Name = QStringLiteral("c");
    circle.Radius = 5;
    std::unique_ptr<TShape> copy = CloneOf<TShape>(circle);
    auto *asCircle = dynamic_cast<TCircle *>(copy.get());
    ASSERT_NE(asCircle, nullptr);
    EXPECT_EQ(asCircle->Name, QStringLiteral("c"));
    EXPECT_EQ(asCircle->Radius, 5);

    TShape general;
    general.Name = QStringLiteral("g");
    TCircle fromGeneral(general);
    EXPECT_EQ(fromGeneral.Name, QStringLiteral("g"));
    EXPECT_EQ(fromGeneral.Radius, 1);
}
