// zu_dynArray.h - the growable array used throughout both programs.
//
// Holds plain data only (elements are moved with memcpy and new elements are
// zeroed). Growth: twice the old capacity, or the needed count + 8 when
// doubling is not enough, never less than 8.
#pragma once

#include <stdlib.h>
#include <string.h>

#include <type_traits>

#include "../misc/zu_utils.h"

template <typename T> class DynArray {
    static_assert(std::is_trivially_copyable<T>::value, "DynArray holds plain data only");

public:
    DynArray() = default;
    DynArray(const DynArray&) = delete;
    DynArray& operator=(const DynArray&) = delete;
    DynArray(DynArray&& other) noexcept
        : ptr(other.ptr)
        , num(other.num)
        , cap(other.cap)
    {
        other.ptr = nullptr;
        other.num = other.cap = 0;
    }
    DynArray& operator=(DynArray&& other) noexcept
    {
        if (this != &other) {
            free(ptr);
            ptr = other.ptr;
            num = other.num;
            cap = other.cap;
            other.ptr = nullptr;
            other.num = other.cap = 0;
        }
        return *this;
    }
    ~DynArray() { free(ptr); }

    int size() const { return num; }
    int capacity() const { return cap; }
    bool empty() const { return num == 0; }
    T* data() { return ptr; }
    const T* data() const { return ptr; }
    T* begin() { return ptr; }
    T* end() { return ptr + num; }
    const T* begin() const { return ptr; }
    const T* end() const { return ptr + num; }

    T& operator[](int i) { return ptr[i]; }
    const T& operator[](int i) const { return ptr[i]; }

    // Makes room for at least n elements without changing the count.
    void reserve(int n)
    {
        ASSERT(n >= 0);
        if (n > cap)
            realloc_to(n);
    }

    // Sets the count; new elements are zeroed.
    void resize(int n)
    {
        ASSERT(n >= 0);
        if (n > num)
            insert(num, nullptr, n - num);
        else
            num = n;
    }

    T& push(const T& value)
    {
        insert(num, &value, 1);
        return ptr[num - 1];
    }

    // Inserts n elements at position at, copied from src or zeroed when src is null.
    T* insert(int at, const T* src, int n)
    {
        ASSERT(n >= 0);
        ASSERT(at >= 0 && at <= num);
        grow_for(num + n);
        memmove(ptr + at + n, ptr + at, sizeof(T) * (num - at));
        if (src)
            memcpy(ptr + at, src, sizeof(T) * n);
        else
            memset(static_cast<void*>(ptr + at), 0, sizeof(T) * n);
        num += n;
        return ptr + at;
    }

    // Ordered removal: the tail moves down.
    void remove(int at, int n = 1)
    {
        ASSERT(n >= 0);
        ASSERT(at >= 0 && at <= num);
        ASSERT(at + n <= num);
        memmove(ptr + at, ptr + at + n, sizeof(T) * (num - at - n));
        num -= n;
    }

    // Fast removal: the last elements fill the gap, so order is not kept. A
    // loop that removes while walking must look at the same index again.
    void remove_fast(int at, int n = 1)
    {
        ASSERT(n >= 0);
        ASSERT(at >= 0 && at <= num);
        ASSERT(at + n <= num);
        int tail = num - at - n;
        int moved = tail < n ? tail : n;
        memcpy(ptr + at, ptr + num - moved, sizeof(T) * moved);
        num -= n;
    }

    T pop()
    {
        ASSERT(num > 0);
        return ptr[--num];
    }

    T& last()
    {
        ASSERT(num > 0);
        return ptr[num - 1];
    }

    void clear() { num = 0; }

    // Releases the memory as well as the elements.
    void free_all()
    {
        free(ptr);
        ptr = nullptr;
        num = cap = 0;
    }

private:
    void grow_for(int needed)
    {
        if (needed <= cap)
            return;
        int n = cap * 2;
        if (n < needed)
            n = needed + 8;
        if (n < 8)
            n = 8;
        realloc_to(n);
    }

    void realloc_to(int n)
    {
        void* np = realloc(ptr, sizeof(T) * n);
        ASSERT(np);
        ptr = static_cast<T*>(np);
        cap = n;
    }

    T* ptr = nullptr;
    int num = 0;
    int cap = 0;
};
