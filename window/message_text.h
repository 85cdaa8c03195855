// A message box's text: grown on the heap without exceptions, room enough for the longest
// paths Windows takes, and never past that (an over-long text is cut short, which no text of
// this program comes near).
#pragma once

#include "growing_text.h"

#include <cstddef>
#include <string_view>

namespace zvk {

class MessageText {
public:
    MessageText& operator<<(std::wstring_view text) {
        for (wchar_t c : text) append(c);
        return *this;
    }
    // The program's own narrow texts are 7-bit ASCII, so widening is a plain copy.
    MessageText& operator<<(std::string_view ascii) {
        for (char c : ascii) append(static_cast<wchar_t>(static_cast<unsigned char>(c)));
        return *this;
    }
    MessageText& operator<<(const wchar_t* text) { return *this << std::wstring_view(text); }
    MessageText& operator<<(unsigned long number) {
        wchar_t digits[20];
        std::size_t count = 0;
        do {
            digits[count++] = wchar_t(L'0' + number % 10);
            number /= 10;
        } while (number != 0);
        while (count > 0) append(digits[--count]);
        return *this;
    }

    const wchar_t* c_str() const { return text_.c_str(); }
    std::wstring_view view() const { return text_.view(); }

    // Two of the longest paths, broken into lines, and the words around them.
    static constexpr std::size_t kMostChars = std::size_t(1) << 17;

private:
    void append(wchar_t c) { text_.push(c); }

    GrowingText<wchar_t, kMostChars> text_;
};

}  // namespace zvk
