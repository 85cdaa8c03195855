// A file path in a fixed buffer: no heap and no exceptions, which would cost the program more
// than all of its own code.
#pragma once

#include <cstddef>
#include <string_view>

namespace zvk {

#ifdef _WIN32
using PathChar = wchar_t;
inline constexpr PathChar kPathSeparator = L'\\';
#else
using PathChar = char;
inline constexpr PathChar kPathSeparator = '/';
#endif
using PathView = std::basic_string_view<PathChar>;

class PathText {
public:
    // Room for the longest folder Windows starts a program in (MAX_PATH), with the program's
    // own names below it and the "\\?\UNC" that Windows' file calls take such a path with.
    static constexpr std::size_t kCapacity = 320;

    PathText() = default;
    explicit PathText(PathView text) { append(text); }

    PathText& append(PathView text) {
        for (PathChar c : text) push(c);
        return *this;
    }
    // The program's own names are 7-bit ASCII, so widening is a plain copy.
    PathText& appendAscii(std::string_view ascii) {
        for (char c : ascii) push(PathChar(static_cast<unsigned char>(c)));
        return *this;
    }
    PathText& appendNumber(unsigned number) {
        if (number >= 10) appendNumber(number / 10);
        push(PathChar('0' + number % 10));
        return *this;
    }
    // `name` below this folder, with one separator between them.
    PathText& join(PathView name) {
        if (length_ > 0 && !endsWithSeparator()) push(kPathSeparator);
        return append(name);
    }
    // Drops a trailing separator, except the one of a drive's or the file system's root.
    PathText& trimSeparator() {
        const bool root = length_ == 1 || (length_ == 3 && text_[1] == PathChar(':'));
        if (length_ > 0 && !root && endsWithSeparator()) text_[--length_] = PathChar(0);
        return *this;
    }
    // Cuts the last name off: the folder that holds it.
    PathText& removeLastName() {
        while (length_ > 0 && !endsWithSeparator()) --length_;
        text_[length_] = PathChar(0);
        return trimSeparator();
    }

    // A path that did not fit is empty here, so that opening it fails rather than opening
    // a shorter path that means another file.
    const PathChar* c_str() const { return tooLong_ ? text_ + kCapacity - 1 : text_; }
    PathView view() const { return tooLong_ ? PathView() : PathView(text_, length_); }
    bool empty() const { return view().empty(); }
    // The last name of the path: a file's own name, without its folders.
    PathView lastName() const {
        PathView path = view();
        const std::size_t separator = path.rfind(kPathSeparator);
        if (separator != PathView::npos) path.remove_prefix(separator + 1);
        return path;
    }

private:
    // Windows takes '/' for a separator too.
    bool endsWithSeparator() const {
        return text_[length_ - 1] == kPathSeparator || text_[length_ - 1] == PathChar('/');
    }
    void push(PathChar c) {
        if (length_ + 1 < kCapacity) {
            text_[length_++] = c;
            text_[length_] = PathChar(0);
        } else {
            tooLong_ = true;
        }
    }

    PathChar text_[kCapacity] = {};
    std::size_t length_ = 0;
    bool tooLong_ = false;
};

}  // namespace zvk
