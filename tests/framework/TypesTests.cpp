// Geometry, strings and containers: boundaries and the rules user32 applies to rectangles.
#include <gtest/gtest.h>

#include <QelFramework/Framework.h>

#include <string>
#include <vector>

namespace {

// A small deterministic generator: rectangles with coordinates in [-4, 4], so that empty,
// inverted, touching and overlapping cases all come up.
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
    for (int i = 0; i < 4000; ++i) {
        const CRect a = rng.Rect(), b = rng.Rect();
        RECT expected;
        CRect got;
        BOOL want = ::IntersectRect(&expected, &a, &b);
        EXPECT_EQ(got.IntersectRect(&a, &b), want);
        EXPECT_TRUE(Same(got, expected));
        EXPECT_TRUE(Same(a & b, expected));

        want = ::UnionRect(&expected, &a, &b);
        EXPECT_EQ(got.UnionRect(&a, &b), want);
        EXPECT_TRUE(Same(got, expected));
        EXPECT_TRUE(Same(a | b, expected));

        want = ::SubtractRect(&expected, &a, &b);
        EXPECT_EQ(got.SubtractRect(&a, &b), want) << i;
        EXPECT_TRUE(Same(got, expected)) << i;

        const POINT p{rng.Next(9) - 4, rng.Next(9) - 4};
        EXPECT_EQ(a.PtInRect(p), ::PtInRect(&a, p));
        EXPECT_EQ(a.IsRectEmpty(), ::IsRectEmpty(&a));
        EXPECT_EQ(a == b, ::EqualRect(&a, &b) != FALSE);

        // In place, with the rectangle as one of its own operands.
        CRect self = a;
        self &= b;
        ::IntersectRect(&expected, &a, &b);
        EXPECT_TRUE(Same(self, expected));
        self = a;
        self |= self;
        ::UnionRect(&expected, &a, &a);
        EXPECT_TRUE(Same(self, expected));
    }
}

TEST(Rect, NormalizeCornersAndMoves) {
    CRect r(10, 20, -30, -40);
    EXPECT_TRUE(r.IsRectEmpty());
    EXPECT_EQ(r.Width(), -40);
    r.NormalizeRect();
    EXPECT_EQ(r, CRect(-30, -40, 10, 20));
    r.NormalizeRect();  // already normal: unchanged
    EXPECT_EQ(r, CRect(-30, -40, 10, 20));

    // The corners are views into the rectangle.
    r.TopLeft() = CPoint(0, 0);
    r.BottomRight() += CSize(5, 5);
    EXPECT_EQ(r, CRect(0, 0, 15, 25));
    EXPECT_EQ(CRect(-3, -3, 0, 0).CenterPoint(), CPoint(-1, -1));  // truncates toward zero

    r.DeflateRect(1, 2, 3, 4);
    EXPECT_EQ(r, CRect(1, 2, 12, 21));
    r.MoveToXY(-5, 7);
    EXPECT_EQ(r, CRect(-5, 7, 6, 26));
    EXPECT_EQ(r + CPoint(5, -7), CRect(0, 0, 11, 19));
    EXPECT_TRUE(CRect().IsRectNull());
    EXPECT_FALSE(CRect(1, 1, 1, 1).IsRectNull());
    EXPECT_EQ(CPoint(MAKELPARAM(static_cast<WORD>(-5), 7)), CPoint(-5, 7));
    EXPECT_EQ(CPoint(3, 4) - CPoint(1, 1), CSize(2, 3));
}

TEST(String, FormatGrowsAndTakesWideAndNarrowText) {
    CString s;
    s.Format(L"%s|%S|%d|%x|%5.1f", L"wide", "narrow", -42, 255, 2.5);
    EXPECT_STREQ(s, L"wide|narrow|-42|ff|  2.5");
    EXPECT_EQ(s.GetLength(), 24);

    const std::wstring big(5000, L'x');
    s.Format(L"<%s>", big.c_str());
    EXPECT_EQ(s.GetLength(), 5002);
    EXPECT_EQ(s.Left(2), L"<x");

    // An argument that points into the string being formatted keeps its text.
    s = L"abc";
    s.Format(L"%s-%s", static_cast<LPCWSTR>(s), static_cast<LPCWSTR>(s));
    EXPECT_EQ(s, L"abc-abc");
    s.AppendFormat(L"/%s", static_cast<LPCWSTR>(s));
    EXPECT_EQ(s, L"abc-abc/abc-abc");
    s += s;
    EXPECT_EQ(s.GetLength(), 30);
    s.Append(s.GetString() + 28, 2);  // a tail of ourselves, while growing
    EXPECT_EQ(s.Right(4), L"bcbc");

    CString narrow("ansi");
    EXPECT_EQ(narrow, L"ansi");
    EXPECT_TRUE(CString(L"abc") < CString(L"abd"));
    EXPECT_TRUE(L"B" > CString(L"A"));
    EXPECT_EQ(CString(L"MiXeD").CompareNoCase(L"mixed"), 0);
}

