#pragma once
// A module loaded as a data file for its messages: the file is mapped
// read-only and its resource directory read in place; no code runs and no
// dependency is resolved. Looking up a message follows the platform's
// formatter: the module's RT_MESSAGETABLE (name 1) in the language asked
// for, or, when the module has no message table of its own, the table of
// its MUI satellite "<folder>/<language name>/<file>.mui".
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "pe/resource_directory.h"
#include "pe/resource_image.h"
#include "platform/mapped_file.h"

namespace tarnix {

class MessageModule {
 public:
  MessageModule() = default;
  MessageModule(const MessageModule&) = delete;
  MessageModule& operator=(const MessageModule&) = delete;

  // Loads `path`. False with the last error set: the platform's error when
  // the file can't be opened, ERROR_BAD_EXE_FORMAT when it is not an image.
  bool Load(const std::wstring& path);
  const std::wstring& path() const { return path_; }

  // The message `code` as the formatter returns it with inserts ignored
  // (see FormatMessageText). `language` is a specific language identifier,
  // or 0 or 0x400 for the platform's order: neutral, the user's default,
  // the system's default, English (US), then any language present. A
  // specific language that has no table fails with
  // ERROR_RESOURCE_LANG_NOT_FOUND. Other failures: ERROR_MR_MID_NOT_FOUND
  // (no such message), ERROR_RESOURCE_DATA_NOT_FOUND,
  // ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND (no
  // table), ERROR_MUI_FILE_NOT_FOUND (the module asks for a satellite and
  // none is there), ERROR_MUI_FILE_NOT_LOADED (satellites exist but none
  // is an image). Sets the last error; safe to call from several threads.
  bool Format(uint32_t code, uint16_t language, std::wstring& text) const;

  // True when the module itself holds a message table.
  bool HasOwnTable() const;

  // Appends every id that Format may answer, in any language: the ids of
  // the module's own tables and of its satellites' (message_module_ids.cpp).
  void CollectMessageIds(std::vector<uint32_t>& ids) const;
  // Appends the languages of the module's own tables and of its satellites.
  void CollectMessageLanguages(std::vector<uint16_t>& languages) const;

 private:
  bool FormatOwn(uint32_t code, uint16_t language, std::wstring& text, uint32_t& error) const;
  bool FormatFromSatellite(uint32_t code, uint16_t language, std::wstring& text,
                           uint32_t& error) const;
  // The satellite at `path` (UTF-8), loaded once; null when it is not an image.
  std::shared_ptr<const MessageModule> Satellite(const std::string& path) const;

  std::wstring path_;
  MappedFile file_;
  ResourceImage image_;
  std::optional<ResourceDirectory> resources_;

  mutable std::mutex satellitesLock_;  // guards satellites_
  mutable std::map<std::string, std::shared_ptr<const MessageModule>> satellites_;
};

// The platform's formatter with a module and the system as sources: the
// module's message (or its satellite's) first, then the system's
// (FormatSystemMessage). `module` may be null. Sets the last error.
bool FormatModuleOrSystemMessage(const MessageModule* module, uint32_t code,
                                 uint16_t language, std::wstring& text);

}  // namespace tarnix
