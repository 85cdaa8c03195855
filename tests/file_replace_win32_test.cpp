// The Windows replace, call by call: the order that makes it durable, the fallback where the
// move is refused, and no open of the camera file that Windows' file virtualization refuses
// under Program Files. The calls go to the real file system, seen and steered on the way.
#include "file_replace_win32.h"
#include "install_preset.h"

#include "game_folder.h"

#include <map>
#include <string>
#include <vector>

namespace zvk {
namespace {

using test_support::GameFolderTest;
using test_support::HoldsBytes;
using test_support::Tree;
using test_support::WriteBytes;

const std::string kTarget = "Cars\\Cameras.ini";
const std::string kTemporary = "Cars\\Cameras.ini.tmp";
const std::string kOldContent = "[master]\r\n; the player's own\r\n";

std::string Narrow(const wchar_t* path) { return std::string(path, path + lstrlenW(path)); }

std::string Hex(DWORD value) {
    char text[16];
    wsprintfA(text, "%lx", value);
    return text;
}

std::string Open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return "CreateFile " + path + " access " + Hex(access) + " share " + Hex(share) +
           " disposition " + Hex(disposition);
}

// The calls made, one line each; the files' names by handle; and the refusals a test asks
// for ("call path" to error), each used up by the first call it matches.
std::vector<std::string> gLog;
std::map<HANDLE, std::string> gPaths;
std::multimap<std::string, DWORD> gRefusals;

bool LoggedAndRefused(const std::string& line, const std::string& call, const std::string& path) {
    gLog.push_back(line);
    const auto refusal = gRefusals.find(call + " " + path);
    if (refusal == gRefusals.end()) return false;
    SetLastError(refusal->second);
    gRefusals.erase(refusal);
    return true;
}

HANDLE WINAPI RecordCreateFile(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE model) {
    if (LoggedAndRefused(Open(Narrow(path), access, share, disposition), "CreateFile", Narrow(path)))
        return INVALID_HANDLE_VALUE;
    HANDLE file = CreateFileW(path, access, share, security, disposition, flags, model);
    gPaths[file] = Narrow(path);
    return file;
}
BOOL WINAPI RecordWriteFile(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    return !LoggedAndRefused("WriteFile " + gPaths[file] + " " + std::to_string(size), "WriteFile", gPaths[file]) &&
           WriteFile(file, bytes, size, written, overlapped);
}
BOOL WINAPI RecordSetEndOfFile(HANDLE file) {
    gLog.push_back("SetEndOfFile " + gPaths[file]);
    return SetEndOfFile(file);
}
BOOL WINAPI RecordFlushFileBuffers(HANDLE file) {
    gLog.push_back("FlushFileBuffers " + gPaths[file]);
    return FlushFileBuffers(file);
}
BOOL WINAPI RecordCloseHandle(HANDLE file) {
    gLog.push_back("CloseHandle " + gPaths[file]);
    return CloseHandle(file);
}
BOOL WINAPI RecordMoveFileEx(LPCWSTR from, LPCWSTR to, DWORD flags) {
    const std::string line = "MoveFileEx " + Narrow(from) + " to " + Narrow(to) + " flags " + Hex(flags);
    return !LoggedAndRefused(line, "MoveFileEx", Narrow(to)) && MoveFileExW(from, to, flags);
}
BOOL WINAPI RecordDeleteFile(LPCWSTR path) {
    gLog.push_back("DeleteFile " + Narrow(path));
    return DeleteFileW(path);
}

// Looking at a file, or moving within it, changes nothing: those calls go straight through.
const Win32FileCalls kRecordingCalls = {
    &::GetFileAttributesW,   &RecordCreateFile,  &::ReadFile,        &RecordWriteFile,
    &::SetFilePointer,       &RecordSetEndOfFile, &RecordFlushFileBuffers,
    &RecordCloseHandle,      &RecordMoveFileEx,  &RecordDeleteFile,
};

// Under Program Files, a standard user's open that asks to change a file which exists only in
// the real folder is redirected to the VirtualStore only if it asks for one of these...
constexpr DWORD kRedirectedAccess = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA |
                                    FILE_WRITE_ATTRIBUTES | FILE_WRITE_EA | WRITE_DAC | WRITE_OWNER;
// ...and is refused as access denied otherwise.
constexpr DWORD kChangingAccess = kRedirectedAccess | DELETE;

class WindowsReplaceTest : public GameFolderTest {
protected:
    void SetUp() override {
        GameFolderTest::SetUp();
        std::filesystem::create_directory("Cars");
        gLog.clear();
        gPaths.clear();
        gRefusals.clear();
    }
    // Whatever a test made the system do, no open of the camera file was one the file
    // virtualization would refuse.
    void TearDown() override {
        const std::string prefix = "CreateFile " + kTarget + " access ";
        for (const std::string& line : gLog) {
            if (line.compare(0, prefix.size(), prefix) != 0) continue;
            const DWORD access = std::stoul(line.substr(prefix.size()), nullptr, 16);
            EXPECT_FALSE((access & kChangingAccess) != 0 && (access & kRedirectedAccess) == 0)
                << "refused under Program Files: " << line;
        }
        GameFolderTest::TearDown();
    }