TEST(String, EditsAndBuffersClampToTheText) {
    CString s(L"hello world");
    EXPECT_EQ(s.Mid(-3, 2), L"he");
    EXPECT_EQ(s.Mid(6, 100), L"world");
    EXPECT_EQ(s.Mid(50), L"");
    EXPECT_EQ(s.Left(-1), L"");
    EXPECT_EQ(s.Right(50), s);
    EXPECT_EQ(s.Find(L'o'), 4);
    EXPECT_EQ(s.Find(L'o', 5), 7);
    EXPECT_EQ(s.Find(L'o', 11), -1);
    EXPECT_EQ(s.Find(L"wor", 7), -1);
    EXPECT_EQ(s.ReverseFind(L'l'), 9);
    EXPECT_EQ(s.GetAt(11), 0);

    EXPECT_EQ(s.Replace(L"o", L"OO"), 2);
    EXPECT_EQ(s, L"hellOO wOOrld");
    EXPECT_EQ(s.Replace(L"OO", L""), 2);
    EXPECT_EQ(s.Insert(100, L"!"), 10);
    EXPECT_EQ(s.Insert(-4, L'>'), 11);
    EXPECT_EQ(s, L">hell wrld!");
    EXPECT_EQ(s.Delete(5, 100), 5);
    EXPECT_EQ(s.Remove(L'l'), 2);
    EXPECT_EQ(s, L">he");

    CString padded(L" \t trimmed \n");
    EXPECT_EQ(padded.Trim(), L"trimmed");
    EXPECT_EQ(CString(L"xxaxx").Trim(L'x'), L"a");

    // A buffer written by an API: the length comes from the terminator, or is clamped to the buffer.
    CString b;
    LPWSTR p = b.GetBuffer(16);
    ASSERT_NE(p, nullptr);
    wcscpy(p, L"written");
    b.ReleaseBuffer();
    EXPECT_EQ(b, L"written");
    b.GetBuffer(4);  // smaller than the text: the 16-character block stays
    b.ReleaseBuffer(1000);
    EXPECT_EQ(b.GetLength(), 16);
    EXPECT_EQ(b.GetString()[16], 0);
    b.GetBufferSetLength(3);
    EXPECT_EQ(b, L"wri");
    CString e;
    e.GetBuffer()[0] = 0;  // even an empty string hands out a writable block
    e.ReleaseBuffer();
    EXPECT_TRUE(e.IsEmpty());
}

