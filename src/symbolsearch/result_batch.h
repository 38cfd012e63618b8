#pragma once
// The results of one post from the search worker, compact: each image's
// path and properties once, the rows as small fixed records, and every
// name and module name in one buffer in the compact text form
// (core/compact_text.h). A batch of sixteen thousand results is a handful
// of allocations rather than three strings per result.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "pe/image_properties.h"
#include "symbolsearch/symbol_result.h"

namespace tarnix {

// Whether two copies of an image's properties are the same.
bool SameProperties(const ImageProperties& a, const ImageProperties& b);

struct ResultBatch {
  struct Image {
    // The worker's count of the images it delivered from: the rows of one
    // image in two batches name the same serial.
    uint32_t serial = 0;
    std::wstring path;
    ImageProperties properties;
  };
  struct Row {
    uint32_t image = 0;  // index into images
    uint32_t kind = 0;   // ResultKind
    uint32_t ordinal = 0;
    int32_t nameIndexOrHint = -1;
    uint32_t nameAt = 0, nameSize = 0;  // bytes of `text`
    uint32_t moduleAt = 0, moduleSize = 0;
  };

  std::vector<Image> images;
  std::vector<Row> rows;
  std::string text;

  size_t size() const { return rows.size(); }
  bool empty() const { return rows.empty(); }

  // Appends one result of the image `serial` at `path`; the image is added
  // when it differs from the last one (serial or properties).
  void Add(uint32_t serial, std::wstring_view path, const ImageProperties& properties, uint32_t kind,
           std::wstring_view name, std::wstring_view module, uint32_t ordinal, int32_t nameIndexOrHint);
  // The same for a whole record; its image is told apart by its path.
  void Add(const SymbolResult& r);
  // Appends every row of `other` after these (its first image joins the
  // last one here when it is the same image), leaving `other` empty.
  void Append(ResultBatch&& other);

  std::string_view CompactName(size_t row) const { return Slice(rows[row].nameAt, rows[row].nameSize); }
  std::string_view CompactModule(size_t row) const { return Slice(rows[row].moduleAt, rows[row].moduleSize); }
  // Row `row` as a record (its strings reuse `out`'s room).
  void Fill(size_t row, SymbolResult& out) const;
  SymbolResult At(size_t row) const;

 private:
  std::string_view Slice(uint32_t at, uint32_t size) const { return std::string_view(text).substr(at, size); }
  uint32_t AppendText(std::wstring_view s, uint32_t& size);
};

}  // namespace tarnix
