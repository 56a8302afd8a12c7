// Geometry, strings and containers: the rules user32 applies to rectangles, clamped ranges and
// arguments that alias the object they are passed to.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>

#include <string>
#include <vector>

namespace {

// Rectangles with coordinates in [-4, 4], so that empty, inverted, touching and overlapping cases all come up.
struct Lcg {
    unsigned state = 12345;
    int Next(int range) {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state >> 16) % static_cast<unsigned>(range));
    }
    CRect Rect() { return CRect(Next(9) - 4, Next(9) - 4, Next(9) - 4, Next(9) - 4); }
};

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

TEST(Rect, SetOperationsAgreeWithUser32) {
    Lcg rng;
    for (int i = 0; i < 1000; ++i) {
        const CRect a = rng.Rect(), b = rng.Rect();
        RECT want;
        CRect got, self = a;
        EXPECT_EQ(got.IntersectRect(&a, &b), ::IntersectRect(&want, &a, &b));
        self &= b;  // in place, with the rectangle as one of its own operands
        EXPECT_TRUE(Same(got, want) && Same(a & b, want) && Same(self, want)) << i;

        EXPECT_EQ(got.UnionRect(&a, &b), ::UnionRect(&want, &a, &b));
        EXPECT_TRUE(Same(got, want) && Same(a | b, want)) << i;
        self = a;
        self |= self;
        ::UnionRect(&want, &a, &a);
        EXPECT_TRUE(Same(self, want)) << i;

        EXPECT_EQ(got.SubtractRect(&a, &b), ::SubtractRect(&want, &a, &b)) << i;
        EXPECT_TRUE(Same(got, want)) << i;

        const POINT p{rng.Next(9) - 4, rng.Next(9) - 4};
        EXPECT_EQ(a.PtInRect(p), ::PtInRect(&a, p));
        EXPECT_EQ(a.IsRectEmpty(), ::IsRectEmpty(&a));
        EXPECT_EQ(a == b, ::EqualRect(&a, &b) != FALSE);
    }
}

TEST(Rect, NormalizeAndCornersThatAreViews) {
    CRect r(10, 20, -30, -40);
    r.NormalizeRect();
    EXPECT_EQ(r, CRect(-30, -40, 10, 20));
    r.TopLeft() = CPoint(0, 0);  // the corners are views into the rectangle
    r.BottomRight() += CSize(5, 5);
    EXPECT_EQ(r, CRect(0, 0, 15, 25));
    r.DeflateRect(1, 2, 3, 4);
    r.MoveToXY(-5, 7);
    EXPECT_EQ(r, CRect(-5, 7, 6, 26));
    EXPECT_EQ(CRect(-3, -3, 0, 0).CenterPoint(), CPoint(-1, -1));  // truncates toward zero
}

TEST(String, FormatGrowsAndKeepsArgumentsThatPointIntoItself) {
    CString s;
    s.Format(L"%s|%S|%d|%x|%5.1f", L"wide", "narrow", -42, 255, 2.5);
    EXPECT_EQ(s, L"wide|narrow|-42|ff|  2.5");
    const std::wstring big(5000, L'x');
    s.Format(L"<%s>", big.c_str());
    EXPECT_EQ(s.GetLength(), 5002);

    s = L"abc";
    s.Format(L"%s-%s", static_cast<LPCWSTR>(s), static_cast<LPCWSTR>(s));
    EXPECT_EQ(s, L"abc-abc");
    s.AppendFormat(L"/%s", static_cast<LPCWSTR>(s));
    EXPECT_EQ(s, L"abc-abc/abc-abc");
    s += s;
    s.Append(s.GetString() + 28, 2);  // a tail of ourselves, while growing
    EXPECT_EQ(s.GetLength(), 32);
    EXPECT_EQ(s.Right(4), L"bcbc");
}

TEST(String, EditsAndBuffersClampToTheText) {
    CString s(L"hello world");
    EXPECT_EQ(s.Mid(-3, 2), L"he");
    EXPECT_EQ(s.Mid(6, 100), L"world");
    EXPECT_TRUE(s.Left(-1).IsEmpty() && s.Mid(50).IsEmpty());
    EXPECT_EQ(s.Right(50), s);
    EXPECT_EQ(s.Find(L'o', 11), -1);

    EXPECT_EQ(s.Replace(L"o", L"OO"), 2);
    EXPECT_EQ(s.Replace(L"OO", L""), 2);
    EXPECT_EQ(s.Insert(100, L"!"), 10);
    EXPECT_EQ(s.Insert(-4, L'>'), 11);
    EXPECT_EQ(s, L">hell wrld!");
    EXPECT_EQ(s.Delete(5, 100), 5);
    EXPECT_EQ(s.Remove(L'l'), 2);
    EXPECT_EQ(s, L">he");

    // A buffer written by an API: the length comes from the terminator, or is clamped to the buffer.
    CString b;
    wcscpy(b.GetBuffer(16), L"written");
    b.ReleaseBuffer();
    EXPECT_EQ(b, L"written");
    b.GetBuffer(4);  // smaller than the text: the 16-character block stays
    b.ReleaseBuffer(1000);
    EXPECT_EQ(b.GetLength(), 16);
    EXPECT_EQ(b.GetString()[16], 0);
    CString e;
    e.GetBuffer()[0] = 0;  // even an empty string hands out a writable block
    e.ReleaseBuffer();
    EXPECT_TRUE(e.IsEmpty());
}

