#pragma once
// The classic list and array templates. Elements are constructed and destroyed properly (never
// copied as raw bytes), and an argument that refers into the container stays valid while the
// container grows. Operations on an empty list or out-of-range positions do nothing harmful:
// removing from an empty list returns a default value, out-of-range removals are clamped.
#include <windows.h>
#include <cassert>
#include <new>
#include <utility>

// Opaque position in a CList; null means "none".
struct AfxPositionTag;
typedef AfxPositionTag* POSITION;

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList {
    struct Node {
        Node* next;
        Node* prev;
        TYPE data;
        template <class A> Node(Node* n, Node* p, A&& value) : next(n), prev(p), data(std::forward<A>(value)) {}
    };

public:
    // The block size is accepted for compatibility; nodes are allocated one at a time.
    explicit CList(INT_PTR blockSize = 10) noexcept : m_nBlockSize(blockSize) {}
    ~CList() { RemoveAll(); }
    CList(const CList&) = delete;
    CList& operator=(const CList&) = delete;

    INT_PTR GetCount() const noexcept { return m_nCount; }
    INT_PTR GetSize() const noexcept { return m_nCount; }
    BOOL IsEmpty() const noexcept { return m_nCount == 0; }

    TYPE& GetHead() { assert(m_pHead); return m_pHead->data; }
    const TYPE& GetHead() const { assert(m_pHead); return m_pHead->data; }
    TYPE& GetTail() { assert(m_pTail); return m_pTail->data; }
    const TYPE& GetTail() const { assert(m_pTail); return m_pTail->data; }

    TYPE RemoveHead() {
        if (!m_pHead) return TYPE();
        TYPE value(std::move(m_pHead->data));
        FreeNode(m_pHead);
        return value;
    }
    TYPE RemoveTail() {
        if (!m_pTail) return TYPE();
        TYPE value(std::move(m_pTail->data));
        FreeNode(m_pTail);
        return value;
    }

    POSITION AddHead(ARG_TYPE value) { return Pos(Link(new Node(m_pHead, nullptr, value))); }
    POSITION AddTail(ARG_TYPE value) { return Pos(Link(new Node(nullptr, m_pTail, value))); }
    void AddHead(CList* other) {
        if (!other) return;
        // Walk backwards so the other list keeps its order in front of ours.
        for (POSITION p = other->GetTailPosition(); p;) AddHead(other->GetPrev(p));
    }
    void AddTail(CList* other) {
        if (!other) return;
        for (POSITION p = other->GetHeadPosition(); p;) AddTail(other->GetNext(p));
    }
    void RemoveAll() noexcept {
        while (m_pHead) FreeNode(m_pHead);
    }

    POSITION GetHeadPosition() const noexcept { return Pos(m_pHead); }
    POSITION GetTailPosition() const noexcept { return Pos(m_pTail); }
    TYPE& GetNext(POSITION& pos) {
        Node* n = At(pos);
        pos = Pos(n->next);
        return n->data;
    }
    const TYPE& GetNext(POSITION& pos) const {
        const Node* n = At(pos);
        pos = Pos(n->next);
        return n->data;
    }
    TYPE& GetPrev(POSITION& pos) {
        Node* n = At(pos);
        pos = Pos(n->prev);
        return n->data;
    }
    const TYPE& GetPrev(POSITION& pos) const {
        const Node* n = At(pos);
        pos = Pos(n->prev);
        return n->data;
    }
    TYPE& GetAt(POSITION pos) { return At(pos)->data; }
    const TYPE& GetAt(POSITION pos) const { return At(pos)->data; }
    void SetAt(POSITION pos, ARG_TYPE value) {
        if (pos) At(pos)->data = value;
    }
    // A null position is ignored; other positions stay valid.
    void RemoveAt(POSITION pos) noexcept {
        if (pos) FreeNode(At(pos));
    }
    // Before a null position means at the head, after a null position at the tail.
    POSITION InsertBefore(POSITION pos, ARG_TYPE value) {
        if (!pos) return AddHead(value);
        Node* at = At(pos);
        Node* n = new Node(at, at->prev, value);
        return Pos(Link(n));
    }
    POSITION InsertAfter(POSITION pos, ARG_TYPE value) {
        if (!pos) return AddTail(value);
        Node* at = At(pos);
        Node* n = new Node(at->next, at, value);
        return Pos(Link(n));
    }

    // Searches after startAfter (from the head when null), comparing with operator==.
    POSITION Find(ARG_TYPE value, POSITION startAfter = nullptr) const {
        const Node* n = startAfter ? At(startAfter)->next : m_pHead;
        for (; n; n = n->next)
            if (n->data == value) return Pos(n);
        return nullptr;
    }
    POSITION FindIndex(INT_PTR index) const noexcept {
        if (index < 0 || index >= m_nCount) return nullptr;
        const Node* n = m_pHead;
        while (index-- > 0) n = n->next;
        return Pos(n);
    }

private:
    static POSITION Pos(const Node* n) noexcept { return reinterpret_cast<POSITION>(const_cast<Node*>(n)); }
    static Node* At(POSITION p) noexcept {
        assert(p);
        return reinterpret_cast<Node*>(p);
    }
    // Puts a node whose next/prev are already set into the chain.
    Node* Link(Node* n) noexcept {
        if (n->prev) n->prev->next = n;
        else m_pHead = n;
        if (n->next) n->next->prev = n;
        else m_pTail = n;
        ++m_nCount;
        return n;
    }
    void FreeNode(Node* n) noexcept {
        if (n->prev) n->prev->next = n->next;
        else m_pHead = n->next;
        if (n->next) n->next->prev = n->prev;
        else m_pTail = n->prev;
        --m_nCount;
        delete n;
    }

    Node* m_pHead = nullptr;
    Node* m_pTail = nullptr;
    INT_PTR m_nCount = 0;
    INT_PTR m_nBlockSize;
};

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
public:
    CArray() noexcept = default;
    ~CArray() { SetSize(0); }
    CArray(const CArray&) = delete;
    CArray& operator=(const CArray&) = delete;

    INT_PTR GetSize() const noexcept { return m_nSize; }
    INT_PTR GetCount() const noexcept { return m_nSize; }
    BOOL IsEmpty() const noexcept { return m_nSize == 0; }
    INT_PTR GetUpperBound() const noexcept { return m_nSize - 1; }
    INT_PTR GetCapacity() const noexcept { return m_nMaxSize; }

    // Growing value-initialises the new elements; a size of 0 frees the storage. growBy -1 keeps
    // the current rule: an eighth of the size, at least 4 and at most 1024 elements at a time.
    void SetSize(INT_PTR newSize, INT_PTR growBy = -1) {
        if (growBy >= 0) m_nGrowBy = growBy;
        if (newSize <= 0) {
            Destroy(0, m_nSize);
            ::operator delete(m_pData);
            m_pData = nullptr;
            m_nSize = m_nMaxSize = 0;
            return;
        }
        if (newSize > m_nMaxSize) Grow(newSize);
        if (newSize > m_nSize) {
            for (INT_PTR i = m_nSize; i < newSize; ++i) new (m_pData + i) TYPE();
        } else {
            Destroy(newSize, m_nSize);
        }
        m_nSize = newSize;
    }
    void FreeExtra() {
        if (m_nSize == m_nMaxSize) return;
        if (m_nSize == 0) return SetSize(0);
        Reallocate(m_nSize);
    }
    void RemoveAll() { SetSize(0); }

    TYPE& GetAt(INT_PTR i) { assert(i >= 0 && i < m_nSize); return m_pData[i]; }
    const TYPE& GetAt(INT_PTR i) const { assert(i >= 0 && i < m_nSize); return m_pData[i]; }
    TYPE& ElementAt(INT_PTR i) { return GetAt(i); }
    const TYPE& ElementAt(INT_PTR i) const { return GetAt(i); }
    TYPE& operator[](INT_PTR i) { return GetAt(i); }
    const TYPE& operator[](INT_PTR i) const { return GetAt(i); }
    void SetAt(INT_PTR i, ARG_TYPE value) { GetAt(i) = value; }
    TYPE* GetData() noexcept { return m_pData; }
    const TYPE* GetData() const noexcept { return m_pData; }

    void SetAtGrow(INT_PTR i, ARG_TYPE value) {
        if (i < 0) return;
        TYPE copy(value);  // value may live in the storage that growing frees
        if (i >= m_nSize) SetSize(i + 1);
        m_pData[i] = std::move(copy);
    }
    INT_PTR Add(ARG_TYPE value) {
        const INT_PTR i = m_nSize;
        SetAtGrow(i, value);
        return i;
    }
    INT_PTR Append(const CArray& src) {
        const INT_PTR old = m_nSize;
        if (&src == this) {
            for (INT_PTR i = 0; i < old; ++i) Add(TYPE(m_pData[i]));
        } else {
            for (INT_PTR i = 0; i < src.m_nSize; ++i) Add(src.m_pData[i]);
        }
        return old;
    }
    void Copy(const CArray& src) {
        if (&src == this) return;
        SetSize(src.m_nSize);
        for (INT_PTR i = 0; i < m_nSize; ++i) m_pData[i] = src.m_pData[i];
    }

    // Inserting past the end first grows the array to the insertion point.
    void InsertAt(INT_PTR index, ARG_TYPE value, INT_PTR count = 1) {
        if (index < 0 || count <= 0) return;
        TYPE copy(value);
        const INT_PTR old = m_nSize;
        if (index >= old) {
            SetSize(index + count);
        } else {
            SetSize(old + count);
            for (INT_PTR i = old - 1; i >= index; --i) m_pData[i + count] = std::move(m_pData[i]);
        }
        for (INT_PTR i = index; i < index + count; ++i) m_pData[i] = copy;
    }
    void InsertAt(INT_PTR start, const CArray* src) {
        if (!src || src->m_nSize == 0 || start < 0) return;
        CArray tmp;
        tmp.Copy(*src);  // src may be this array
        InsertAt(start, tmp.m_pData[0], tmp.m_nSize);
        for (INT_PTR i = 0; i < tmp.m_nSize; ++i) m_pData[start + i] = tmp.m_pData[i];
    }
    void RemoveAt(INT_PTR index, INT_PTR count = 1) {
        if (index < 0 || index >= m_nSize || count <= 0) return;
        if (count > m_nSize - index) count = m_nSize - index;
        for (INT_PTR i = index + count; i < m_nSize; ++i) m_pData[i - count] = std::move(m_pData[i]);
        Destroy(m_nSize - count, m_nSize);
        m_nSize -= count;
    }

private:
    void Destroy(INT_PTR from, INT_PTR to) noexcept {
        for (INT_PTR i = from; i < to; ++i) m_pData[i].~TYPE();
    }
    void Grow(INT_PTR needed) {
        INT_PTR step = m_nGrowBy;
        if (step <= 0) {
            step = m_nSize / 8;
            step = step < 4 ? 4 : (step > 1024 ? 1024 : step);
        }
        INT_PTR capacity = m_nMaxSize + step;
        Reallocate(capacity > needed ? capacity : needed);
    }
    void Reallocate(INT_PTR capacity) {
        TYPE* data = static_cast<TYPE*>(::operator new(sizeof(TYPE) * static_cast<size_t>(capacity)));
        for (INT_PTR i = 0; i < m_nSize; ++i) {
            new (data + i) TYPE(std::move(m_pData[i]));
            m_pData[i].~TYPE();
        }
        ::operator delete(m_pData);
        m_pData = data;
        m_nMaxSize = capacity;
    }

    TYPE* m_pData = nullptr;
    INT_PTR m_nSize = 0;
    INT_PTR m_nMaxSize = 0;
    INT_PTR m_nGrowBy = -1;
};
