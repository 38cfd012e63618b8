#pragma once
// Where a module that an image names (an import, a delay-load import, a
// forwarder's target) loads from on this machine, found as the Windows
// loader finds it under the Windows installation in use (platform/
// windows_root.h):
//   1. API set names ("api-ms-win-...", "ext-ms-...") through the API set
//      schema of the installation's apisetschema.dll, when it knows them;
//   2. the image's own folder;
//   3. the system folder of the image's bitness: System32 for 64-bit
//      images, SysWOW64 for 32-bit images of a 64-bit installation, System32
//      of a 32-bit one (for Wine, its x86_64-windows and i386-windows);
//   4. the Windows folder.
// Names are compared ignoring case; ".dll" is added to a name without an
// extension.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "pe/api_set_schema.h"
#include "platform/windows_root.h"

namespace tarnix {

class ModuleResolver {
 public:
  explicit ModuleResolver(WindowsRoot root);

  const WindowsRoot& root() const { return root_; }

  // The full path `module` loads from for the image at `imagePath` of
  // ImageType `imageType`. False with the last error:
  //   ERROR_INVALID_NAME        an empty name, a path (separators, a drive)
  //                             or only dots ("..");
  //   ERROR_FILENAME_EXCED_RANGE a name longer than 255 characters;
  //   ERROR_MOD_NOT_FOUND       an API set that has no host here;
  //   ERROR_FILE_NOT_FOUND      no file of that name in any folder (or the
  //                             error of an API set schema that could not
  //                             be read, when the name is an API set).
  // Safe to call from several threads.
  bool Resolve(std::wstring_view imagePath, uint32_t imageType, std::wstring_view module,
               std::wstring& path) const;

  // The schema of the installation's apisetschema.dll, read on first use;
  // null when there is none or it could not be read (`error` says why).
  std::shared_ptr<const ApiSetSchema> Schema(uint32_t& error) const;

  // The error text ("(%s) %s") of a failed Resolve, as the error text of
  // the code, save that a schema of a version this program does not read
  // says its version and the versions read.
  std::wstring DescribeError(uint32_t error) const;

 private:
  bool FindInFolders(std::wstring_view imagePath, uint32_t imageType, std::wstring_view name,
                     std::wstring& path) const;

  WindowsRoot root_;
  mutable std::mutex schemaLock_;  // guards the three below
  mutable bool schemaRead_ = false;
  mutable std::shared_ptr<const ApiSetSchema> schema_;
  mutable uint32_t schemaError_ = 0;
  mutable uint32_t schemaVersion_ = 0;  // of a schema refused for its version
};

// The name a module is looked for under: ".dll" added when it has no
// extension, a trailing dot (which says "no extension") taken away. Empty
// when the name is refused (see Resolve), with `error` set.
std::wstring ModuleFileName(std::wstring_view module, uint32_t& error);

}  // namespace tarnix
