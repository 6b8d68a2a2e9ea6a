#pragma once
// The list every object collection of the task model uses: a circular doubly
// linked list of item pointers with a built-in cursor, so that a walk is
// First(), then Current() and Next() until Next() reports the end.
//
// Operations report through return codes (and the lastError() byte), never by
// throwing: 60 the list is empty, 61 the cursor is at the end, 62 memory ran
// out. The list does not lock itself; it carries a recursive lock that callers
// take around a walk of a list that another thread also walks.
//
// CursorListBase does the work on untyped pointers; CursorList<T> is the typed
// face every caller uses.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/status.h"

namespace kestrune {

inline constexpr Code kListEmpty = 60;
inline constexpr Code kListAtEnd = 61;
inline constexpr Code kListOutOfMemory = 62;

class CursorListBase {
  public:
    CursorListBase(const CursorListBase&) = delete;
    CursorListBase& operator=(const CursorListBase&) = delete;

    std::size_t count() const { return count_; }
    bool isEmpty() const { return count_ == 0; }
    // 1-based position of the cursor; 0 when the list is empty.
    std::size_t position() const { return position_; }
    std::uint8_t lastError() const { return lastError_; }
    bool ownsItems() const { return ownsItems_; }
    void setOwnsItems(bool owns) { ownsItems_ = owns; }

    // Moves the cursor to the first item: 0, or 60 when the list is empty.
    Code First();
    // Moves the cursor to the last item: 0, or 60.
    Code Last();
    // Moves the cursor on: 0, 60 when empty, 61 when the cursor is on the last item (it stays there).
    Code Next();
    // Moves the cursor back: 0, 60 when empty, 61 when the cursor is on the first item.
    Code Previous();
    // Empties the list; the items are deleted when the list owns them.
    void Clear();

    void Lock() { lock_.lock(); }
    void Unlock() { lock_.unlock(); }
    // So that std::lock_guard / std::scoped_lock can hold the list.
    void lock() { Lock(); }
    void unlock() { Unlock(); }

  protected:
    using Deleter = void (*)(void*);
    CursorListBase(Deleter deleter, bool ownsItems) : deleter_(deleter), ownsItems_(ownsItems) {}
    ~CursorListBase();

    struct Link {
        Link* previous;
        Link* next;
        void* item;
    };

    Code addTail(void* item);
    Code addHead(void* item);
    void* remove(const void* item);
    bool contains(const void* item) const;
    void* current() const;
    Code replace(void* item);
    void* removeCurrent();
    std::vector<void*> rawItems() const;

    const Link* head() const { return head_; }

  private:
    Link* newLink(void* item);
    void unlink(Link* link, std::size_t index);
    Code fail(Code code) {
        lastError_ = static_cast<std::uint8_t>(code);
        return code;
    }
    Code succeed() {
        lastError_ = 0;
        return kOk;
    }

    Deleter deleter_;
    bool ownsItems_;
    Link* head_ = nullptr;
    Link* cursor_ = nullptr;
    std::size_t count_ = 0;
    std::size_t position_ = 0;
    std::uint8_t lastError_ = 0;
    std::recursive_mutex lock_;
};

template <class T>
class CursorList : public CursorListBase {
  public:
    explicit CursorList(bool ownsItems = false) : CursorListBase(&deleteItem, ownsItems) {}
    ~CursorList() = default;

    // 0, or 62 when memory ran out (the item is then not in the list).
    Code AddTail(T* item) { return addTail(item); }
    Code AddHead(T* item) { return addHead(item); }
    // Removes the first link holding `item` (by identity); returns the item, or nullptr.
    T* Remove(const T* item) { return static_cast<T*>(remove(item)); }
    bool Contains(const T* item) const { return contains(item); }
    // The item under the cursor, or nullptr when the list is empty.
    T* Current() const { return static_cast<T*>(current()); }
    // Puts `item` in place of the current one (which is not deleted): 0 or 60.
    Code Replace(T* item) { return replace(item); }
    // Removes the current item and returns it (never deletes it). The cursor
    // goes to the item that followed, or to the new last item.
    T* RemoveCurrent() { return static_cast<T*>(removeCurrent()); }

    // A copy of the items in order, for walks that change the list.
    std::vector<T*> items() const {
        std::vector<T*> out;
        for (void* p : rawItems()) out.push_back(static_cast<T*>(p));
        return out;
    }

    // Iteration in list order that leaves the cursor alone. The list must not
    // change during the loop.
    class const_iterator {
      public:
        const_iterator(const Link* link, std::size_t left) : link_(link), left_(left) {}
        T* operator*() const { return static_cast<T*>(link_->item); }
        const_iterator& operator++() {
            link_ = link_->next;
            --left_;
            return *this;
        }
        bool operator==(const const_iterator& o) const { return left_ == o.left_; }

      private:
        const Link* link_;
        std::size_t left_;
    };
    const_iterator begin() const { return {head(), count()}; }
    const_iterator end() const { return {nullptr, 0}; }

  private:
    static void deleteItem(void* p) { delete static_cast<T*>(p); }
};

}  // namespace kestrune
