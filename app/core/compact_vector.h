#pragma once
// A vector held in one pointer: its size, capacity and elements share one allocation, and an
// empty one has none. A system tree has tens of thousands of nodes, most with one value or a
// few children, and three pointers of std::vector for each list made a node a size class larger.
// It offers the part of std::vector's interface the nodes need, with the same meaning.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

namespace z2e {

template <typename T>
class CompactVector {
public:
    using value_type = T;
    using size_type = std::size_t;
    using iterator = T*;
    using const_iterator = const T*;

    CompactVector() = default;
    CompactVector(std::initializer_list<T> values) { assign(values.begin(), values.end()); }
    CompactVector(const CompactVector& other) { assign(other.begin(), other.end()); }
    CompactVector(CompactVector&& other) noexcept : m_data(std::exchange(other.m_data, nullptr)) {}
    ~CompactVector() { release(); }

    CompactVector& operator=(const CompactVector& other)
    {
        if (this != &other)
            assign(other.begin(), other.end());
        return *this;
    }
    CompactVector& operator=(CompactVector&& other) noexcept
    {
        if (this != &other) {
            release();
            m_data = std::exchange(other.m_data, nullptr);
        }
        return *this;
    }
    CompactVector& operator=(std::initializer_list<T> values)
    {
        assign(values.begin(), values.end());
        return *this;
    }
    CompactVector& operator=(std::vector<T> values)
    {
        assign(std::make_move_iterator(values.begin()), std::make_move_iterator(values.end()));
        return *this;
    }

    size_type size() const { return m_data ? m_data->size : 0; }
    size_type capacity() const { return m_data ? m_data->capacity : 0; }
    bool empty() const { return size() == 0; }

    T* data() { return m_data ? elements() : nullptr; }
    const T* data() const { return m_data ? elements() : nullptr; }
    iterator begin() { return data(); }
    iterator end() { return data() + size(); }
    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + size(); }

    T& operator[](size_type position) { return elements()[position]; }
    const T& operator[](size_type position) const { return elements()[position]; }
    T& front() { return elements()[0]; }
    const T& front() const { return elements()[0]; }
    T& back() { return elements()[size() - 1]; }
    const T& back() const { return elements()[size() - 1]; }

    void reserve(size_type count)
    {
        if (count > capacity())
            reallocate(count);
    }

    template <typename... Args>
    T& emplace_back(Args&&... args)
    {
        if (size() < capacity()) {
            T* place = new (elements() + m_data->size) T(std::forward<Args>(args)...);
            ++m_data->size;
            return *place;
        }
        // Made before the move: the arguments may be elements of this very vector.
        T value(std::forward<Args>(args)...);
        reallocate(std::max<size_type>(1, 2 * capacity()));
        T* place = new (elements() + m_data->size) T(std::move(value));
        ++m_data->size;
        return *place;
    }
    void push_back(const T& value) { emplace_back(value); }
    void push_back(T&& value) { emplace_back(std::move(value)); }

    /// Destroys every element; the memory is kept.
    void clear()
    {
        if (!m_data)
            return;
        std::destroy(elements(), elements() + m_data->size);
        m_data->size = 0;
    }

    iterator erase(const_iterator first, const_iterator last)
    {
        T* from = begin() + (first - begin());
        T* to = begin() + (last - begin());
        if (from == to)
            return from;
        T* kept = std::move(to, end(), from);
        std::destroy(kept, end());
        m_data->size = static_cast<std::uint32_t>(kept - begin());
        return from;
    }
    iterator erase(const_iterator position) { return erase(position, position + 1); }

    void assign(size_type count, const T& given)
    {
        const T value(given); // `given` may be an element of this vector
        clear();
        reserve(count);
        for (size_type i = 0; i < count; ++i)
            emplace_back(value);
    }
    template <typename Iterator>
    void assign(Iterator first, Iterator last)
    {
        clear();
        reserve(static_cast<size_type>(std::distance(first, last)));
        for (; first != last; ++first)
            emplace_back(*first);
    }

    friend bool operator==(const CompactVector& a, const CompactVector& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }
    friend bool operator==(const CompactVector& a, const std::vector<T>& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }
    friend bool operator==(const std::vector<T>& a, const CompactVector& b) { return b == a; }
    friend bool operator!=(const CompactVector& a, const CompactVector& b) { return !(a == b); }
    friend bool operator!=(const CompactVector& a, const std::vector<T>& b) { return !(a == b); }
    friend bool operator!=(const std::vector<T>& a, const CompactVector& b) { return !(a == b); }

private:
    struct Header {
        std::uint32_t size;
        std::uint32_t capacity;
    };
    static_assert(alignof(T) <= sizeof(Header), "elements follow the header");

    T* elements() const { return reinterpret_cast<T*>(m_data + 1); }

    void reallocate(size_type count)
    {
        if (count > std::numeric_limits<std::uint32_t>::max())
            throw std::length_error("CompactVector");
        auto* data = static_cast<Header*>(::operator new(sizeof(Header) + count * sizeof(T)));
        data->size = 0;
        data->capacity = static_cast<std::uint32_t>(count);
        if (m_data) {
            std::uninitialized_move(elements(), elements() + m_data->size, reinterpret_cast<T*>(data + 1));
            data->size = m_data->size;
            release();
        }
        m_data = data;
    }

    void release()
    {
        if (!m_data)
            return;
        clear();
        ::operator delete(m_data);
        m_data = nullptr;
    }

    Header* m_data = nullptr;
};

} // namespace z2e
