#include "symbolsearch/result_batch.h"

#include "core/compact_text.h"

namespace tarnix {

bool SameProperties(const ImageProperties& a, const ImageProperties& b) {
  return a.computed == b.computed && a.timeStamp == b.timeStamp && a.imageType == b.imageType &&
         a.subsystemBit == b.subsystemBit && a.characteristics == b.characteristics &&
         a.directories == b.directories && a.binding == b.binding;
}

uint32_t ResultBatch::AppendText(std::wstring_view s, uint32_t& size) {
  const size_t at = text.size();
  AppendCompactText(text, s);
  size = static_cast<uint32_t>(text.size() - at);
  return static_cast<uint32_t>(at);
}

void ResultBatch::Add(uint32_t serial, std::wstring_view path, const ImageProperties& properties,
                      uint32_t kind, std::wstring_view name, std::wstring_view module, uint32_t ordinal,
                      int32_t nameIndexOrHint) {
  if (images.empty() || images.back().serial != serial || !SameProperties(images.back().properties, properties)) {
    Image& image = images.emplace_back();
    image.serial = serial;
    image.path = path;
    image.properties = properties;
  }
  Row& r = rows.emplace_back();
  r.image = static_cast<uint32_t>(images.size() - 1);
  r.kind = kind;
  r.ordinal = ordinal;
  r.nameIndexOrHint = nameIndexOrHint;
  r.nameAt = AppendText(name, r.nameSize);
  r.moduleAt = AppendText(module, r.moduleSize);
}

void ResultBatch::Add(const SymbolResult& r) {
  uint32_t serial = images.empty() ? 0 : images.back().serial;
  if (images.empty() || images.back().path != r.file) ++serial;
  Add(serial, r.file, r.properties, r.kind, r.name, r.module, r.ordinal, r.nameIndexOrHint);
}

void ResultBatch::Append(ResultBatch&& other) {
  if (rows.empty()) {
    *this = std::move(other);
    other = ResultBatch{};
    return;
  }
  const bool joins = !other.images.empty() && other.images.front().serial == images.back().serial &&
                     SameProperties(other.images.front().properties, images.back().properties);
  const uint32_t imageBase = static_cast<uint32_t>(images.size() - (joins ? 1 : 0));
  const uint32_t textBase = static_cast<uint32_t>(text.size());
  for (size_t i = joins ? 1 : 0; i < other.images.size(); ++i) images.push_back(std::move(other.images[i]));
  for (Row r : other.rows) {
    r.image += imageBase;
    r.nameAt += textBase;
    r.moduleAt += textBase;
    rows.push_back(r);
  }
  text += other.text;
  other = ResultBatch{};
}

void ResultBatch::Fill(size_t row, SymbolResult& out) const {
  const Row& r = rows[row];
  const Image& image = images[r.image];
  out.file.assign(image.path);
  out.name.clear();
  AppendDecodedText(out.name, CompactName(row));
  out.module.clear();
  AppendDecodedText(out.module, CompactModule(row));
  out.kind = r.kind;
  out.properties = image.properties;
  out.ordinal = r.ordinal;
  out.nameIndexOrHint = r.nameIndexOrHint;
}

SymbolResult ResultBatch::At(size_t row) const {
  SymbolResult r;
  Fill(row, r);
  return r;
}

}  // namespace tarnix
