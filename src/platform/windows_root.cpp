#include "platform/windows_root.h"

#include <sys/stat.h>

#include <cstdlib>
#include <system_error>

#include "platform/case_fold.h"
#include "platform/text_encoding.h"

namespace tarnix {
namespace fs = std::filesystem;

namespace {

bool IsFolder(const fs::path& p) {
  std::error_code ec;
  return !p.empty() && fs::is_directory(p, ec);
}

// The entry of `dir` named `name` that `wanted` accepts: as written, then
// in lower case when `lowerFirst`, then from the listing ignoring case (the
// first such entry, unless one equals `name`). Empty if none.
template <class Wanted>
fs::path FindEntry(const fs::path& dir, std::wstring_view name, bool lowerFirst, Wanted wanted) {
  const std::wstring lower = lowerFirst ? ToLowerCase(name) : std::wstring();
  for (std::wstring_view candidate : {name, std::wstring_view(lower)}) {
    if (candidate.empty()) continue;
    const fs::path p = dir / ToUtf8(candidate);
    if (wanted(p)) return p;
  }
  fs::path found;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::wstring entry = FromUtf8(it->path().filename().string());
    if (!EqualsIgnoreCase(entry, name) || !wanted(it->path())) continue;
    if (found.empty() || entry == name) found = it->path();
    if (entry == name) break;
  }
  return found;
}

// Any entry of `dir` named `name`.
fs::path ResolveName(const fs::path& dir, std::wstring_view name) {
  return FindEntry(dir, name, false, [](const fs::path& p) {
    std::error_code ec;
    return fs::symlink_status(p, ec).type() != fs::file_type::not_found && !ec;
  });
}

fs::path Trimmed(const fs::path& p) {
  fs::path n = p.lexically_normal();
  if (!n.has_filename() && n.has_parent_path() && n != n.root_path()) n = n.parent_path();
  return n;
}

}  // namespace

fs::path ResolveWindowsPath(const fs::path& base, std::wstring_view relative) {
  if (base.empty()) return {};
  fs::path at = base;
  size_t i = 0;
  while (i <= relative.size()) {
    size_t end = relative.find_first_of(L"/\\", i);
    if (end == std::wstring_view::npos) end = relative.size();
    const std::wstring_view name = relative.substr(i, end - i);
    i = end + 1;
    if (name.empty() || name == L".") continue;
    if (name == L"..") {
      at = at.parent_path();
      continue;
    }
    at = ResolveName(at, name);
    if (at.empty()) return {};
  }
  return at;
}

fs::path FindFileIgnoringCase(const fs::path& folder, std::wstring_view name) {
  if (folder.empty() || name.empty() || name.find_first_of(L"/\\") != std::wstring_view::npos)
    return {};
  return FindEntry(folder, name, true, [](const fs::path& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  });
}

const char* WindowsRootSourceName(WindowsRootSource source) {
  switch (source) {
    case WindowsRootSource::kSetting: return "setting WindowsRoot";
    case WindowsRootSource::kEnvironment: return "TARNIX_WINDOWS_ROOT";
    case WindowsRootSource::kWsl: return "WSL";
    case WindowsRootSource::kWine: return "Wine";
    case WindowsRootSource::kNone: break;
  }
  return "none";
}

WindowsRootSearch DefaultWindowsRootSearch(const fs::path& setting) {
  WindowsRootSearch where;
  where.setting = setting;
  if (const char* env = std::getenv("TARNIX_WINDOWS_ROOT"); env && *env) where.environment = env;
  where.wslRoots = {"/mnt/c/Windows"};
  where.wineLibraries = {"/usr/lib/x86_64-linux-gnu/wine", "/usr/lib/i386-linux-gnu/wine",
                         "/usr/lib/wine", "/usr/lib64/wine", "/usr/local/lib/wine"};
  // Builds installed under /opt (WineHQ packages): /opt/wine-*/lib*/wine.
  std::error_code ec;
  for (fs::directory_iterator opt("/opt", ec), end; !ec && opt != end; opt.increment(ec)) {
    if (opt->path().filename().string().rfind("wine", 0) != 0) continue;
    std::error_code ec2;
    for (fs::directory_iterator lib(opt->path(), ec2), end2; !ec2 && lib != end2;
         lib.increment(ec2)) {
      if (lib->path().filename().string().rfind("lib", 0) == 0)
        where.wineLibraries.push_back(lib->path() / "wine");
    }
  }
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) {
    where.winePrefix = prefix;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    where.winePrefix = fs::path(home) / ".wine";
  }
  return where;
}

