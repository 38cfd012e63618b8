#pragma once
// Reads the version resource of an image file without loading it: the file
// is mapped read-only, the version resource found through the image's own
// resource directory, and its version-information blocks parsed here.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tarnix {

// The fixed file information of a version resource (VS_FIXEDFILEINFO).
struct FixedFileInfo {
  uint32_t signature = 0;  // 0xFEEF04BD
  uint32_t structVersion = 0;
  uint32_t fileVersionMS = 0;
  uint32_t fileVersionLS = 0;
  uint32_t productVersionMS = 0;
  uint32_t productVersionLS = 0;
  uint32_t fileFlagsMask = 0;
  uint32_t fileFlags = 0;
  uint32_t fileOS = 0;
  uint32_t fileType = 0;
  uint32_t fileSubtype = 0;
  uint32_t fileDateMS = 0;
  uint32_t fileDateLS = 0;
};

// What was found (VersionInfoRequest::found) and which strings are wanted.
enum VersionFound : uint16_t {
  kVersionProduct = 0x1,      // "ProductName"
  kVersionDescription = 0x2,  // "FileDescription"
  kVersionCompany = 0x4,      // "CompanyName"
  kVersionFileVersion = 0x8,  // "FileVersion"
  kVersionFixedInfo = 0x8000,
};

// Filled by the caller; the reader writes the results into it. Only the
// strings whose out pointer is set are looked for.
struct VersionInfoRequest {
  // The language wanted; 0 takes the first version block. Callers pass the
  // user's default language (UserDefaultLanguage of platform/languages.h).
  uint16_t language = 0;
  FixedFileInfo* fixedInfo = nullptr;
  std::wstring* description = nullptr;
  std::wstring* company = nullptr;
  std::wstring* product = nullptr;
  std::wstring* fileVersion = nullptr;
  // Out: kVersion* bits of what the request now holds.
  uint16_t found = 0;
};

// Answers 1 when a version block in the requested (non-zero) language was
// found; 0 when the image has no resource directory or no block matched
// (the request then holds what the first block had); -1 on failure, with
// the cause as the thread's last error. Callers look at `found`, not only
// at the result.
int ReadVersionInfo(const std::wstring& path, VersionInfoRequest& request);

// The same over an image already in memory (`size` bytes at `image`).
int ReadVersionInfoFromImage(const uint8_t* image, size_t size, VersionInfoRequest& request);

}  // namespace tarnix
