// Finds the version resources of an image through its resource directory
// and hands their bytes to the block parser.
#include "pe/bounded_view.h"
#include "pe/resource_directory.h"
#include "pe/resource_image.h"
#include "pe/version_blocks.h"
#include "pe/version_info.h"
#include "platform/fault_guard.h"
#include "platform/last_error.h"
#include "platform/mapped_file.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

uint16_t WantedOf(const VersionInfoRequest& r) {
  uint16_t wanted = 0;
  if (r.product) wanted |= kVersionProduct;
  if (r.description) wanted |= kVersionDescription;
  if (r.company) wanted |= kVersionCompany;
  if (r.fileVersion) wanted |= kVersionFileVersion;
  return wanted;
}

// Copies what the chooser holds into the request and builds the found set.
void Deliver(const VersionBlock& block, VersionInfoRequest& r) {
  r.found = 0;
  if (block.hasFixedInfo) {
    r.found |= kVersionFixedInfo;
    if (r.fixedInfo) *r.fixedInfo = block.fixedInfo;
  }
  std::wstring* const outs[4] = {r.product, r.description, r.company, r.fileVersion};
  for (int i = 0; i < 4; ++i) {
    if (!outs[i] || !(block.taken & (1u << i))) continue;
    *outs[i] = block.strings[i];
    r.found |= static_cast<uint16_t>(1u << i);
  }
}

void ClearOutputs(VersionInfoRequest& r) {
  r.found = 0;
  if (r.fixedInfo) *r.fixedInfo = FixedFileInfo();
  for (std::wstring* s : {r.product, r.description, r.company, r.fileVersion})
    if (s) s->clear();
}

int Fail(uint32_t error) {
  SetLastError(error);
  return -1;
}

int ReadFromView(BoundedView view, VersionInfoRequest& request) {
  ResourceImage image;
  switch (image.Parse(view)) {
    case ResourceImage::Status::kOk: break;
    case ResourceImage::Status::kNotImage: return Fail(ERROR_INVALID_DATA);
    case ResourceImage::Status::kBadMagic:
    case ResourceImage::Status::kBadDirectory: return Fail(ERROR_INVALID_BLOCK);
  }
  ResourceDirectory resources(image);
  if (resources.status() == ResourceDirectory::Status::kNoResources) {
    SetLastError(ERROR_SUCCESS);
    return 0;
  }
  if (resources.status() != ResourceDirectory::Status::kOk) return Fail(ERROR_INVALID_DATA);

  VersionBlockChooser chooser(WantedOf(request), request.language);
  int parsed = 0;
  uint32_t parseError = ERROR_SUCCESS;
  ResourceDirectory::Status walk =
      resources.ForEachData(kResourceTypeVersion, [&](const ResourceData& data) {
        parsed = chooser.Parse(data.bytes, parseError);
        return parsed == 0;  // go on while nothing was accepted and nothing failed
      });
  Deliver(chooser.held(), request);
  switch (walk) {
    case ResourceDirectory::Status::kOk: break;
    case ResourceDirectory::Status::kNoSection: return Fail(ERROR_INVALID_BLOCK);
    default: return Fail(ERROR_INVALID_DATA);
  }
  if (parsed < 0) return Fail(parseError);
  SetLastError(ERROR_SUCCESS);
  return chooser.accepted() && request.language != 0 ? 1 : 0;
}

int ReadGuarded(BoundedView view, VersionInfoRequest& request) {
  // A file cut short by another process while it is mapped reads as zeros
  // past its new end; such a read is refused rather than trusted.
  FaultGuard guard(view.data(), view.size());
  int result = ReadFromView(view, request);
  if (guard.faulted()) return Fail(ERROR_INVALID_EXCEPTION_HANDLER);
  return result;
}

}  // namespace

int ReadVersionInfoFromImage(const uint8_t* image, size_t size, VersionInfoRequest& request) {
  ClearOutputs(request);
  return ReadGuarded(BoundedView(image, size), request);
}

int ReadVersionInfo(const std::wstring& path, VersionInfoRequest& request) {
  ClearOutputs(request);
  MappedFile file;
  if (!file.Open(ToUtf8(path), 0, 0xFFFFFFFFull)) {
    if (file.failedStep() == MappedFile::Step::TooSmall) SetLastError(ERROR_FILE_TOO_LARGE);
    return -1;
  }
  return ReadGuarded(BoundedView(file.data(), file.viewSize()), request);
}

}  // namespace tarnix
