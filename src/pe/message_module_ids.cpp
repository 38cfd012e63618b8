// What a message module holds: the ids and languages of its message tables
// and of its satellites, for searches that visit only the codes that have a
// message. Both lists may say more than Format answers in one language,
// never less.
#include <sys/stat.h>

#include <filesystem>

#include "pe/message_module.h"
#include "pe/message_table.h"
#include "platform/fault_guard.h"
#include "platform/languages.h"
#include "platform/text_encoding.h"

namespace tarnix {
namespace {

constexpr uint16_t kMessageTableName = 1;

// The satellites of `path`: "<folder>/<language>/<file>.mui" for every
// language folder, as written or in lower case.
std::vector<std::string> SatellitePaths(const std::wstring& path) {
  const std::string whole = ToUtf8(path);
  const size_t slash = whole.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : whole.substr(0, slash);
  const std::string file = slash == std::string::npos ? whole : whole.substr(slash + 1);
  std::string lower = file;
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  std::vector<std::string> paths;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_directory(typeError)) continue;
    const std::string name = it->path().filename().string();
    if (!FindLanguageByName(FromUtf8(name))) continue;
    for (const std::string& candidate : {file, lower}) {
      const std::string full = folder + "/" + name + "/" + candidate + ".mui";
      struct stat st;
      if (::stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        paths.push_back(full);
        break;
      }
    }
  }
  return paths;
}

}  // namespace

void MessageModule::CollectMessageIds(std::vector<uint32_t>& ids) const {
  if (resources_ && resources_->status() == ResourceDirectory::Status::kOk) {
    // A file shortened while mapped reads as zeros, which end the walk; its
    // lookups fail too, so what was listed can only be more than needed.
    FaultGuard guard(file_.data(), file_.viewSize());
    const ResourceId type(kResourceTypeMessageTable);
    for (uint16_t language : resources_->Languages(type, kMessageTableName)) {
      ResourceData data;
      uint32_t error = 0;
      if (!resources_->Find(type, kMessageTableName, language, data, error)) continue;
      MessageTable(data.bytes).ForEach([&](uint32_t id, const std::wstring&) {
        ids.push_back(id);
        return true;
      });
    }
  }
  // Satellites answer only for a module without a table of its own, but a
  // longer list costs nothing but time.
  for (const std::string& satellitePath : SatellitePaths(path_))
    if (auto satellite = Satellite(satellitePath)) satellite->CollectMessageIds(ids);
}

void MessageModule::CollectMessageLanguages(std::vector<uint16_t>& languages) const {
  if (resources_ && resources_->status() == ResourceDirectory::Status::kOk) {
    FaultGuard guard(file_.data(), file_.viewSize());
    for (uint16_t language :
         resources_->Languages(ResourceId(kResourceTypeMessageTable), kMessageTableName))
      languages.push_back(language);
  }
  for (const std::string& satellitePath : SatellitePaths(path_))
    if (auto satellite = Satellite(satellitePath)) satellite->CollectMessageLanguages(languages);
}

}  // namespace tarnix
