#pragma once
// The PE image reader: decides whether a file is a PE image, works out its
// header properties, applies the image filters and hands every import,
// export and delay-load symbol (or imported module) to a SymbolSink.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "pe/image_filter.h"
#include "pe/image_view.h"
#include "pe/look_in.h"
#include "pe/rva.h"
#include "pe/symbol_sink.h"

namespace tarnix {

class FaultGuard;
class MappedFile;
class ViewRecorder;

// Told of a file ReadFile read, while it is still mapped and guarded, unless
// the sink stopped the read or the file shrank underneath it.
class MappedImageHook {
 public:
  virtual ~MappedImageHook() = default;
  virtual void Mapped(const MappedFile& file, const FaultGuard& guard) = 0;
};

// The step at which an image was refused or failed, with the error that
// goes with it.
enum LocationCode : uint32_t {
  kLocationHeaderValues = 0,   // section or file alignment or section count 0: 193
  kLocationOpen = 192,         // opening the file: the platform's error
  kLocationMapping = 193,      // creating the file mapping
  kLocationView = 194,         // mapping the view
  kLocationRegion = 195,       // learning the view's size
  kLocationLfanew = 198,       // e_lfanew + 264 beyond the view: 193
  kLocationSize = 199,         // querying the file size
  kLocationTooSmall = 200,     // 64 bytes or fewer: 1782
  kLocationTooLarge = 201,     // above 0xFFFFFFFF bytes: 223
  kLocationSignature = 202,    // no "PE\0\0" and not NE: 193
  kLocationMagic = 204,        // unknown optional header magic: 11
  kLocationMalformed = 551,    // a read outside the view or the file: 310
  kLocationNeImage = 639,      // a 16-bit "NE" image: 1286
};

// Files of kMinImageFile bytes or fewer, or above kMaxImageFile bytes, are
// refused before they are read.
inline constexpr uint64_t kMinImageFile = 64;
inline constexpr uint64_t kMaxImageFile = 0xFFFFFFFFull;

// What the reader answers.
enum ReadResult : int {
  kReadDone = 0,     // read (also when a filter refused it or nothing matched)
  kReadStop = 2,     // the sink asked to stop (last error ERROR_CANCELLED)
  kReadFailed = -1,  // refused or failed: last error and LocationCode set
};

// The parts of the search criteria the reader itself applies.
struct ScanOptions {
  uint32_t lookIn = 0;                         // LookInBits; 0 = everything
  uint32_t searchFor = kSearchForSymbols;      // or kSearchForImportLibs
  uint32_t presentAs = kPresentSymbolsInModules;  // or kPresentModulesOnly
  bool searchMatchesAll = false;  // the search string matches every name
};

// Reads images one after another on one thread, keeping its scratch tables
// from image to image.
class ImageReader {
 public:
  // Maps the file at `path` (UTF-8) read-only and reads it. `filter` may be
  // null (no filters). `fileSize`, when given, is set to the file's size as
  // soon as it is mapped (before the sink hears of the image). Sets the
  // last error on every return.
  int ReadFile(const std::string& path, const ScanOptions& options, SymbolSink& sink,
               const ImageFilter* filter, uint32_t& location, uint64_t* fileSize = nullptr,
               MappedImageHook* hook = nullptr);

  // Reads an image already in memory; `size` is the view size. `guard`, when
  // given, reports faults of a mapping underneath. `path` only names the
  // image in status lines.
  int ReadMemory(const uint8_t* data, size_t size, std::string_view path,
                 const ScanOptions& options, SymbolSink& sink, const ImageFilter* filter,
                 uint32_t& location, const FaultGuard* guard = nullptr);

  // Reads the image in memory as any search of it could, with every table,
  // every name and every property, telling `recorder` each range of bytes
  // read. A read that would have ended a walk does not end it here, so what
  // is told covers what every search, filter and Look In selection reads.
  // `enough`, asked at every symbol, ends the capture early.
  void Capture(const uint8_t* data, size_t size, ViewRecorder& recorder,
               const std::function<bool()>& enough);

 private:
  int ReadView(const ImageView& view, std::string_view path, const ScanOptions& options,
               SymbolSink& sink, const ImageFilter* filter, uint32_t& location,
               const FaultGuard* guard);

  SectionMap sections_;
  std::vector<int32_t> nameIndex_;
};

// The header properties of the image at `path` as a search gives them to
// every result of the image (binding none): ReadFile's answers, and
// `props` filled when the answer is kReadDone. A ROM image's are those of
// its "Image" result.
int ReadImageProperties(const std::string& path, ImageProperties& props, uint32_t& location);

// One-shot form of ImageReader::ReadFile.
int ReadImage(const std::string& path, const ScanOptions& options, SymbolSink& sink,
              const ImageFilter* filter, uint32_t& location);

}  // namespace tarnix