namespace {

// Counts live objects and marks destroyed ones, so that double destruction and use after
// destruction show.
struct Tracked {
    static int live;
    int value = 0;
    int alive = 1;
    Tracked() { ++live; }
    explicit Tracked(int v) : value(v) { ++live; }
    Tracked(const Tracked& o) : value(o.value), alive(o.alive) { ++live; }
    Tracked& operator=(const Tracked& o) {
        value = o.value;
        alive = o.alive;
        return *this;
    }
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

TEST(List, RemoveAtKeepsTheOtherPositions) {
    CList<int> list;
    std::vector<POSITION> at;
    for (int i = 0; i < 6; ++i) at.push_back(list.AddTail(i));
    list.RemoveAt(at[0]);
    list.RemoveAt(at[3]);
    list.RemoveAt(at[5]);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(list.GetAt(at[4]), 4);
    EXPECT_EQ(list.GetHead(), 1);
    EXPECT_EQ(list.GetTail(), 4);

    list.InsertBefore(at[1], 10);
    list.InsertAfter(at[4], 40);
    list.InsertBefore(nullptr, -1);  // null: at the head
    list.InsertAfter(nullptr, 99);   // null: at the tail
    EXPECT_EQ(Values(list), (std::vector<int>{-1, 10, 1, 2, 4, 40, 99}));
    EXPECT_EQ(list.GetCount(), 7);

    list.AddTail(2);
    const POSITION first = list.Find(2);
    ASSERT_NE(first, nullptr);
    const POSITION second = list.Find(2, first);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(list.Find(2, second), nullptr);
    EXPECT_EQ(list.FindIndex(7), second);
    EXPECT_EQ(list.FindIndex(8), nullptr);
    EXPECT_EQ(list.FindIndex(-1), nullptr);

    POSITION back = list.GetTailPosition();
    EXPECT_EQ(list.GetPrev(back), 2);
    EXPECT_EQ(list.GetAt(back), 99);
    EXPECT_EQ(list.RemoveHead(), -1);
    EXPECT_EQ(list.RemoveTail(), 2);
    list.RemoveAll();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.RemoveHead(), 0);  // empty: a default value, nothing touched
    EXPECT_EQ(list.GetHeadPosition(), nullptr);
    list.RemoveAt(nullptr);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(List, ElementsAreDestroyedExactlyOnce) {
    {
        CList<Tracked> list;
        for (int i = 0; i < 5; ++i) list.AddHead(Tracked(i));
        EXPECT_EQ(Tracked::live, 5);
        Tracked head = list.RemoveHead();
        EXPECT_EQ(head.value, 4);
        list.RemoveAt(list.Find(Tracked(2)));
        EXPECT_EQ(Tracked::live, 4);
        CList<Tracked> other;
        other.AddTail(&list);
        other.AddHead(&list);
        EXPECT_EQ(other.GetCount(), 6);
    }
    EXPECT_EQ(Tracked::live, 0);
}

TEST(Array, InsertRemoveAndTheGrowthRule) {
    CArray<CPoint, CPoint> a;
    a.SetSize(3);
    EXPECT_EQ(a[2], CPoint(0, 0));
    a.InsertAt(1, CPoint(7, 7), 3);
    EXPECT_EQ(a.GetSize(), 6);
    EXPECT_EQ(a[1], CPoint(7, 7));
    EXPECT_EQ(a[3], CPoint(7, 7));
    EXPECT_EQ(a[4], CPoint(0, 0));
    a.InsertAt(9, CPoint(9, 9));  // past the end: the gap is filled with default values
    EXPECT_EQ(a.GetSize(), 10);
    EXPECT_EQ(a[8], CPoint(0, 0));
    EXPECT_EQ(a[9], CPoint(9, 9));
    a.RemoveAt(8, 100);  // clamped to what is there
    EXPECT_EQ(a.GetSize(), 8);
    a.RemoveAt(-1);
    a.RemoveAt(8);
    EXPECT_EQ(a.GetSize(), 8);
    a.RemoveAt(0, 2);
    EXPECT_EQ(a[0], CPoint(7, 7));
    EXPECT_EQ(a.Add(CPoint(1, 2)), 6);
    EXPECT_EQ(a.GetData()[6], CPoint(1, 2));

    a.RemoveAll();
    EXPECT_EQ(a.GetCapacity(), 0);  // storage freed, not kept
    INT_PTR capacity = 0;
    for (int i = 0; i < 3000; ++i) {
        const INT_PTR size = a.GetSize();
        a.Add(CPoint(i, -i));
        if (a.GetCapacity() != capacity) {
            INT_PTR step = size / 8;
            step = step < 4 ? 4 : (step > 1024 ? 1024 : step);
            EXPECT_EQ(a.GetCapacity(), capacity + step) << "at size " << size;
            capacity = a.GetCapacity();
        }
    }
    EXPECT_EQ(a[2999], CPoint(2999, -2999));
}

TEST(Array, OwnElementsSurviveGrowthAndDieOnce) {
    {
        CArray<Tracked> a;
        a.Add(Tracked(5));
        for (int i = 0; i < 100; ++i) a.Add(a[0]);  // the argument lives in storage being regrown
        a.InsertAt(0, a[a.GetUpperBound()], 50);
        for (INT_PTR i = 0; i < a.GetSize(); ++i) ASSERT_EQ(a[i].value, 5) << i;
        a.Append(a);
        EXPECT_EQ(a.GetSize(), 302);
        a.InsertAt(1, &a);
        EXPECT_EQ(a.GetSize(), 604);
        EXPECT_EQ(Tracked::live, 604);
        a.SetSize(10);
        a.FreeExtra();
        EXPECT_EQ(a.GetCapacity(), 10);
        EXPECT_EQ(Tracked::live, 10);
    }
    EXPECT_EQ(Tracked::live, 0);
}
