#include "pe/message_module.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "pe/message_table.h"
#include "pe/message_text.h"
#include "platform/fault_guard.h"
#include "platform/languages.h"
#include "platform/last_error.h"
#include "platform/system_messages.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

constexpr uint16_t kMessageTableName = 1;

bool IsFallbackRequest(uint16_t language) {
  return language == kLangNeutral || language == kLangUserDefault;
}

void AddUnique(std::vector<uint16_t>& order, uint16_t id) {
  if (std::find(order.begin(), order.end(), id) == order.end()) order.push_back(id);
}

// The order in which languages are tried for a 0 / 0x400 request.
std::vector<uint16_t> FallbackOrder() {
  const uint16_t user = UserDefaultLanguage();
  const uint16_t system = SystemDefaultLanguage();
  std::vector<uint16_t> order;
  AddUnique(order, kLangNeutral);
  AddUnique(order, user);
  AddUnique(order, MakeLanguage(PrimaryLanguage(user), 0));
  AddUnique(order, system);
  AddUnique(order, MakeLanguage(PrimaryLanguage(system), 0));
  AddUnique(order, kLangEnglishUS);
  return order;
}

bool IsFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// The satellite path of `file` in `folder/language`: the name as it is,
// else in lower case (satellites are often named in lower case); empty
// when neither exists.
std::string SatellitePath(const std::string& folder, const std::string& language,
                          const std::string& file) {
  const std::string dir = folder + "/" + language + "/";
  if (IsFile(dir + file + ".mui")) return dir + file + ".mui";
  const std::string lower = Lower(file) + ".mui";
  if (IsFile(dir + lower)) return dir + lower;
  return {};
}

// The language subfolders of `folder` (by the locale table's names, in name
// order). System folders are consulted often, so the listing is kept until
// the folder changes.
std::vector<std::string> LanguageFolders(const std::string& folder) {
  struct Listing {
    struct timespec changed;
    std::vector<std::string> names;
  };
  static std::mutex listingsLock;  // guards listings
  static std::map<std::string, Listing> listings;

  struct stat st;
  if (::stat(folder.c_str(), &st) != 0) return {};
  {
    std::lock_guard<std::mutex> lock(listingsLock);
    auto it = listings.find(folder);
    if (it != listings.end() && it->second.changed.tv_sec == st.st_mtim.tv_sec &&
        it->second.changed.tv_nsec == st.st_mtim.tv_nsec)
      return it->second.names;
  }
  Listing listing{st.st_mtim, {}};
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_directory(typeError)) continue;
    std::string name = it->path().filename().string();
    if (FindLanguageByName(FromUtf8(name))) listing.names.push_back(name);
  }
  std::sort(listing.names.begin(), listing.names.end());
  std::lock_guard<std::mutex> lock(listingsLock);
  if (listings.size() > 64) listings.clear();
  listings[folder] = listing;
  return listing.names;
}

}  // namespace

