// The system's file calls on Windows, seen and steered on the way to the real file system:
// each call is logged, and a test can make the next calls of a kind on a file fail with an
// error of its choice. Files are named by their last name: the folders are the test's. A
// path given in its long form is named "\\?\...\Cameras.ini", say.
#pragma once

#include "file_replace.h"

#include <string>
#include <vector>

namespace zvk::test_support {

// Open covers creating, Move also a move without replacing.
enum class Call { Open, Read, Write, Flush, Close, Move, Delete };

// The calls since the last reset, one line each, in Windows' own terms.
extern std::vector<std::string> gCallLog;

// Forgets the log and every refusal not yet used.
void ResetRecordedCalls();
// The next `count` calls of `call` on `fileName` fail with `error`; a refused write writes
// `partBytes` first.
void Refuse(Call call, const std::string& fileName, OsError error, int count = 1, std::size_t partBytes = 0);
// A count that outlasts every pause: a hold that is never released.
inline constexpr int kForGood = 1000;
// Just before the next call of `call` on `fileName`, `action` runs: what another program does
// at that moment.
void Meanwhile(Call call, const std::string& fileName, void (*action)());

extern const FileCalls kRecordedCalls;

}  // namespace zvk::test_support
