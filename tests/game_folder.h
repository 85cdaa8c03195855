// A throw-away game folder that a test works in, as the program works in the player's.
#pragma once

#include "camera_file.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace zvk::test_support {

namespace fs = std::filesystem;

inline std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What the program writes for preset `index`: its text and the two closing line ends.
inline std::string InstalledBytes(std::size_t index) {
    return std::string(ThePresetTable()[index].fileText) + std::string(kCameraFileTrailer);
}

#ifdef _WIN32
// The folder again under Wine's Z: drive, which shows the whole Unix file system: a second
// drive letter for one folder, as a mapped or subst drive is. Its "\\?\" form elsewhere.
inline fs::path SpelledAgain(const fs::path& folder) {
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    const auto unixFileName = reinterpret_cast<UnixFileName>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (unixFileName == nullptr) return L"\\\\?\\" + folder.native();
    char* unix = unixFileName(folder.c_str());
    std::wstring spelled = L"Z:";
    for (const char* c = unix; *c != '\0'; ++c) spelled += *c == '/' ? L'\\' : wchar_t(static_cast<unsigned char>(*c));
    HeapFree(GetProcessHeap(), 0, unix);
    return spelled;
}
#endif

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Whether `path` holds exactly `expected`; if not, says how it differs instead of dumping both.
inline ::testing::AssertionResult HoldsBytes(const fs::path& path, const std::string& expected) {
    const std::string actual = ReadBytes(path);
    if (actual == expected) return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    return ::testing::AssertionFailure() << path.generic_string() << " holds " << actual.size() << " bytes, expected "
                                         << expected.size() << "; they differ from byte " << at << " on: \""
                                         << actual.substr(at, 24) << "\" instead of \"" << expected.substr(at, 24)
                                         << "\"";
}

// Every path below `root`, relative to it: what a step left behind, anywhere.
inline std::set<std::string> Tree(const fs::path& root) {
    std::set<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        entries.insert(fs::relative(entry.path(), root).generic_string());
    return entries;
}

// `path` as the test's own file calls take it however deep it is: on Windows, in its "\\?\"
// form, the only one Windows takes past MAX_PATH characters.
inline fs::path AnyDepth(const fs::path& path) {
#ifdef _WIN32
    if (path.native().rfind(L"\\\\?\\", 0) == 0) return path;
    return L"\\\\?\\" + fs::absolute(path).make_preferred().native();
#else
    return path;
#endif
}

// Removes `root` and all below it, read-only files and deep paths included.
inline void RemoveAll(const fs::path& root) {
#ifdef _WIN32
    // With the system's calls: the library's stop at MAX_PATH, whatever the form of the path.
    const std::wstring tree = AnyDepth(root).native();
    WIN32_FIND_DATAW found{};
    const HANDLE entries = FindFirstFileW((tree + L"\\*").c_str(), &found);
    if (entries != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName, entry = tree + L"\\" + name;
            if (name == L"." || name == L"..") continue;
            SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveAll(entry);
            } else {
                DeleteFileW(entry.c_str());
            }
        } while (FindNextFileW(entries, &found));
        FindClose(entries);
    }
    RemoveDirectoryW(tree.c_str());
#else
    std::error_code ignored;
    for (auto entry = fs::recursive_directory_iterator(root, ignored); entry != fs::recursive_directory_iterator();
         entry.increment(ignored))
        fs::permissions(entry->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
    fs::remove_all(root, ignored);
#endif
}

// Makes a fresh, empty folder the working folder for the test's duration.
class GameFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("zvk-") + info->test_suite_name() + "-" + info->name();
        for (char& c : name) {
            if (c == '/') c = '_';  // parameterised tests are named "Prefix/Suite.Test/N"
        }
        root_ = fs::temp_directory_path() / name;
        RemoveAll(root_);
        fs::create_directories(root_);
        previous_ = fs::current_path();
        fs::current_path(root_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        RemoveAll(root_);
    }

    const fs::path& root() const { return root_; }

private:
    fs::path root_;
    fs::path previous_;
};

}  // namespace zvk::test_support
