// A container's clamped ranges and arguments that alias it: faults that corrupt memory without showing.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>

namespace {

// Counts live objects and marks destroyed ones, so that double destruction shows.
struct Tracked {
    static int live;
    int value = 0, alive = 1;
    explicit Tracked(int v = 0) : value(v) { ++live; }
    Tracked(const Tracked& o) : value(o.value), alive(o.alive) { ++live; }
    Tracked& operator=(const Tracked& o) = default;
    ~Tracked() {
        EXPECT_EQ(alive, 1) << "destroyed twice";
        alive = 0xDEAD;
        --live;
    }
};
int Tracked::live = 0;

}  // namespace

TEST(Array, AliasedArgumentsAndClampedRangesKeepEveryElementOnce) {
    {
        CArray<Tracked> a;
        a.Add(Tracked(5));
        for (int i = 0; i < 100; ++i) a.Add(a[0]);  // the argument lives in storage being regrown
        a.InsertAt(0, a[a.GetUpperBound()], 50);
        a.Append(a);
        a.InsertAt(1, &a);
        EXPECT_EQ(a.GetSize(), 604);
        for (INT_PTR i = 0; i < a.GetSize(); ++i) ASSERT_EQ(a[i].value, 5) << i;
        a.SetSize(10);
        a.InsertAt(12, Tracked(9));  // past the end: the gap is filled with default values
        EXPECT_TRUE(a[11].value == 0 && a[12].value == 9);
        a.RemoveAt(11, 100);  // clamped to what is there
        a.RemoveAt(-1);
        EXPECT_EQ(a.GetSize(), 11);
        EXPECT_EQ(Tracked::live, 11);
    }
    EXPECT_EQ(Tracked::live, 0);
}
