// The buffer and string family behind every text and list of the launcher.
//
// CBufferRefT<T>   a view: pointer and length, owns nothing.
// CBufferT<T>      an owning growable array (storage from realloc, released with free).
// CStringBufT<T>   an owning string that always keeps a zero element after its last one.
// CStringRefT<char> a view on a C string.
// MyCString        the 8-bit string used everywhere.
// MyCStringArray   strings packed into one pool, with an array of their offsets.
//
// The class shapes (virtual table first, then the fields in declaration order)
// are read by native code loaded into the process, so fields and virtual
// operations must not be added, removed or reordered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

// Ends the process with a short message on standard error. Used when the heap is exhausted.
[[noreturn]] void AbortOutOfMemory();

// realloc that never returns null: on failure the process ends through AbortOutOfMemory.
void* ReallocOrAbort(void* data, size_t bytes);

// The most elements a buffer holds; a larger request counts as exhausted memory.
constexpr int kMaxBufferElements = 0x7FFFFFF0;

// A view on `length` elements at `data`. It does not own the elements and must not
// outlive them.
template <class T>
class CBufferRefT {
public:
    CBufferRefT(T* data = nullptr, int length = 0) : m_pData(data), m_nLength(length) {}
    virtual ~CBufferRefT() {}

    T* GetData() const { return m_pData; }
    int GetLength() const { return m_nLength; }

    // char only: the element at index as a signed 8-bit value, or fallback outside [0, length).
    int CharAt(int index, int fallback) const;
    // char only: difference of the first differing bytes (signed), 0 when equal.
    int Compare(const CBufferRefT<char>& other) const;
    // char only: as Compare, but bytes equal under toupper count as equal.
    int CompareNoCase(const CBufferRefT<char>& other) const;

    T* m_pData = nullptr;
    int m_nLength = 0;
};

// A view on a NUL-terminated C string; length -1 measures it, a null pointer gives length 0.
template <class T>
class CStringRefT : public CBufferRefT<T> {
public:
    explicit CStringRefT(const T* text, int length = -1);
};

template <>
inline CStringRefT<char>::CStringRefT(const char* text, int length)
    : CBufferRefT<char>(const_cast<char*>(text),
                        length != -1 ? length : (text ? static_cast<int>(strlen(text)) : 0)) {}

// An owning growable array. Capacity is 0 (no storage, data null) or at least 8.
template <class T>
class CBufferT : public CBufferRefT<T> {
public:
    CBufferT() {}
    CBufferT(const T* source, int count) { Append(source, count); }
    CBufferT(const CBufferT& other) { Append(other.m_pData, other.m_nLength); }
    CBufferT& operator=(const CBufferT& other)
    {
        if (this != &other) {
            SetLength(0);
            Append(other.m_pData, other.m_nLength);
        }
        return *this;
    }
    ~CBufferT() override { Free(); }

    // Makes capacity >= required: at least 8, else doubled, else required + 4 rounded up to 8.
    void Grow(int required);
    // Grow(n), then length = n. New elements are not initialised.
    virtual void SetLength(int n)
    {
        if (n < 0)
            n = 0;
        Grow(n);
        this->m_nLength = n;
    }
    // Opens a gap of count elements at position and returns its first element.
    T* MakeRoom(int position, int count);
    // Appends count elements; source may point into this buffer's own storage.
    void Append(const T* source, int count);
    // The data after SetLength(length) through the virtual slot: a string is terminated.
    T* GetBuffer()
    {
        SetLength(this->m_nLength);
        return this->m_pData;
    }
    // Hands the storage to the caller, who releases it with free.
    T* Detach()
    {
        T* data = this->m_pData;
        this->m_pData = nullptr;
        this->m_nLength = 0;
        m_nCapacity = 0;
        return data;
    }
    void Free();
    int GetCapacity() const { return m_nCapacity; }

    int m_nCapacity = 0;

private:
    void Reallocate(int capacity);
};

template <class T>
void CBufferT<T>::Grow(int required)
{
    if (m_nCapacity >= required)
        return;
    long long capacity = m_nCapacity;
    if (capacity < 8) {
        capacity = 8;
        if (required <= 8) {
            Reallocate(8);
            return;
        }
    }
    capacity *= 2;
    if (required > capacity)
        capacity = (static_cast<long long>(required) + 11) & ~7LL;
    if (capacity > kMaxBufferElements)
        AbortOutOfMemory();
    Reallocate(static_cast<int>(capacity));
}

