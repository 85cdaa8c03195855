// A file path, as long as the system's file calls take one: on the heap, with no exceptions,
// which would cost the program more than all of its own code.
#pragma once

#include "growing_text.h"

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
    // The longest path Windows' wide file calls take, in the "\\?\" form they take a long one
    // in: a path the program builds longer than this is too long for the system itself.
    static constexpr std::size_t kMostChars = 32767;

    PathText() = default;
    explicit PathText(PathView text) { append(text); }

    PathText& append(PathView text) {
        text_.append(text);
        return *this;
    }
    // The program's own names are 7-bit ASCII, so widening is a plain copy.
    PathText& appendAscii(std::string_view ascii) {
        for (char c : ascii) text_.push(PathChar(static_cast<unsigned char>(c)));
        return *this;
    }
    PathText& appendNumber(unsigned number) {
        if (number >= 10) appendNumber(number / 10);
        text_.push(PathChar('0' + number % 10));
        return *this;
    }
    // `name` below this folder, with one separator between them.
    PathText& join(PathView name) {
        if (!text_.view().empty() && !endsWithSeparator()) text_.push(kPathSeparator);
        return append(name);
    }
    // Drops a trailing separator, except the one of a drive's or the file system's root.
    PathText& trimSeparator() {
        const PathView path = text_.view();
        const bool root = path.size() == 1 || (path.size() == 3 && path[1] == PathChar(':'));
        if (!path.empty() && !root && endsWithSeparator()) text_.truncate(path.size() - 1);
        return *this;
    }
    // Cuts the last name off: the folder that holds it.
    PathText& removeLastName() {
        std::size_t length = text_.view().size();
        while (length > 0 && !IsSeparator(text_.view()[length - 1])) --length;
        text_.truncate(length);
        return trimSeparator();
    }

    // A path too long to be held is empty here, so that opening it fails rather than opening
    // a shorter path that means another file.
    const PathChar* c_str() const { return tooLong() ? kNoPath : text_.c_str(); }
    PathView view() const { return tooLong() ? PathView() : text_.view(); }
    bool empty() const { return view().empty(); }
    // Longer than kMostChars, or than memory allowed.
    bool tooLong() const { return text_.overflowed(); }
    // The last name of the path: a file's own name, without its folders.
    PathView lastName() const {
        PathView path = view();
        const std::size_t separator = path.rfind(kPathSeparator);
        if (separator != PathView::npos) path.remove_prefix(separator + 1);
        return path;
    }

private:
    static constexpr PathChar kNoPath[1] = {};

    // Windows takes '/' for a separator too.
    static bool IsSeparator(PathChar c) { return c == kPathSeparator || c == PathChar('/'); }
    bool endsWithSeparator() const { return !text_.view().empty() && IsSeparator(text_.view().back()); }

    GrowingText<PathChar, kMostChars> text_;
};

}  // namespace zvk