namespace {

// Counts live objects and marks destroyed ones, so that double destruction shows.
struct Tracked {
    static int live;
    int value = 0;
    int alive = 1;
    Tracked() { ++live; }
    explicit Tracked(int v) : value(v) { ++live; }
    Tracked(const Tracked& o) : value(o.value), alive(o.alive) { ++live; }
    Tracked& operator=(const Tracked& o) = default;
    ~Tracked() {
        EXPECT_EQ(alive, 1) << "destroyed twice";
        alive = 0xDEAD;
        --live;
    }
    bool operator==(const Tracked& o) const { return value == o.value; }
};
int Tracked::live = 0;

std::vector<int> Values(const CList<int>& list) {
    std::vector<int> v;
    for (POSITION p = list.GetHeadPosition(); p;) v.push_back(list.GetNext(p));
    return v;
}

}  // namespace

TEST(List, PositionsSurviveRemovalAndElementsDieOnce) {
    CList<int> list;
    std::vector<POSITION> at;
    for (int i = 0; i < 6; ++i) at.push_back(list.AddTail(i));
    list.RemoveAt(at[0]);
    list.RemoveAt(at[3]);
    list.RemoveAt(at[5]);
    list.InsertBefore(at[1], 10);
    list.InsertAfter(at[4], 40);
    list.InsertBefore(nullptr, -1);  // null: at the head
    list.InsertAfter(nullptr, 99);   // null: at the tail
    list.AddTail(2);
    EXPECT_EQ(Values(list), (std::vector<int>{-1, 10, 1, 2, 4, 40, 99, 2}));
    const POSITION first = list.Find(2);
    const POSITION second = list.Find(2, first);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(list.Find(2, second), nullptr);
    EXPECT_EQ(list.FindIndex(7), second);
    EXPECT_EQ(list.FindIndex(8), nullptr);
    EXPECT_EQ(list.FindIndex(-1), nullptr);
    list.RemoveAll();
    EXPECT_EQ(list.RemoveHead(), 0);  // empty: a default value, nothing touched
    list.RemoveAt(nullptr);
    EXPECT_EQ(list.GetCount(), 0);

    {
        CList<Tracked> owned;
        for (int i = 0; i < 5; ++i) owned.AddHead(Tracked(i));
        EXPECT_EQ(owned.RemoveHead().value, 4);
        owned.RemoveAt(owned.Find(Tracked(2)));
        CList<Tracked> other;
        other.AddTail(&owned);
        other.AddHead(&owned);
        EXPECT_EQ(other.GetCount(), 6);
        EXPECT_EQ(Tracked::live, 9);
    }
    EXPECT_EQ(Tracked::live, 0);
}

TEST(Array, AliasedArgumentsAndClampedRangesKeepEveryElementOnce) {
    {
        CArray<Tracked> a;
        a.Add(Tracked(5));
        for (int i = 0; i < 100; ++i) a.Add(a[0]);  // the argument lives in storage being regrown
        a.InsertAt(0, a[a.GetUpperBound()], 50);
        for (INT_PTR i = 0; i < a.GetSize(); ++i) ASSERT_EQ(a[i].value, 5) << i;
        a.Append(a);
        a.InsertAt(1, &a);
        EXPECT_EQ(a.GetSize(), 604);
        EXPECT_EQ(Tracked::live, 604);
        a.SetSize(10);
        a.FreeExtra();
        EXPECT_EQ(a.GetCapacity(), 10);

        a.InsertAt(12, Tracked(9));  // past the end: the gap is filled with default values
        EXPECT_EQ(a[11].value, 0);
        EXPECT_EQ(a[12].value, 9);
        a.RemoveAt(11, 100);  // clamped to what is there
        a.RemoveAt(-1);
        a.RemoveAt(11);
        EXPECT_EQ(a.GetSize(), 11);
        EXPECT_EQ(Tracked::live, 11);
    }
    EXPECT_EQ(Tracked::live, 0);
}