WindowsRoot WindowsRoot::Find(const fs::path& setting) {
  return Discover(DefaultWindowsRootSearch(setting));
}

WindowsRoot WindowsRoot::Discover(const WindowsRootSearch& where) {
  WindowsRoot r;
  auto folder = [&r](WindowsFolder kind) -> fs::path& {
    return r.folders_[static_cast<size_t>(kind)];
  };

  // A Windows folder: it has System32 (and SysWOW64 when it is 64-bit);
  // Program Files lie beside it on the same drive.
  auto tryWindows = [&](const fs::path& candidate, WindowsRootSource source) {
    if (candidate.empty()) return false;
    const fs::path root = Trimmed(candidate);
    const fs::path system = ResolveWindowsPath(root, L"System32");
    if (!IsFolder(system)) return false;
    r.source_ = source;
    r.root_ = root;
    const fs::path wow = ResolveWindowsPath(root, L"SysWOW64");
    const bool is64 = IsFolder(wow);
    const fs::path drive = root.parent_path();
    const fs::path programFiles = ResolveWindowsPath(drive, L"Program Files");
    const fs::path programFilesX86 = ResolveWindowsPath(drive, L"Program Files (x86)");
    if (is64) {
      folder(WindowsFolder::kSystem64) = system;
      folder(WindowsFolder::kSystem32) = wow;
      if (IsFolder(programFiles)) folder(WindowsFolder::kProgramFiles64) = programFiles;
      if (IsFolder(programFilesX86)) folder(WindowsFolder::kProgramFiles32) = programFilesX86;
    } else {
      folder(WindowsFolder::kSystem32) = system;
      if (IsFolder(programFiles)) folder(WindowsFolder::kProgramFiles32) = programFiles;
    }
    const fs::path drivers = ResolveWindowsPath(system, L"drivers");
    if (IsFolder(drivers)) folder(WindowsFolder::kDrivers) = drivers;
    return true;
  };

  // Wine keeps its PE modules (the .sys drivers among them) in one folder
  // per architecture; its Program Files are in the prefix's drive C.
  auto tryWine = [&](const std::vector<fs::path>& libraries, WindowsRootSource source) {
    fs::path wine64, wine32;
    for (const auto& lib : libraries) {
      if (wine64.empty() && IsFolder(lib / "x86_64-windows")) wine64 = lib / "x86_64-windows";
      if (wine32.empty() && IsFolder(lib / "i386-windows")) wine32 = lib / "i386-windows";
    }
    if (wine64.empty() && wine32.empty()) return false;
    r.source_ = source;
    r.root_ = wine64.empty() ? wine32 : wine64;
    folder(WindowsFolder::kSystem64) = wine64;
    folder(WindowsFolder::kSystem32) = wine32;
    return true;
  };

  // A folder given by the setting or the environment is a Windows folder,
  // or a Wine library folder as discovery finds them.
  bool found = false;
  for (const auto& [given, source] : {std::pair{where.setting, WindowsRootSource::kSetting},
                                      std::pair{where.environment, WindowsRootSource::kEnvironment}}) {
    if (given.empty()) continue;
    if (tryWindows(given, source)) return r;
    if (tryWine({Trimmed(given)}, source)) {
      found = true;
      break;
    }
    r.notes_.push_back(std::string(WindowsRootSourceName(source)) + ": " + Trimmed(given).string() +
                       " is not a Windows folder (no System32 in it) nor a Wine library folder");
  }
  if (!found)
    for (const auto& wsl : where.wslRoots)
      if (tryWindows(wsl, WindowsRootSource::kWsl)) return r;
  if (!found && !tryWine(where.wineLibraries, WindowsRootSource::kWine)) return r;
  const bool wine64 = !folder(WindowsFolder::kSystem64).empty();
  folder(WindowsFolder::kDrivers) = r.root_;
  if (!where.winePrefix.empty()) {
    const fs::path drive = ResolveWindowsPath(where.winePrefix, L"drive_c");
    const fs::path programFiles = ResolveWindowsPath(drive, L"Program Files");
    const fs::path programFilesX86 = ResolveWindowsPath(drive, L"Program Files (x86)");
    if (!drive.empty() && IsFolder(programFilesX86)) {
      folder(WindowsFolder::kProgramFiles32) = programFilesX86;
      if (IsFolder(programFiles)) folder(WindowsFolder::kProgramFiles64) = programFiles;
    } else if (!drive.empty() && IsFolder(programFiles)) {
      folder(wine64 ? WindowsFolder::kProgramFiles64 : WindowsFolder::kProgramFiles32) =
          programFiles;
    }
  }
  return r;
}

}  // namespace tarnix