bool MessageModule::Load(const std::wstring& path) {
  path_ = path;
  resources_.reset();
  if (!file_.Open(ToUtf8(path), 0, 0xFFFFFFFFull)) {
    if (file_.failedStep() == MappedFile::Step::TooSmall) SetLastError(ERROR_BAD_EXE_FORMAT);
    return false;
  }
  if (image_.Parse(BoundedView(file_.data(), file_.viewSize())) !=
      ResourceImage::Status::kOk) {
    file_.Close();
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return false;
  }
  resources_.emplace(image_);
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool MessageModule::HasOwnTable() const {
  return resources_ && resources_->HasType(kResourceTypeMessageTable);
}

bool MessageModule::FormatOwn(uint32_t code, uint16_t language, std::wstring& text,
                              uint32_t& error) const {
  text.clear();
  if (!resources_ || resources_->status() != ResourceDirectory::Status::kOk) {
    // A tree that can't be read holds nothing usable.
    error = ERROR_RESOURCE_DATA_NOT_FOUND;
    return false;
  }
  const ResourceId type(kResourceTypeMessageTable);
  if (!resources_->HasType(type)) {
    error = ERROR_RESOURCE_TYPE_NOT_FOUND;
    return false;
  }
  const std::vector<uint16_t> present = resources_->Languages(type, kMessageTableName);
  const auto names = resources_->Names(type);
  if (std::find(names.begin(), names.end(), ResourceId(kMessageTableName)) == names.end()) {
    error = ERROR_RESOURCE_NAME_NOT_FOUND;
    return false;
  }
  auto has = [&](uint16_t id) { return std::find(present.begin(), present.end(), id) != present.end(); };
  std::optional<uint16_t> chosen;
  if (!IsFallbackRequest(language)) {
    // As the platform's resource loader: the language itself, then its
    // primary language with the neutral sublanguage (0x407 finds 0x0007).
    if (has(language)) chosen = language;
    else if (has(MakeLanguage(PrimaryLanguage(language), 0))) chosen = MakeLanguage(PrimaryLanguage(language), 0);
  } else {
    for (uint16_t id : FallbackOrder())
      if (has(id)) {
        chosen = id;
        break;
      }
    if (!chosen && !present.empty()) chosen = present.front();  // any language
  }
  ResourceData data;
  if (!chosen ||
      !resources_->Find(type, kMessageTableName, *chosen, data, error)) {
    error = ERROR_RESOURCE_LANG_NOT_FOUND;
    return false;
  }
  std::wstring stored;
  if (!MessageTable(data.bytes).Find(code, stored)) {
    error = ERROR_MR_MID_NOT_FOUND;
    return false;
  }
  text = FormatMessageText(stored);
  error = ERROR_SUCCESS;
  return true;
}

std::shared_ptr<const MessageModule> MessageModule::Satellite(const std::string& path) const {
  {
    std::lock_guard<std::mutex> lock(satellitesLock_);
    auto it = satellites_.find(path);
    if (it != satellites_.end()) return it->second;
  }
  auto module = std::make_shared<MessageModule>();
  std::shared_ptr<const MessageModule> loaded;
  if (module->Load(FromUtf8(path))) loaded = module;
  std::lock_guard<std::mutex> lock(satellitesLock_);
  return satellites_.emplace(path, loaded).first->second;
}

bool MessageModule::FormatFromSatellite(uint32_t code, uint16_t language, std::wstring& text,
                                        uint32_t& error) const {
  const std::string whole = ToUtf8(path_);
  const size_t slash = whole.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : whole.substr(0, slash);
  const std::string file = slash == std::string::npos ? whole : whole.substr(slash + 1);

  std::vector<uint16_t> order;
  if (!IsFallbackRequest(language)) {
    order.push_back(language);
    AddUnique(order, MakeLanguage(PrimaryLanguage(language), 0));
  } else {
    AddUnique(order, UserDefaultLanguage());
    AddUnique(order, SystemDefaultLanguage());
    AddUnique(order, kLangEnglishUS);
  }
  std::vector<std::string> tried;
  auto tryFolder = [&](const std::string& languageName) -> std::optional<bool> {
    const std::string satellitePath = SatellitePath(folder, languageName, file);
    if (satellitePath.empty()) return std::nullopt;
    tried.push_back(satellitePath);
    std::shared_ptr<const MessageModule> satellite = Satellite(satellitePath);
    if (!satellite) return std::nullopt;
    return satellite->FormatOwn(code, language, text, error);
  };
  for (uint16_t id : order) {
    const LanguageInfo* info = FindLanguage(id);
    if (!info) continue;
    if (auto r = tryFolder(ToUtf8(info->name))) return *r;
  }
  if (IsFallbackRequest(language)) {
    for (const std::string& name : LanguageFolders(folder))
      if (auto r = tryFolder(name)) return *r;
  }
  if (!tried.empty()) {
    error = ERROR_MUI_FILE_NOT_LOADED;  // satellites are there, none is an image
    return false;
  }
  // Without a satellite the module's own answer stands, unless the module
  // says that its messages live in one.
  if (resources_ && resources_->HasType(ResourceId(std::u16string(u"MUI"))))
    error = ERROR_MUI_FILE_NOT_FOUND;
  return false;
}

bool MessageModule::Format(uint32_t code, uint16_t language, std::wstring& text) const {
  uint32_t error = ERROR_SUCCESS;
  bool found;
  {
    // A module shortened by another process while it is mapped reads as
    // zeros past its new end; such a lookup fails instead of crashing.
    FaultGuard guard(file_.data(), file_.viewSize());
    found = FormatOwn(code, language, text, error);
    if (guard.faulted()) {
      text.clear();
      SetLastError(ERROR_INVALID_EXCEPTION_HANDLER);
      return false;
    }
  }
  if (!found && (error == ERROR_RESOURCE_DATA_NOT_FOUND || error == ERROR_RESOURCE_TYPE_NOT_FOUND ||
                 error == ERROR_RESOURCE_NAME_NOT_FOUND))
    found = FormatFromSatellite(code, language, text, error);
  SetLastError(found ? ERROR_SUCCESS : error);
  return found;
}

bool FormatModuleOrSystemMessage(const MessageModule* module, uint32_t code, uint16_t language,
                                 std::wstring& text) {
  if (module && module->Format(code, language, text)) return true;
  return FormatSystemMessage(code, language, text);
}

}  // namespace tarnix
