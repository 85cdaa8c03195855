// Text on the heap that grows as it is appended to, up to a limit of its owner's choosing: no
// exceptions (the program is built without them) and no more memory than the text needs.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace zvk {

template <class Char, std::size_t kMostChars>
class GrowingText {
public:
    using View = std::basic_string_view<Char>;

    GrowingText() = default;
    GrowingText(const GrowingText& other) {
        append(other.view());
        overflowed_ = overflowed_ || other.overflowed_;
    }
    GrowingText(GrowingText&& other) noexcept { swap(other); }
    GrowingText& operator=(GrowingText other) noexcept {
        swap(other);
        return *this;
    }
    ~GrowingText() { std::free(text_); }

    // A character past kMostChars, or past what memory allows, is not taken, and the text
    // says so from then on: its owner decides what a text cut short is worth.
    void push(Char c) {
        if (overflowed_ || (length_ + 1 >= capacity_ && !grow())) {
            overflowed_ = true;
            return;
        }
        text_[length_++] = c;
        text_[length_] = Char(0);
    }
    void append(View text) {
        for (Char c : text) push(c);
    }
    // Keeps the first `length` characters.
    void truncate(std::size_t length) {
        if (length >= length_) return;
        length_ = length;
        text_[length_] = Char(0);
    }

    bool overflowed() const { return overflowed_; }
    // What it holds, up to where it overflowed.
    View view() const { return text_ != nullptr ? View(text_, length_) : View(); }
    const Char* c_str() const { return text_ != nullptr ? text_ : kEmpty; }

private:
    static constexpr Char kEmpty[1] = {};

    bool grow() {
        if (capacity_ > kMostChars) return false;
        std::size_t capacity = capacity_ == 0 ? 128 : capacity_ * 2;
        if (capacity > kMostChars + 1) capacity = kMostChars + 1;
        auto* grown = static_cast<Char*>(std::realloc(text_, capacity * sizeof(Char)));
        if (grown == nullptr) return false;
        text_ = grown;
        capacity_ = capacity;
        return true;
    }
    void swap(GrowingText& other) noexcept {
        std::swap(text_, other.text_);
        std::swap(length_, other.length_);
        std::swap(capacity_, other.capacity_);
        std::swap(overflowed_, other.overflowed_);
    }

    Char* text_ = nullptr;
    std::size_t length_ = 0;
    std::size_t capacity_ = 0;  // characters, the terminating one included
    bool overflowed_ = false;
};

}  // namespace zvk
