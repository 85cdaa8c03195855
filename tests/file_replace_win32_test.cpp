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

// What the calls did, one line each, and the failures a test asked for.
struct Recording {
    std::vector<std::string> log;
    std::map<HANDLE, std::string> paths;
    struct Refusal {
        std::string call;
        std::string path;
        DWORD error;
    };
    std::vector<Refusal> refusals;

    // Whether a refusal was asked for this call; if so, it is used up and its error set.
    bool refuses(const std::string& call, const std::string& path) {
        for (auto it = refusals.begin(); it != refusals.end(); ++it) {
            if (it->call == call && it->path == path) {
                SetLastError(it->error);
                refusals.erase(it);
                return true;
            }
        }
        return false;
    }
    std::string pathOf(HANDLE file) { return paths[file]; }
};
Recording* gRecording = nullptr;

HANDLE WINAPI RecordCreateFile(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE model) {
    gRecording->log.push_back("CreateFile " + Narrow(path) + " access " + Hex(access) + " share " +
                              Hex(share) + " disposition " + Hex(disposition));
    if (gRecording->refuses("CreateFile", Narrow(path))) return INVALID_HANDLE_VALUE;
    HANDLE file = kSystemFileCalls.createFile(path, access, share, security, disposition, flags, model);
    if (file != INVALID_HANDLE_VALUE) gRecording->paths[file] = Narrow(path);
    return file;
}
BOOL WINAPI RecordWriteFile(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    gRecording->log.push_back("WriteFile " + gRecording->pathOf(file) + " " + std::to_string(size));
    if (gRecording->refuses("WriteFile", gRecording->pathOf(file))) return FALSE;
    return kSystemFileCalls.writeFile(file, bytes, size, written, overlapped);
}
DWORD WINAPI RecordSetFilePointer(HANDLE file, LONG low, PLONG high, DWORD method) {
    gRecording->log.push_back("SetFilePointer " + gRecording->pathOf(file) + " " + std::to_string(low));
    return kSystemFileCalls.setFilePointer(file, low, high, method);
}
BOOL WINAPI RecordSetEndOfFile(HANDLE file) {
    gRecording->log.push_back("SetEndOfFile " + gRecording->pathOf(file));
    return kSystemFileCalls.setEndOfFile(file);
}
BOOL WINAPI RecordFlushFileBuffers(HANDLE file) {
    gRecording->log.push_back("FlushFileBuffers " + gRecording->pathOf(file));
    return kSystemFileCalls.flushFileBuffers(file);
}
BOOL WINAPI RecordCloseHandle(HANDLE file) {
    gRecording->log.push_back("CloseHandle " + gRecording->pathOf(file));
    gRecording->paths.erase(file);
    return kSystemFileCalls.closeHandle(file);
}
BOOL WINAPI RecordMoveFileEx(LPCWSTR from, LPCWSTR to, DWORD flags) {
    gRecording->log.push_back("MoveFileEx " + Narrow(from) + " to " + Narrow(to) + " flags " + Hex(flags));
    if (gRecording->refuses("MoveFileEx", Narrow(to))) return FALSE;
    return kSystemFileCalls.moveFileEx(from, to, flags);
}
BOOL WINAPI RecordDeleteFile(LPCWSTR path) {
    gRecording->log.push_back("DeleteFile " + Narrow(path));
    return kSystemFileCalls.deleteFile(path);
}

// Looking at a file changes nothing: those calls go straight through.
const Win32FileCalls kRecordingCalls = {
    &::GetFileAttributesW,    &RecordCreateFile,   &::ReadFile,
    &RecordWriteFile,         &RecordSetFilePointer, &RecordSetEndOfFile,
    &RecordFlushFileBuffers,  &RecordCloseHandle,  &RecordMoveFileEx,
    &RecordDeleteFile,
};

