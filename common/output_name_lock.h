#pragma once
// Makes the choice of an output name and the engine's write one step for every conversion
// that could choose the same name, across the threads and processes of the user's session.
#include "common/output_name.h"
#include "common/session_mutex.h"

#include <optional>

// Holds, from construction to destruction, the session's named mutex of one output folder
// and name root: the base name without the " (n)" groups at its end, since "photo",
// "photo (1)" and "photo (1) (2)" propose names from one another's series. Folder and root
// go into the name case-folded and hashed, so conversions of other names never wait on one
// another. Not held (Held() false) when the mutex cannot be had.
class COutputNameLock {
public:
    explicit COutputNameLock(const SplitPath& outputParts);

    bool Held() const { return m_lock && m_lock->IsHeld(); }

private:
    std::optional<CSessionMutexLock> m_lock;
};
