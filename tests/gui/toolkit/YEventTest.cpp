// Handler lists: order, growth, removal and the single-handler form.
#include "gui/toolkit/YEvent.h"
#include "gui/toolkit/YEventParams.h"

#include "support/RaisedMessage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Params {
    std::vector<std::string> calls;
};

struct Target : YEventTarget {
    explicit Target(std::string n, bool a = false) : name(std::move(n)), answer(a) {}
    std::string name;
    bool answer;
    bool Handle(Params& p) {
        p.calls.push_back(name);
        return answer;
    }
    void Note(Params& p) { p.calls.push_back(name + "!"); }
};

TEST(Event, FiresHandlersInTheOrderTheyWereAdded) {
    Target a("a"), b("b", true), c("c");
    YEvent<Params> event;
    event.Add<&Target::Handle>(&a);
    event.Add<&Target::Note>(&b);
    event.Add<&Target::Handle>(&b);
    event.Add<&Target::Handle>(&c);
    Params p;
    EXPECT_TRUE(event.Fire(p));
    EXPECT_EQ(p.calls, (std::vector<std::string>{"a", "b!", "b", "c"}));

    Params q;
    EXPECT_TRUE(event.FireUntilHandled(q));
    EXPECT_EQ(q.calls, (std::vector<std::string>{"a", "b!", "b"}));

    // Void handlers and declining handlers leave the event unhandled.
    YEvent<Params> quiet;
    quiet.Add<&Target::Note>(&a);
    quiet.Add<&Target::Handle>(&c);
    Params r;
    EXPECT_FALSE(quiet.Fire(r));
}

TEST(Event, GrowsToTheNextPowerOfTwoOnceItHoldsMoreThanTwo) {
    Target t("t");
    YEvent<Params> event;
    EXPECT_EQ(event.Capacity(), 0);
    const int32_t expected[] = {2, 2, 4, 4, 8, 8, 8, 8, 16};
    for (int32_t i = 0; i < 9; ++i) {
        event.Add<&Target::Handle>(&t);
        EXPECT_EQ(event.Count(), i + 1);
        EXPECT_EQ(event.Capacity(), expected[i]) << "after " << i + 1 << " handlers";
    }
    Params p;
    event.Fire(p);
    EXPECT_EQ(p.calls.size(), 9u);
}

TEST(Event, RemovingFromAnEmptyListIsAnIndexError) {
    Target a("a"), b("b");
    YEvent<Params> event;
    EXPECT_EQ(RaisedMessage([&] { event.RemoveFirst(); }), "Index out of range.");
    event.Add<&Target::Handle>(&a);
    event.Add<&Target::Handle>(&b);
    EXPECT_EQ(RaisedMessage([&] { event.RemoveAt(2); }), "Index out of range.");
    EXPECT_EQ(RaisedMessage([&] { event.RemoveAt(-1); }), "Index out of range.");
    EXPECT_EQ(event.Count(), 2);
    event.RemoveFirst();
    Params p;
    event.Fire(p);
    EXPECT_EQ(p.calls, (std::vector<std::string>{"b"}));
    event.RemoveFirst();
    EXPECT_EQ(RaisedMessage([&] { event.RemoveFirst(); }), "Index out of range.");
}

TEST(Event, RemovingATargetDropsAllItsHandlersAndKeepsTheOthersInOrder) {
    Target a("a"), b("b"), c("c");
    YEvent<Params> event;
    event.Add<&Target::Handle>(&a);
    event.Add<&Target::Handle>(&b);
    event.Add<&Target::Note>(&a);
    event.Add<&Target::Handle>(&c);
    event.RemoveTarget(&a);
    Params p;
    event.Fire(p);
    EXPECT_EQ(p.calls, (std::vector<std::string>{"b", "c"}));
}

TEST(Event, HandlerRecordsAreThreeWordsWhenTheKindAddsNothing) {
    EXPECT_EQ(sizeof(YEvent<Params>::Record), 3 * sizeof(void*));
}

TEST(Callback, CallsItsOneHandlerUntilReplacedOrReset) {
    Target a("a", true), b("b");
    YCallback<Params> callback;
    Params p;
    EXPECT_FALSE(callback.Call(p));
    callback.Set<&Target::Handle>(&a);
    EXPECT_TRUE(callback.Call(p));
    callback.Set<&Target::Handle>(&b);
    EXPECT_FALSE(callback.Call(p));
    EXPECT_EQ(callback.Target(), &b);
    callback.Reset();
    EXPECT_FALSE(callback.IsSet());
    EXPECT_FALSE(callback.Call(p));
    EXPECT_EQ(p.calls, (std::vector<std::string>{"a", "b"}));
}

} // namespace
