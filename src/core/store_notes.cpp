#include "core/store_notes.h"

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <mutex>
#include <set>

#include "core/error_text.h"
#include "core/wformat.h"
#include "platform/last_error.h"
#include "platform/registry.h"
#include "platform/sqlite_db.h"
#include "platform/text_encoding.h"

namespace tarnix {
namespace {

constexpr size_t kMaxRememberedKinds = 256;

std::mutex g_saidLock;  // guards g_said
std::set<std::string>& Said() {
  static std::set<std::string>* said = new std::set<std::string>;
  return *said;
}

std::string ShownFile() { return XdgFolder("XDG_STATE_HOME", ".local/state") + "/Tarnix/store-notices"; }

// The kinds whose box was shown, one per line (a damaged, huge or foreign
// file is read only as far as the first lines go).
std::set<std::string> ShownKinds() {
  std::set<std::string> kinds;
  std::ifstream in(ShownFile());
  std::string line;
  while (kinds.size() < kMaxRememberedKinds && std::getline(in, line))
    if (!line.empty() && line.size() < 4096) kinds.insert(line);
  return kinds;
}

}  // namespace

std::vector<StoreNote> TakeStoreNotes() {
  const StoreHealth h = Registry::Health();
  const std::wstring path = FromUtf8(h.path);
  const std::wstring error = ErrorText(h.lastError);
  std::vector<StoreNote> notes;
  auto add = [&](std::string kind, std::wstring text) { notes.push_back({std::move(kind), std::move(text)}); };
  if (!h.movedAsideTo.empty())
    add("damaged:" + h.movedAsideTo,
        WFormat(L"The settings store was damaged; it was moved to \"%ls\" and a new one was made, so "
                L"the settings start from their defaults.",
                FromUtf8(h.movedAsideTo).c_str()));
  if (h.unavailable)
    add("unavailable", WFormat(L"The settings store \"%ls\" cannot be opened; the default settings are "
                               L"used and changes are not saved. %ls",
                               path.c_str(), error.c_str()));
  if (h.readOnly)
    add("read-only", WFormat(L"The settings store \"%ls\" cannot be written; changes are used until "
                             L"the program ends but are not saved.",
                             path.c_str()));
  if (h.full)
    add("full", WFormat(L"The disk of the settings store \"%ls\" is full; changes are saved once there "
                        L"is space again.",
                        path.c_str()));
  if (h.locked)
    add("locked", WFormat(L"The settings store \"%ls\" is locked by another program; the default "
                          L"settings are used where it could not be read, and changes are saved once "
                          L"it is free.",
                          path.c_str()));
  std::vector<StoreNote> fresh;
  std::lock_guard<std::mutex> lock(g_saidLock);
  std::set<std::string> shown;
  bool shownRead = false;
  for (StoreNote& n : notes) {
    if (!Said().insert(n.kind).second) continue;
    if (!shownRead) {
      shown = ShownKinds();
      shownRead = true;
    }
    n.firstTime = !shown.count(n.kind);
    fresh.push_back(std::move(n));
  }
  return fresh;
}

bool MarkStoreNoteShown(const std::string& kind) {
  LastErrorKeeper keep;
  const std::string file = ShownFile();
  if (!MakeFolders(file.substr(0, file.rfind('/')))) return false;
  std::set<std::string> kinds = ShownKinds();
  if (kinds.count(kind)) return true;
  if (kinds.size() >= kMaxRememberedKinds) return false;
  std::ofstream out(file, std::ios::app);
  out << kind << '\n';
  return static_cast<bool>(out.flush());
}

std::wstring FinishStoreWrites(uint32_t timeoutMs) {
  if (Registry::FlushWrites(timeoutMs)) return {};
  const StoreHealth h = Registry::Health();
  return WFormat(L"%zu settings changes could not be saved in \"%ls\" and are lost. %ls", h.pendingWrites,
                 FromUtf8(h.path).c_str(), ErrorText(h.lastError).c_str());
}

}  // namespace tarnix
