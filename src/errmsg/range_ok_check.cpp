#include "errmsg/range_ok_check.h"

#include <map>

#include "core/error_text.h"
#include "core/wformat.h"
#include "platform/case_fold.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

RangeOkCheck ModuleFailure(RangeOkVerdict verdict, const wchar_t* rule,
                           std::vector<size_t> rows, uint32_t error) {
  RangeOkCheck c;
  c.verdict = verdict;
  const std::wstring detail = rows.size() == 1 ? L"\n\n" + ErrorText(error) : std::wstring();
  c.message = WFormat(
      L"Found and highlighted %d error range(s) with incorrectly provided module:\n\n%ls%ls",
      int(rows.size()), rule, detail.c_str());
  c.rows = std::move(rows);
  c.error = error;
  return c;
}

}  // namespace

std::vector<size_t> FindOverlappingRanges(std::span<const ErrorRange> list) {
  std::vector<bool> hit(list.size(), false);
  for (size_t i = 0; i < list.size(); ++i)
    for (size_t j = i + 1; j < list.size(); ++j)
      if (RangesOverlap(list[i], list[j])) hit[i] = hit[j] = true;
  std::vector<size_t> rows;
  for (size_t i = 0; i < hit.size(); ++i)
    if (hit[i]) rows.push_back(i);
  return rows;
}

std::vector<size_t> FindBadRangeModules(std::span<const ErrorRange> list, uint32_t kind,
                                        const RangeModuleEnv& env, uint32_t& firstError) {
  firstError = 0;
  std::vector<size_t> bad;
  // The outcome per module (0 = loads), so each is loaded once in a pass.
  // Kind-1 names name the same module whatever their case.
  std::map<std::wstring, uint32_t> seen;
  for (size_t i = 0; i < list.size(); ++i) {
    const ErrorRange& r = list[i];
    if (RangeModuleKind(r) != kind) continue;
    uint32_t error;
    const std::wstring key = kind == kRangeModuleSystem ? ToLowerCase(r.libraryName) : r.libraryName;
    if (auto it = seen.find(key); it != seen.end()) {
      error = it->second;
    } else {
      std::filesystem::path file;
      bool ok = ResolveRangeModule(r, env.systemDir, file);
      if (ok) ok = env.loads ? env.loads(file) : CheckModuleFile(file);
      error = ok ? 0 : GetLastError();
      if (!ok && error == 0) error = ERROR_MOD_NOT_FOUND;  // a check that gave no reason
      seen.emplace(key, error);
    }
    if (error != 0) {
      if (bad.empty()) firstError = error;
      bad.push_back(i);
    }
  }
  return bad;
}

RangeOkCheck CheckRangesForOk(std::span<const ErrorRange> list, const RangeModuleEnv& env,
                              const ConfirmOverlaps& confirmOverlaps) {
  RangeOkCheck c;
  if (list.empty()) {
    c.verdict = RangeOkVerdict::NoRanges;
    c.message = L"At least one error range must be provided.";
    return c;
  }
  if (list.size() > kMaxErrorRanges) {
    c.verdict = RangeOkVerdict::TooManyRanges;
    c.message = WFormat(L"Specified %zu error ranges. Maximum allowed number is %d.", list.size(),
                        int(kMaxErrorRanges));
    return c;
  }
  if (confirmOverlaps) {
    std::vector<size_t> rows = FindOverlappingRanges(list);
    if (!rows.empty()) {
      const std::wstring question = WFormat(
          L"Found and highlighted %d error ranges in the list that are overlapping.\n\n"
          L"Do you want to continue?",
          int(rows.size()));
      if (!confirmOverlaps(question, rows)) {
        c.verdict = RangeOkVerdict::OverlapDeclined;
        c.message = question;
        c.rows = std::move(rows);
        return c;
      }
    }
  }
  uint32_t error = 0;
  std::vector<size_t> bad = FindBadRangeModules(list, kRangeModuleSystem, env, error);
  if (!bad.empty())
    return ModuleFailure(RangeOkVerdict::BadSystemModules,
                         L"Module must be specified by an existing system file name only.",
                         std::move(bad), error);
  bad = FindBadRangeModules(list, kRangeModuleAbsolute, env, error);
  if (!bad.empty())
    return ModuleFailure(RangeOkVerdict::BadOtherModules,
                         L"Module must be specified by an absolute path to an existing file.",
                         std::move(bad), error);
  return c;
}

}  // namespace tarnix
