// Installing a camera preset, or a kept file of the player's own, as the game's camera file.
#pragma once

#include "camera_file.h"
#include "camera_preset.h"
#include "file_replace.h"
#include "path_text.h"

namespace zvk {

// How an install ended, and where the player's own camera file that it replaced is kept: in a
// backup made now (a failure after keeping it keeps the number too), or in one made before
// that held its bytes already. Numbers as in BackupIn.
struct [[nodiscard]] InstallResult : ReplaceResult {
    unsigned keptAs = 0;
    unsigned keptBeforeAs = 0;

    InstallResult() = default;
    InstallResult(const ReplaceResult& result, unsigned kept = 0, unsigned keptBefore = 0)
        : ReplaceResult(result), keptAs(kept), keptBeforeAs(keptBefore) {}
    InstallResult(InstallStep failed, OsError error) : ReplaceResult(failed, error) {}
};

// Replaces the camera file in `gameFolder` with `preset`'s text and the trailer, or leaves it
// untouched and says why not. A camera file of the player's own is kept as a backup first,
// and is replaced only once it has been kept.
InstallResult InstallPreset(const CameraPreset& preset, const PathText& gameFolder);
InstallResult InstallPreset(const FileCalls& calls, const CameraPreset& preset, const PathText& gameFolder);

// Removes the temporary file Cars\Cameras.ini.tmp from `gameFolder` where there is one, however
// recently it was written: for a caller that knows that no other copy of the program writes
// there, so that the file was left by an attempt that ended (the program killed, the PC off, or
// a delete refused). A CheckTarget failure of the temporary file where that is a folder or is
// read-only, a CreateTemporary failure where it stays otherwise.
ReplaceResult RemoveLeftTemporaryFile(const FileCalls& calls, const PathText& gameFolder);

// Puts back a camera file of the player's own that was kept as backup `keptFile` (see
// BackupIn) in `gameFolder`, read afresh now, exactly as a preset is installed: the camera
// file in place is kept first where it is the player's own and not kept yet. The kept file
// stays. A ReadKeptFile failure where it cannot be read, or is gone.
InstallResult PutBackKeptFile(const FileCalls& calls, const PathText& gameFolder, unsigned keptFile);

}  // namespace zvk