std::string Open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    return "CreateFile " + path + " access " + Hex(access) + " share " + Hex(share) +
           " disposition " + Hex(disposition);
}

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
        gRecording = &recording_;
    }
    // Whatever a test made the system do, no open of the camera file was one the file
    // virtualization would refuse.
    void TearDown() override {
        for (const std::string& line : recording_.log) {
            const std::string prefix = "CreateFile " + kTarget + " access ";
            if (line.compare(0, prefix.size(), prefix) != 0) continue;
            const DWORD access = std::stoul(line.substr(prefix.size()), nullptr, 16);
            EXPECT_FALSE((access & kChangingAccess) != 0 && (access & kRedirectedAccess) == 0)
                << "refused under Program Files: " << line;
        }
        gRecording = nullptr;
        GameFolderTest::TearDown();
    }

    ReplaceResult install(const CameraPreset& preset) {
        return ReplaceFileContents(kRecordingCalls, CameraFilePath, CameraTemporaryPath,
                                   {preset.fileText, kCameraFileTrailer});
    }
    void refuse(const std::string& call, const std::string& path, DWORD error) {
        recording_.refusals.push_back({call, path, error});
    }
    static std::string installed(const CameraPreset& preset) {
        return std::string(preset.fileText) + std::string(kCameraFileTrailer);
    }

    Recording recording_;
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
    EXPECT_EQ(recording_.log, expected);
    EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini", installed(preset)));
}

TEST_F(WindowsReplaceTest, AMoveRefusedAsAccessDeniedWritesInPlaceThenDeletesTheTemporary) {
    WriteBytes("Cars/Cameras.ini", std::string(5000, 'x'));
    refuse("MoveFileEx", kTarget, ERROR_ACCESS_DENIED);
    const CameraPreset& preset = ThePresetTable()[2];

    ASSERT_TRUE(install(preset).succeeded());

    EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini", installed(preset)));
    EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini"}));
    // After the refused move: open without sharing, every byte from the start, the end of
    // the file set, flushed and closed; only then is the temporary file deleted.
    std::vector<std::string> afterMove;
    for (const std::string& line : recording_.log) {
        if (!afterMove.empty() || line.rfind("MoveFileEx", 0) == 0) afterMove.push_back(line);
    }
    const std::vector<std::string> expected = {
        afterMove.front(),
        Open(kTarget, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING),
        "SetFilePointer " + kTarget + " 0",
        "WriteFile " + kTarget + " " + std::to_string(preset.fileText.size()),
        "WriteFile " + kTarget + " 4",
        "SetEndOfFile " + kTarget,
        "FlushFileBuffers " + kTarget,
        "CloseHandle " + kTarget,
        "DeleteFile " + kTemporary,
    };
    EXPECT_EQ(afterMove, expected);
}

// A write in place that fails leaves the old bytes, and says whether it could put them back.
TEST_F(WindowsReplaceTest, AFailedWriteInPlaceLeavesTheOldFile) {
    struct Case {
        const char* name;
        DWORD openError;         // the open for writing in place refused with this, if not 0
        int failingWrites;       // then this many writes to the target fail
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
        refuse("MoveFileEx", kTarget, ERROR_ACCESS_DENIED);
        if (c.openError != 0) refuse("CreateFile", kTarget, c.openError);
        for (int i = 0; i < c.failingWrites; ++i) refuse("WriteFile", kTarget, ERROR_CRC);

        const ReplaceResult result = install(ThePresetTable()[1]);

        EXPECT_EQ(result.failedStep, ReplaceStep::WriteInPlace);
        EXPECT_EQ(result.osError, c.openError != 0 ? c.openError : DWORD(ERROR_CRC));
        EXPECT_EQ(result.targetDamaged, c.damaged);
        if (!c.damaged) {
            EXPECT_TRUE(HoldsBytes("Cars/Cameras.ini", kOldContent));
        }
        EXPECT_EQ(Tree("."), (std::set<std::string>{"Cars", "Cars/Cameras.ini"}));
        recording_.refusals.clear();
    }
}

}  // namespace
}  // namespace zvk
