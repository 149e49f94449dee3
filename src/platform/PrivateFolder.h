#pragma once
// A folder only this user can reach, for the files Quillum hands to other programs (the
// output dragged out of the window). Such files must never land where another user could
// have prepared the place: a shared folder they made first, or a link to somewhere else.

#include "Result.h"

#include <QString>

namespace quillum {

// Makes a folder of its own for this run inside "<base>/<name>", where base is the user's
// runtime folder (XDG_RUNTIME_DIR) or, failing that, the user's cache folder. "<base>/<name>"
// is made with mode 0700 when missing; an existing one is used only when it is a real folder
// (not a symbolic link) that this user owns and no one else may enter. The run's folder has
// a name no other run can have ("run-" and six letters or digits). The error names every
// folder refused and why.
//
// A run's folder is locked (flock) until released or the process ends; the folders of runs
// that ended without removing theirs (a crash) are removed with their files when they are
// more than a day old and no process holds them.
[[nodiscard]] Result<QString> makePrivateRunFolder(const QString& name);

// Releases the lock on a folder made by makePrivateRunFolder; nothing for any other path.
void releasePrivateRunFolder(const QString& folder);

} // namespace quillum
