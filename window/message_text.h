// A message box's text, built in a fixed buffer: no heap, no exceptions, never overflows
// (an over-long text is cut short, which no text of this program comes near).
#pragma once

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

    const wchar_t* c_str() const { return text_; }
    std::wstring_view view() const { return {text_, length_}; }

private:
    void append(wchar_t c) {
        if (length_ + 1 < kCapacity) {
            text_[length_++] = c;
            text_[length_] = L'\0';
        }
    }

    static constexpr std::size_t kCapacity = 2048;  // two full paths and the words around them
    wchar_t text_[kCapacity] = {};
    std::size_t length_ = 0;
};

}  // namespace zvk
