// The window's own fixed texts: ASCII, CR LF after every line.
#pragma once

namespace zvk {

extern const wchar_t HelpText[];
extern const wchar_t AboutText[];

}  // namespace zvk
