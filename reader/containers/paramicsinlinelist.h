#pragma once

#include <QtGlobal>

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

// A list that keeps its first few elements inside its owner. The lists of
// a network's records are short (a node's entering links, a link's
// turnings: four or fewer almost always), and there are hundreds of
// thousands of them: each one on the heap would be an allocation while the
// files are read and a free when the records are given back. Here a list
// takes the heap only once it grows past its inline room, and lives
// otherwise wherever its record lives.
//
// Elements keep their addresses until the list grows past its room, as in
// QVector; they are only ever appended, and the list is walked as an array.
template <typename T, int Inline>
class ParamicsInlineList
{
    static_assert(Inline > 0, "a list without inline room is a plain vector");

public:
    using value_type = T;
    using iterator = T*;
    using const_iterator = const T*;

    ParamicsInlineList() = default;
    ParamicsInlineList(const ParamicsInlineList& other) { appendAll(other); }
    ParamicsInlineList& operator=(const ParamicsInlineList& other)
    {
        if (this != &other) {
            clear();
            appendAll(other);
        }
        return *this;
    }
    ~ParamicsInlineList()
    {
        clear();
        if (heap)
            ::operator delete(heap);
    }

    qsizetype size() const { return count; }
    qsizetype capacity() const { return room; }
    bool isEmpty() const { return count == 0; }
    // Whether the elements have outgrown the inline room.
    bool onHeap() const { return heap != nullptr; }

    T* data() { return elements(); }
    const T* data() const { return elements(); }
    T& operator[](qsizetype i)
    {
        Q_ASSERT(i >= 0 && i < count);
        return elements()[i];
    }
    const T& operator[](qsizetype i) const
    {
        Q_ASSERT(i >= 0 && i < count);
        return elements()[i];
    }
    const T& at(qsizetype i) const { return (*this)[i]; }

    iterator begin() { return elements(); }
    iterator end() { return elements() + count; }
    const_iterator begin() const { return elements(); }
    const_iterator end() const { return elements() + count; }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }

    void reserve(qsizetype wanted)
    {
        if (wanted > room)
            moveTo(wanted, nullptr);
    }

    void append(const T& value) { emplaceBack(value); }

    template <typename... Args>
    T& emplaceBack(Args&&... args)
    {
        if (count < room)
            return *new (elements() + count++) T(std::forward<Args>(args)...);
        // The new element is made before the old ones move: the arguments
        // may refer to one of them.
        return *moveTo(2 * room, [&](T* slot) { new (slot) T(std::forward<Args>(args)...); });
    }

    // Destroys the elements; the room stays.
    void clear()
    {
        T* first = elements();
        for (qsizetype i = 0; i < count; ++i)
            first[i].~T();
        count = 0;
    }

private:
    T* elements() { return heap ? heap : std::launder(reinterpret_cast<T*>(local)); }
    const T* elements() const { return heap ? heap : std::launder(reinterpret_cast<const T*>(local)); }

    void appendAll(const ParamicsInlineList& other)
    {
        reserve(other.count);
        for (const T& element : other)
            new (elements() + count++) T(element);
    }

    // Moves the elements to heap room for `capacity`; with `make`, the
    // element after them is first made there. Returns that element's place.
    template <typename Make>
    T* moveTo(qsizetype capacity, Make make)
    {
        T* fresh = static_cast<T*>(::operator new(std::size_t(capacity) * sizeof(T)));
        T* made = fresh + count;
        if constexpr (!std::is_same_v<Make, std::nullptr_t>) {
            try {
                make(made);
            } catch (...) {
                ::operator delete(fresh);
                throw;
            }
        }
        T* old = elements();
        for (qsizetype i = 0; i < count; ++i) {
            new (fresh + i) T(std::move(old[i]));
            old[i].~T();
        }
        if (heap)
            ::operator delete(heap);
        heap = fresh;
        room = int(capacity);
        if constexpr (!std::is_same_v<Make, std::nullptr_t>)
            ++count;
        return made;
    }

    T* heap = nullptr;  // the elements once they outgrew the inline room
    int count = 0;
    int room = Inline;
    alignas(T) unsigned char local[Inline * sizeof(T)];
};