template <class T>
void CBufferT<T>::Reallocate(int capacity)
{
    // On i386 the byte count of a large capacity of wide or pointer elements would wrap.
    if (static_cast<size_t>(capacity) > SIZE_MAX / sizeof(T))
        AbortOutOfMemory();
    this->m_pData = static_cast<T*>(ReallocOrAbort(this->m_pData, static_cast<size_t>(capacity) * sizeof(T)));
    m_nCapacity = capacity;
}

template <class T>
T* CBufferT<T>::MakeRoom(int position, int count)
{
    int oldLength = this->m_nLength;
    if (static_cast<long long>(oldLength) + count > kMaxBufferElements)
        AbortOutOfMemory();
    SetLength(oldLength + count);
    if (position < oldLength)
        memmove(this->m_pData + position + count, this->m_pData + position,
                static_cast<size_t>(oldLength - position) * sizeof(T));
    return this->m_pData + position;
}

template <class T>
void CBufferT<T>::Append(const T* source, int count)
{
    if (count < 0 || !source)
        count = 0;
    // Growing may move the storage that source points into; keep its index instead.
    bool own = source && this->m_pData && source >= this->m_pData && source < this->m_pData + m_nCapacity;
    ptrdiff_t ownIndex = own ? source - this->m_pData : 0;
    T* target = MakeRoom(this->m_nLength, count);
    if (own)
        source = this->m_pData + ownIndex;
    if (count > 0)
        memcpy(target, source, static_cast<size_t>(count) * sizeof(T));
}

template <class T>
void CBufferT<T>::Free()
{
    T* data = Detach();
    if (data)
        free(data);
}

template <class T>
int CountToZero(const T* text)
{
    int n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

// An owning string: a zero element always follows the last element, so the data
// pointer can go to any C function that takes a terminated string.
template <class T>
class CStringBufT : public CBufferT<T> {
public:
    // count -1 measures the source up to its zero element; a null source gives an empty string.
    CStringBufT(const T* source = nullptr, int count = -1)
    {
        if (count == -1)
            count = source ? CountToZero(source) : 0;
        SetLength(0);
        this->Append(source, count);
    }
    CStringBufT(const CStringBufT& other) : CStringBufT(other.m_pData, other.m_nLength) {}
    CStringBufT& operator=(const CStringBufT& other)
    {
        if (this != &other) {
            SetLength(0);
            this->Append(other.m_pData, other.m_nLength);
        }
        return *this;
    }

    void SetLength(int n) override
    {
        if (n < 0)
            n = 0;
        if (n >= kMaxBufferElements)
            AbortOutOfMemory();
        this->Grow(n + 1);
        this->m_pData[n] = 0;
        this->m_nLength = n;
    }

    // char only: replaces the contents with printf-style text. Grows to the measured size,
    // never writing past the storage; arguments may point into this string. A format the
    // C library cannot render leaves the string empty.
    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
};

// The launcher's 8-bit string: native multibyte text, or UTF-8 where the code says so.
class MyCString : public CStringBufT<char> {
public:
    MyCString(const char* source = nullptr, int count = -1) : CStringBufT<char>(source, count) {}
    explicit MyCString(const CBufferRefT<char>& other) : CStringBufT<char>(other.m_pData, other.m_nLength) {}
    MyCString(const MyCString& other) : CStringBufT<char>(other) {}
    MyCString& operator=(const MyCString& other)
    {
        CStringBufT<char>::operator=(other);
        return *this;
    }
    const char* c_str() const { return m_pData; }
    bool IsEmpty() const { return m_nLength == 0; }
};

// A list of strings: the inherited elements are the offsets of the strings in the pool,
// which holds every string followed by a zero byte.
class MyCStringArray : public CBufferT<int> {
public:
    MyCStringArray() {}
    MyCStringArray(const MyCStringArray&) = delete;
    MyCStringArray& operator=(const MyCStringArray&) = delete;

    void Add(const char* text);
    int GetSize() const { return m_nLength; }
    // Valid until the next Add, which may move the pool.
    char* GetAt(int index) { return m_bufPool.GetBuffer() + m_pData[index]; }
    // Empties the list: no strings, pool of length 0; the storage is kept.
    void RemoveAll()
    {
        SetLength(0);
        m_bufPool.SetLength(0);
    }

    CBufferT<char> m_bufPool;
};
