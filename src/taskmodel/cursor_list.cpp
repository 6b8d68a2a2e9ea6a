#include "taskmodel/cursor_list.h"

#include <new>

namespace kestrune {

CursorListBase::~CursorListBase() {
    Clear();
}

CursorListBase::Link* CursorListBase::newLink(void* item) {
    auto* link = new (std::nothrow) Link{nullptr, nullptr, item};
    return link;
}

Code CursorListBase::addTail(void* item) {
    Link* link = newLink(item);
    if (link == nullptr) return fail(kListOutOfMemory);
    if (head_ == nullptr) {
        link->previous = link->next = link;
        head_ = cursor_ = link;
        position_ = 1;
    } else {
        Link* tail = head_->previous;
        link->previous = tail;
        link->next = head_;
        tail->next = link;
        head_->previous = link;
    }
    ++count_;
    return succeed();
}

Code CursorListBase::addHead(void* item) {
    const bool wasEmpty = head_ == nullptr;
    const Code code = addTail(item);
    if (code != kOk) return code;
    if (!wasEmpty) {
        // The new tail link becomes the head; every position moves up by one.
        head_ = head_->previous;
        ++position_;
    }
    return kOk;
}

void CursorListBase::unlink(Link* link, std::size_t index) {
    if (count_ == 1) {
        head_ = cursor_ = nullptr;
        position_ = 0;
    } else {
        link->previous->next = link->next;
        link->next->previous = link->previous;
        const bool wasTail = index == count_;
        if (link == head_) head_ = link->next;
        if (link == cursor_) {
            if (wasTail) {
                cursor_ = link->previous;
                --position_;
            } else {
                cursor_ = link->next;
            }
        } else if (index < position_) {
            --position_;
        }
    }
    --count_;
    delete link;
}

void* CursorListBase::remove(const void* item) {
    Link* link = head_;
    for (std::size_t i = 1; i <= count_; ++i, link = link->next) {
        if (link->item == item) {
            void* found = link->item;
            unlink(link, i);
            succeed();
            return found;
        }
    }
    return nullptr;
}

bool CursorListBase::contains(const void* item) const {
    const Link* link = head_;
    for (std::size_t i = 0; i < count_; ++i, link = link->next) {
        if (link->item == item) return true;
    }
    return false;
}

void CursorListBase::Clear() {
    while (head_ != nullptr) {
        void* item = head_->item;
        unlink(head_, 1);
        if (ownsItems_ && item != nullptr) deleter_(item);
    }
    lastError_ = 0;
}

Code CursorListBase::First() {
    if (head_ == nullptr) return fail(kListEmpty);
    cursor_ = head_;
    position_ = 1;
    return succeed();
}

Code CursorListBase::Last() {
    if (head_ == nullptr) return fail(kListEmpty);
    cursor_ = head_->previous;
    position_ = count_;
    return succeed();
}

Code CursorListBase::Next() {
    if (head_ == nullptr) return fail(kListEmpty);
    if (position_ >= count_) return fail(kListAtEnd);
    cursor_ = cursor_->next;
    ++position_;
    return succeed();
}

Code CursorListBase::Previous() {
    if (head_ == nullptr) return fail(kListEmpty);
    if (position_ <= 1) return fail(kListAtEnd);
    cursor_ = cursor_->previous;
    --position_;
    return succeed();
}

void* CursorListBase::current() const {
    return cursor_ != nullptr ? cursor_->item : nullptr;
}

Code CursorListBase::replace(void* item) {
    if (cursor_ == nullptr) return fail(kListEmpty);
    cursor_->item = item;
    return succeed();
}

void* CursorListBase::removeCurrent() {
    if (cursor_ == nullptr) {
        fail(kListEmpty);
        return nullptr;
    }
    void* item = cursor_->item;
    unlink(cursor_, position_);
    succeed();
    return item;
}

std::vector<void*> CursorListBase::rawItems() const {
    std::vector<void*> out;
    out.reserve(count_);
    const Link* link = head_;
    for (std::size_t i = 0; i < count_; ++i, link = link->next) out.push_back(link->item);
    return out;
}

}  // namespace kestrune
