#include "taskmodel/cursor_list.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

namespace kestrune {
namespace {

struct Counted {
    explicit Counted(int* deaths) : deaths(deaths) {}
    ~Counted() { ++*deaths; }
    int* deaths;
};

class CursorListTest : public ::testing::Test {
  protected:
    // The items a cursor walk visits, in order.
    std::vector<int*> walk() {
        std::vector<int*> seen;
        if (list.First() != kOk) return seen;
        do seen.push_back(list.Current());
        while (list.Next() == kOk);
        return seen;
    }

    int a = 1, b = 2, c = 3, d = 4;
    CursorList<int> list;
};

TEST_F(CursorListTest, EmptyListReports60) {
    EXPECT_EQ(list.First(), kListEmpty);
    EXPECT_EQ(list.lastError(), kListEmpty);
    EXPECT_EQ(list.Next(), kListEmpty);
    EXPECT_EQ(list.Previous(), kListEmpty);
    EXPECT_EQ(list.Current(), nullptr);
    EXPECT_EQ(list.RemoveCurrent(), nullptr);
    EXPECT_EQ(list.Replace(&a), kListEmpty);
    EXPECT_EQ(list.position(), 0u);
}

TEST_F(CursorListTest, WalkVisitsEveryItemAndEndsWith61) {
    list.AddTail(&a);
    list.AddTail(&b);
    list.AddTail(&c);
    EXPECT_EQ(walk(), (std::vector<int*>{&a, &b, &c}));
    EXPECT_EQ(list.lastError(), kListAtEnd);
    // The cursor stays on the last item; the list is circular but the walk ends.
    EXPECT_EQ(list.Current(), &c);
    EXPECT_EQ(list.position(), 3u);
    EXPECT_EQ(list.Next(), kListAtEnd);
    EXPECT_EQ(list.Current(), &c);
}

TEST_F(CursorListTest, PreviousStopsAtTheFirstItem) {
    list.AddTail(&a);
    list.AddTail(&b);
    ASSERT_EQ(list.Last(), kOk);
    EXPECT_EQ(list.Current(), &b);
    EXPECT_EQ(list.Previous(), kOk);
    EXPECT_EQ(list.Current(), &a);
    EXPECT_EQ(list.Previous(), kListAtEnd);
    EXPECT_EQ(list.Current(), &a);
}

TEST_F(CursorListTest, AddHeadKeepsTheCursorOnItsItem) {
    list.AddTail(&b);
    list.AddTail(&c);
    list.First();
    list.Next();  // on c, position 2
    list.AddHead(&a);
    EXPECT_EQ(list.Current(), &c);
    EXPECT_EQ(list.position(), 3u);
    EXPECT_EQ(walk(), (std::vector<int*>{&a, &b, &c}));
}

TEST_F(CursorListTest, RemoveIsByIdentityAndKeepsTheCursorConsistent) {
    for (int* p : {&a, &b, &c, &d}) list.AddTail(p);
    list.First();
    list.Next();
    list.Next();  // on c, position 3
    EXPECT_EQ(list.Remove(&a), &a);
    EXPECT_EQ(list.Current(), &c);
    EXPECT_EQ(list.position(), 2u);
    int equalButOther = 3;
    EXPECT_EQ(list.Remove(&equalButOther), nullptr);
    EXPECT_FALSE(list.Contains(&a));
    EXPECT_TRUE(list.Contains(&d));
    EXPECT_EQ(list.count(), 3u);
}

TEST_F(CursorListTest, RemovingTheCursorItemMovesToTheNextOrTheNewLast) {
    for (int* p : {&a, &b, &c}) list.AddTail(p);
    list.First();
    list.Next();  // on b
    EXPECT_EQ(list.RemoveCurrent(), &b);
    EXPECT_EQ(list.Current(), &c);
    EXPECT_EQ(list.position(), 2u);
    EXPECT_EQ(list.RemoveCurrent(), &c);  // the tail
    EXPECT_EQ(list.Current(), &a);
    EXPECT_EQ(list.position(), 1u);
    EXPECT_EQ(list.RemoveCurrent(), &a);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(list.First(), kListEmpty);
}

TEST_F(CursorListTest, RemovingTheHeadKeepsTheCircleIntact) {
    for (int* p : {&a, &b, &c}) list.AddTail(p);
    list.Remove(&a);
    EXPECT_EQ(walk(), (std::vector<int*>{&b, &c}));
    ASSERT_EQ(list.Last(), kOk);
    EXPECT_EQ(list.Current(), &c);
    list.AddTail(&d);
    EXPECT_EQ(walk(), (std::vector<int*>{&b, &c, &d}));
}

TEST_F(CursorListTest, ReplacePutsAnItemInPlaceOfTheCurrentOne) {
    list.AddTail(&a);
    list.AddTail(&b);
    list.First();
    EXPECT_EQ(list.Replace(&c), kOk);
    EXPECT_EQ(walk(), (std::vector<int*>{&c, &b}));
}

TEST_F(CursorListTest, IterationLeavesTheCursorAlone) {
    for (int* p : {&a, &b, &c}) list.AddTail(p);
    list.First();
    list.Next();
    std::vector<int*> seen;
    for (int* p : list) seen.push_back(p);
    EXPECT_EQ(seen, (std::vector<int*>{&a, &b, &c}));
    EXPECT_EQ(list.Current(), &b);
}

TEST(CursorListOwnership, ClearDeletesOwnedItemsOnly) {
    int deaths = 0;
    {
        CursorList<Counted> owning(true);
        owning.AddTail(new Counted(&deaths));
        owning.AddTail(new Counted(&deaths));
        auto* kept = owning.Remove(owning.items().front());
        owning.Clear();
        EXPECT_EQ(deaths, 1);
        EXPECT_TRUE(owning.isEmpty());
        delete kept;
        EXPECT_EQ(deaths, 2);
        owning.AddTail(new Counted(&deaths));
    }
    EXPECT_EQ(deaths, 3);  // the destructor clears an owning list

    Counted onStack(&deaths);
    {
        CursorList<Counted> borrowing;
        borrowing.AddTail(&onStack);
    }
    EXPECT_EQ(deaths, 3);
}

TEST(CursorListLock, WalkersTakeTheListLock) {
    CursorList<int> list;
    std::vector<int> values(100);
    for (int& v : values) list.AddTail(&v);
    std::thread walker([&] {
        for (int i = 0; i < 50; ++i) {
            std::scoped_lock guard(list);
            for (int* p : list) ++*p;
        }
    });
    for (int i = 0; i < 50; ++i) {
        std::scoped_lock guard(list);
        int* first = list.Remove(list.items().front());
        list.AddTail(first);
    }
    walker.join();
    int total = 0;
    for (int v : values) total += v;
    EXPECT_EQ(total, 100 * 50);
    EXPECT_EQ(list.count(), 100u);
}

}  // namespace
}  // namespace kestrune
