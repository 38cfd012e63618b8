#pragma once
// The folders of a Windows installation that the program offers as search
// locations (System32, SysWOW64, drivers, Program Files), found on this
// machine in this order: the "WindowsRoot" setting, the environment variable
// TARNIX_WINDOWS_ROOT, /mnt/c/Windows (WSL), then the PE DLL folders of an
// installed Wine. Windows names are resolved case-insensitively, as Windows
// does.
#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

enum class WindowsFolder {
  kSystem64,        // System32 of a 64-bit Windows
  kSystem32,        // SysWOW64, or System32 of a 32-bit Windows
  kProgramFiles64,  // Program Files of a 64-bit Windows
  kProgramFiles32,  // Program Files (x86), or Program Files of a 32-bit Windows
  kDrivers,         // System32/drivers
};
inline constexpr int kWindowsFolderCount = 5;

enum class WindowsRootSource { kNone, kSetting, kEnvironment, kWsl, kWine };

// Where discovery looks. DefaultWindowsRootSearch fills it from this
// machine; tests point it at folders of their own.
struct WindowsRootSearch {
  std::filesystem::path setting;      // the "WindowsRoot" setting; empty when not set
  std::filesystem::path environment;  // TARNIX_WINDOWS_ROOT; empty when not set
  std::vector<std::filesystem::path> wslRoots;
  // Wine library folders that may hold x86_64-windows and i386-windows.
  std::vector<std::filesystem::path> wineLibraries;
  std::filesystem::path winePrefix;  // $WINEPREFIX or ~/.wine, for its Program Files
};

WindowsRootSearch DefaultWindowsRootSearch(const std::filesystem::path& setting);

class WindowsRoot {
 public:
  static WindowsRoot Discover(const WindowsRootSearch& where);
  // Discover(DefaultWindowsRootSearch(setting)).
  static WindowsRoot Find(const std::filesystem::path& setting = {});

  bool found() const { return source_ != WindowsRootSource::kNone; }
  WindowsRootSource source() const { return source_; }
  // The Windows folder; for Wine its 64-bit (else 32-bit) PE DLL folder.
  const std::filesystem::path& root() const { return root_; }
  // The folder of `kind` as it is named on disk; empty when there is none.
  const std::filesystem::path& Folder(WindowsFolder kind) const {
    return folders_[static_cast<size_t>(kind)];
  }
  // Candidates that were given but passed over, one line each
  // ("TARNIX_WINDOWS_ROOT: /x is not a Windows folder").
  const std::vector<std::string>& notes() const { return notes_; }

 private:
  WindowsRootSource source_ = WindowsRootSource::kNone;
  std::filesystem::path root_;
  std::array<std::filesystem::path, kWindowsFolderCount> folders_;
  std::vector<std::string> notes_;
};

// "setting WindowsRoot", "TARNIX_WINDOWS_ROOT", "WSL", "Wine", "none".
const char* WindowsRootSourceName(WindowsRootSource source);

// Resolves `relative` ("System32/KERNEL32.DLL"; "/" or "\" between names)
// below `base` one name at a time: a name that exists as written is taken,
// otherwise the entry whose name equals it ignoring case. Answers the path
// as named on disk, or an empty path when a name has no entry.
std::filesystem::path ResolveWindowsPath(const std::filesystem::path& base,
                                         std::wstring_view relative);

// The file (or link to a file) of `folder` named `name` ignoring case, as
// Windows finds it: the name as written, then in lower case (Wine's files),
// which need no listing of the folder; then the listing, where an entry
// equal to `name` wins over one equal ignoring case. Empty when there is
// none; `name` is a single name, never a path.
std::filesystem::path FindFileIgnoringCase(const std::filesystem::path& folder,
                                           std::wstring_view name);

}  // namespace tarnix
