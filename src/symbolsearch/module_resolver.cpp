#include "symbolsearch/module_resolver.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "core/error_text.h"
#include "core/event_log.h"
#include "core/wformat.h"
#include "pe/image_properties.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxNameLength = 255;

bool Fail(uint32_t error) {
  SetLastError(error);
  return false;
}

std::wstring_view FileNameOf(std::wstring_view path) {
  const size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::wstring ModuleFileName(std::wstring_view module, uint32_t& error) {
  error = ERROR_SUCCESS;
  const bool onlyDots = std::all_of(module.begin(), module.end(), [](wchar_t c) { return c == L'.'; });
  const bool badChar = std::any_of(module.begin(), module.end(), [](wchar_t c) {
    return c == L'/' || c == L'\\' || c == L':' || c < 0x20;
  });
  if (module.empty() || onlyDots || badChar) {
    error = ERROR_INVALID_NAME;
    return {};
  }
  std::wstring name(module);
  if (name.back() == L'.')
    name.pop_back();
  else if (name.find(L'.') == std::wstring::npos)
    name += L".dll";
  if (name.size() > kMaxNameLength) {
    error = ERROR_FILENAME_EXCED_RANGE;
    return {};
  }
  return name;
}

ModuleResolver::ModuleResolver(WindowsRoot root) : root_(std::move(root)) {}

std::shared_ptr<const ApiSetSchema> ModuleResolver::Schema(uint32_t& error) const {
  std::lock_guard<std::mutex> lock(schemaLock_);
  if (!schemaRead_) {
    schemaRead_ = true;
    schemaError_ = ERROR_FILE_NOT_FOUND;
    fs::path system = root_.Folder(WindowsFolder::kSystem64);
    if (system.empty()) system = root_.Folder(WindowsFolder::kSystem32);
    const fs::path file = FindFileIgnoringCase(system, L"apisetschema.dll");
    auto schema = std::make_shared<ApiSetSchema>();
    if (!file.empty() && schema->Load(file.string())) {
      schema_ = std::move(schema);
      schemaError_ = ERROR_SUCCESS;
    } else if (!file.empty()) {
      // The installation's own schema should always read.
      schemaError_ = GetLastError();
      schemaVersion_ = schema->version();
      EventLog::LogSiteFormat(940, L"schema=\"%ls\"", FromUtf8(file.string()).c_str());
    }
  }
  error = schemaError_;
  return schema_;
}

std::wstring ModuleResolver::DescribeError(uint32_t error) const {
  uint32_t version = 0;
  {
    std::lock_guard<std::mutex> lock(schemaLock_);
    if (schemaError_ == ERROR_UNSUPPORTED_VERSION) version = schemaVersion_;
  }
  if (error != ERROR_UNSUPPORTED_VERSION || version == 0) return ErrorText(error);
  return WFormat(L"(%ls) The API set schema of this Windows has version %u; versions 2, 4 and 6 are read.",
                 ErrorCodeToText(error).c_str(), version);
}

bool ModuleResolver::FindInFolders(std::wstring_view imagePath, uint32_t imageType,
                                   std::wstring_view name, std::wstring& path) const {
  std::vector<fs::path> folders;
  const size_t slash = imagePath.find_last_of(L"/\\");
  if (slash != std::wstring_view::npos)
    folders.push_back(fs::path(ToUtf8(imagePath.substr(0, slash + 1))));
  else if (!imagePath.empty())
    folders.push_back(".");
  if (root_.found()) {
    // A ROM image (or an unknown type) takes the installation's own bitness.
    WindowsFolder system = imageType == kImageType32 ? WindowsFolder::kSystem32
                           : imageType == kImageType64 || !root_.Folder(WindowsFolder::kSystem64).empty()
                               ? WindowsFolder::kSystem64
                               : WindowsFolder::kSystem32;
    folders.push_back(root_.Folder(system));
    // Wine has no Windows folder: its root is a system folder.
    if (root_.source() != WindowsRootSource::kWine) folders.push_back(root_.root());
  }
  std::vector<fs::path> seen;
  for (const fs::path& folder : folders) {
    if (folder.empty()) continue;
    const fs::path normal = folder.lexically_normal();
    if (std::find(seen.begin(), seen.end(), normal) != seen.end()) continue;
    seen.push_back(normal);
    const fs::path found = FindFileIgnoringCase(folder, name);
    if (!found.empty()) {
      path = FromUtf8(found.lexically_normal().string());
      return true;
    }
  }
  return false;
}

bool ModuleResolver::Resolve(std::wstring_view imagePath, uint32_t imageType,
                             std::wstring_view module, std::wstring& path) const {
  path.clear();
  uint32_t error = ERROR_SUCCESS;
  const std::wstring name = ModuleFileName(module, error);
  if (name.empty()) return Fail(error);

  uint32_t schemaError = ERROR_SUCCESS;
  if (IsApiSetName(name)) {
    std::shared_ptr<const ApiSetSchema> schema = Schema(schemaError);
    std::wstring host;
    switch (schema ? schema->Resolve(name, FileNameOf(imagePath), host)
                   : ApiSetSchema::Lookup::kUnknown) {
      case ApiSetSchema::Lookup::kHost: {
        // A host is a module of its own, never another API set.
        const std::wstring hostName = ModuleFileName(host, error);
        if (hostName.empty() || IsApiSetName(hostName)) return Fail(ERROR_MOD_NOT_FOUND);
        if (FindInFolders(imagePath, imageType, hostName, path)) break;
        return Fail(ERROR_FILE_NOT_FOUND);
      }
      case ApiSetSchema::Lookup::kNoHost:
        return Fail(ERROR_MOD_NOT_FOUND);
      case ApiSetSchema::Lookup::kUnknown:
        if (FindInFolders(imagePath, imageType, name, path)) break;
        // A schema that could not be read says more than "not found".
        return Fail(schemaError != ERROR_SUCCESS && schemaError != ERROR_FILE_NOT_FOUND
                        ? schemaError
                        : ERROR_FILE_NOT_FOUND);
    }
    SetLastError(ERROR_SUCCESS);
    return true;
  }
  if (!FindInFolders(imagePath, imageType, name, path)) return Fail(ERROR_FILE_NOT_FOUND);
  SetLastError(ERROR_SUCCESS);
  return true;
}

}  // namespace tarnix
