#pragma once
// What the user is told about the settings store: a store that was damaged
// (moved aside and made anew), cannot be opened, cannot be written, is on a
// full disk or is locked by another program. Each condition is said once
// per start (the window in its status output, tarnix-cli on stderr); the
// window also shows a box the first time a condition is met at all, which
// is remembered in a file under the state folder ($XDG_STATE_HOME/Tarnix),
// since the store itself may be the thing that cannot be written.
#include <cstdint>
#include <string>
#include <vector>

namespace tarnix {

struct StoreNote {
  std::string kind;   // "damaged:<path moved to>", "unavailable", "read-only", "full", "locked"
  std::wstring text;  // the sentence for the user
  bool firstTime = false;  // never shown in a box before
};

// The notes of conditions met since the last call and not yet said in this
// process; each kind comes once.
std::vector<StoreNote> TakeStoreNotes();

// Remembers that the box of `kind` was shown; false when the file could not
// be written (the box then comes again at the next start).
bool MarkStoreNoteShown(const std::string& kind);

// How long closing waits for the settings writes still queued.
inline constexpr uint32_t kStoreCloseWaitMs = 3000;

// At close: waits up to `timeoutMs` for the queued settings writes. Empty
// when everything reached the store; otherwise the sentence that says the
// settings could not be saved.
std::wstring FinishStoreWrites(uint32_t timeoutMs = kStoreCloseWaitMs);

}  // namespace tarnix
