// Geometry, strings and containers: the rules user32 applies to rectangles, clamped ranges and
// arguments that alias the object they are passed to.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>

#include <string>

namespace {

bool Same(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

}  // namespace

TEST(Rect, SetOperationsAgreeWithUser32) {
    // Coordinates in [-4, 4], so that empty, inverted, touching and overlapping cases all come up.
    unsigned state = 12345;
    const auto next = [&] { return static_cast<int>((state = state * 1103515245u + 12345u) >> 16) % 9 - 4; };
    for (int i = 0; i < 1000; ++i) {
        const CRect a(next(), next(), next(), next()), b(next(), next(), next(), next());
        RECT want;
        CRect got, self = a;
        EXPECT_EQ(got.IntersectRect(&a, &b), ::IntersectRect(&want, &a, &b));
        self &= b;  // in place, with the rectangle as one of its own operands
        EXPECT_TRUE(Same(got, want) && Same(a & b, want) && Same(self, want)) << i;
        EXPECT_EQ(got.UnionRect(&a, &b), ::UnionRect(&want, &a, &b));
        EXPECT_TRUE(Same(got, want) && Same(a | b, want)) << i;
        EXPECT_EQ(got.SubtractRect(&a, &b), ::SubtractRect(&want, &a, &b)) << i;
        EXPECT_TRUE(Same(got, want)) << i;
        const POINT p{next(), next()};
        EXPECT_EQ(a.PtInRect(p), ::PtInRect(&a, p));
        EXPECT_EQ(a.IsRectEmpty(), ::IsRectEmpty(&a));
    }
    CRect r(10, 20, -30, -40);
    r.NormalizeRect();
    r.TopLeft() = CPoint(0, 0);  // the corners are views into the rectangle
    r.BottomRight() += CSize(5, 5);
    EXPECT_EQ(r, CRect(0, 0, 15, 25));
    EXPECT_EQ(CRect(-3, -3, 0, 0).CenterPoint(), CPoint(-1, -1));  // truncates toward zero
}

TEST(String, FormatAndAppendKeepArgumentsThatPointIntoItself) {
    CString s;
    s.Format(L"%s|%S|%d|%x|%5.1f", L"wide", "narrow", -42, 255, 2.5);
    EXPECT_EQ(s, L"wide|narrow|-42|ff|  2.5");
    const std::wstring big(5000, L'x');
    s.Format(L"<%s>", big.c_str());
    EXPECT_EQ(s.GetLength(), 5002);
    s = L"abc";
    s.Format(L"%s-%s", static_cast<LPCWSTR>(s), static_cast<LPCWSTR>(s));
    s.AppendFormat(L"/%s", static_cast<LPCWSTR>(s));
    EXPECT_EQ(s, L"abc-abc/abc-abc");
    s += s;
    s.Append(s.GetString() + 28, 2);  // a tail of ourselves, while growing
    EXPECT_EQ(s.Right(4), L"bcbc");

}

namespace {

// Counts live objects and marks destroyed ones, so that double destruction shows.
struct Tracked {
    static int live;
    int value = 0;
    int alive = 1;
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