    static ReplaceResult install(const CameraPreset& preset) {
        return ReplaceFileContents(kRecordingCalls, CameraFilePath, CameraTemporaryPath,
                                   {preset.fileText, kCameraFileTrailer});
    }
    static std::string installed(const CameraPreset& preset) {
        return std::string(preset.fileText) + std::string(kCameraFileTrailer);
    }
};

// Each byte on the disk before the file is closed, and closed before it is moved, with the
// move itself written through: a power cut at any point leaves the old file or the new one.
TEST_F(WindowsReplaceTest, WritesFlushesClosesThenMovesWithWriteThrough) {
    WriteBytes("Cars/Cameras.ini", kOldContent);
    const CameraPreset& preset = ThePresetTable()[0];

    ASSERT_TRUE(install(preset).succeeded());

    const std::vector<std::string> expected = {
        Open(kTemporary, GENERIC_WRITE, 0, CREATE_ALWAYS),  // beside the target: one volume
        "WriteFile " + kTemporary + " " + std::to_string(preset.fileText.size()),
        "WriteFile " + kTemporary + " 4",
        "FlushFileBuffers " + kTemporary,
        "CloseHandle " + kTemporary,
        "MoveFileEx " + kTemporary + " to " + kTarget + " flags " +
            Hex(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH),
    };
    EXPECT_EQ(gLog, expected);
    EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini", installed(preset)));
}

TEST_F(WindowsReplaceTest, AMoveRefusedAsAccessDeniedWritesInPlaceThenDeletesTheTemporary) {
    WriteBytes("Cars/Cameras.ini", std::string(5000, 'x'));
    gRefusals.insert({"MoveFileEx " + kTarget, ERROR_ACCESS_DENIED});
    const CameraPreset& preset = ThePresetTable()[2];

    ASSERT_TRUE(install(preset).succeeded());

    EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini", installed(preset)));
    EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini"}));
    // After the refused move: open without sharing, every byte from the start, the end of
    // the file set, flushed and closed; only then is the temporary file deleted.
    const std::vector<std::string> expected = {
        Open(kTarget, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING),
        "WriteFile " + kTarget + " " + std::to_string(preset.fileText.size()),
        "WriteFile " + kTarget + " 4",
        "SetEndOfFile " + kTarget,
        "FlushFileBuffers " + kTarget,
        "CloseHandle " + kTarget,
        "DeleteFile " + kTemporary,
    };
    EXPECT_EQ(std::vector<std::string>(gLog.end() - std::ptrdiff_t(expected.size()), gLog.end()), expected);
}

// A write in place that fails leaves the old bytes, and says whether it could put them back.
TEST_F(WindowsReplaceTest, AFailedWriteInPlaceLeavesTheOldFile) {
    struct Case {
        const char* name;
        DWORD openError;    // the open for writing in place refused with this, if not 0
        int failingWrites;  // then this many writes to the target fail
        bool damaged;
    };
    const Case cases[] = {
        {"held by another program", ERROR_SHARING_VIOLATION, 0, false},
        {"denied too", ERROR_ACCESS_DENIED, 0, false},
        {"a write fails, the old bytes go back", 0, 1, false},
        {"a write fails, and so does putting the old bytes back", 0, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes("Cars/Cameras.ini", kOldContent);
        gRefusals = {{"MoveFileEx " + kTarget, ERROR_ACCESS_DENIED}};
        if (c.openError != 0) gRefusals.insert({"CreateFile " + kTarget, c.openError});
        for (int i = 0; i < c.failingWrites; ++i) gRefusals.insert({"WriteFile " + kTarget, ERROR_CRC});

        const ReplaceResult result = install(ThePresetTable()[1]);

        EXPECT_EQ(result.failedStep, ReplaceStep::WriteInPlace);
        EXPECT_EQ(result.osError, c.openError != 0 ? c.openError : DWORD(ERROR_CRC));
        EXPECT_EQ(result.targetDamaged, c.damaged);
        if (!c.damaged) {
            EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini", kOldContent));
        }
        EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini"}));
    }
}

}  // namespace
}  // namespace zvk
