#include "results/results_model.h"

#include <new>
#include <unordered_map>

#include "core/string_memory.h"
#include "pe/result_kind.h"
#include "results/result_column.h"
#include "results/result_sort.h"

namespace tarnix {
namespace {

// The most rows a list holds: ids are 32-bit serials plus one, and the
// all-ones id is never used.
constexpr uint32_t kMaxRows = 0xFFFFFFFEu;


}  // namespace

void ResultsModel::BeginSearch(bool winApiSearch, bool modulesOnly) {
  Clear();
  winApiSearch_ = winApiSearch;
  modulesOnly_ = modulesOnly;
}

void ResultsModel::Clear() {
  rows_.clear();
  images_.clear();
  texts_.Clear();
  imageBytes_ = 0;
  full_ = false;
  nextSerial_ = 0;
  sortColumn_ = -1;
  ascending_ = true;
  detailsComplete_ = false;
  detailsInterrupted_ = false;
}

uint64_t ResultsModel::memoryUsed() const {
  return rows_.bytesUsed() + imageMemory() + texts_.bytesUsed();
}

bool ResultsModel::Room(size_t textBytes) {
  if (full_) return false;
  // What is used is counted, not the chunks and blocks reserved ahead, so
  // that a small ceiling keeps what fits in it: the memory held passes the
  // ceiling by at most one chunk of rows, of images and a block of texts.
  if (nextSerial_ >= kMaxRows ||
      (ceiling_ && memoryUsed() + sizeof(ResultRow) + texts_.GrowthFor(2, textBytes) + sizeof(ImageRecord) > ceiling_)) {
    full_ = true;
    return false;
  }
  return true;
}

uint32_t ResultsModel::AddImage(uint32_t serial, const std::wstring& path, const ImageProperties& properties) {
  if (!images_.empty()) {
    const ImageRecord& last = images_[images_.size() - 1];
    if (last.serial == serial && last.path == path && SameProperties(last.properties, properties))
      return static_cast<uint32_t>(images_.size() - 1);
  }
  ImageRecord& image = images_.emplace_back();
  image.serial = serial;
  image.path = path;
  image.properties = properties;
  imageBytes_ += HeapBytes(image.path);
  return static_cast<uint32_t>(images_.size() - 1);
}

size_t ResultsModel::Append(const ResultBatch& batch) {
  // Batch image -> list image, made when its first row is taken.
  std::vector<uint32_t> imageOf(batch.images.size(), ~uint32_t{0});
  size_t taken = 0;
  try {
    for (size_t i = 0; i < batch.rows.size(); ++i) {
      const ResultBatch::Row& in = batch.rows[i];
      if (!Room(size_t{in.nameSize} + in.moduleSize + batch.images[in.image].path.size() * sizeof(wchar_t))) break;
      uint32_t& image = imageOf[in.image];
      if (image == ~uint32_t{0}) {
        const ResultBatch::Image& bi = batch.images[in.image];
        image = AddImage(bi.serial, bi.path, bi.properties);
      }
      const uint32_t name = texts_.InternCompact(batch.CompactName(i));
      const uint32_t module = texts_.InternCompact(batch.CompactModule(i));
      if (name == TextPool::kNone || module == TextPool::kNone) {
        full_ = true;
        break;
      }
      ResultRow& r = rows_.emplace_back();
      r.serial = nextSerial_++;
      r.image = image;
      r.name = name;
      r.module = module;
      r.ordinal = in.ordinal;
      r.nameIndexOrHint = in.nameIndexOrHint;
      r.kind = in.kind;
      ++taken;
    }
  } catch (const std::bad_alloc&) {
    // What was kept stays; the list takes nothing more.
    full_ = true;
  }
  return taken;
}

uint64_t ResultsModel::Add(const SymbolResult& result) {
  ResultBatch batch;
  const uint32_t serial =
      images_.empty() ? 1
      : images_[images_.size() - 1].path == result.file ? images_[images_.size() - 1].serial
                                                         : images_[images_.size() - 1].serial + 1;
  batch.Add(serial, result.file, result.properties, result.kind, result.name, result.module, result.ordinal,
            result.nameIndexOrHint);
  return Append(batch) == 1 ? uint64_t{rows_.back().serial} + 1 : 0;
}

void ResultsModel::Fill(size_t row, ResultEntry& out) const {
  const ResultRow& r = rows_[row];
  const ImageRecord& image = images_[r.image];
  out.id = uint64_t{r.serial} + 1;
  SymbolResult& s = out.result;
  s.file.assign(image.path);
  s.name.clear();
  texts_.AppendText(r.name, s.name);
  s.module.clear();
  texts_.AppendText(r.module, s.module);
  s.kind = r.kind;
  s.properties = image.properties;
  s.ordinal = r.ordinal;
  s.nameIndexOrHint = r.nameIndexOrHint;
  out.fileVersion = image.fileVersion;
  out.description.assign(image.description);
  out.decoratedName.clear();
  if (r.decorated != TextPool::kNone) texts_.AppendText(r.decorated, out.decoratedName);
}

ResultEntry ResultsModel::Entry(size_t row) const {
  ResultEntry e;
  Fill(row, e);
  return e;
}

void ResultsModel::Reorder(const std::vector<uint32_t>& order) {
  // Rows are small: following the permutation's cycles in place takes one
  // bit per row instead of a second copy of every row.
  const size_t n = rows_.size();
  std::vector<bool> placed(n);
  for (size_t start = 0; start < n; ++start) {
    if (placed[start] || order[start] == start) continue;
    const ResultRow held = rows_[start];
    size_t at = start;
    while (order[at] != start) {
      rows_[at] = rows_[order[at]];
      placed[at] = true;
      at = order[at];
    }
    rows_[at] = held;
    placed[at] = true;
  }
}

bool ResultsModel::ChangedByDetails(int32_t column) const {
  return column == kColVersion || column == kColDescription ||
         (column == kColFunctionName && winApiSearch_);
}

bool ResultsModel::SortOffered(int32_t column) const {
  return detailsComplete_ || !ChangedByDetails(column);
}

ResultsModel::SortAnswer ResultsModel::RequestSort(int32_t column, bool searchRunning,
                                                   const std::function<void()>& stopDetails,
                                                   const std::function<bool(double)>& progress) {
  if (searchRunning || column < 0 || column >= kResultColumnCount) return SortAnswer::kRefused;
  if (!detailsComplete_ && ChangedByDetails(column)) return SortAnswer::kRefused;
  const bool ascending = column == sortColumn_ ? !ascending_ : ascending_;
  if (!detailsComplete_ && stopDetails) stopDetails();
  if (!SortResults(*this, column, ascending, progress)) return SortAnswer::kCancelled;
  sortColumn_ = column;
  ascending_ = ascending;
  return SortAnswer::kSorted;
}

size_t ResultsModel::ApplyImageDetails(std::vector<FileDetailsFinding>& images) {
  size_t taken = 0;
  for (FileDetailsFinding& f : images) {
    if (f.item >= images_.size()) continue;
    ImageRecord& image = images_[f.item];
    imageBytes_ -= HeapBytes(image.description);
    image.fileVersion = f.fileVersion;
    image.description = std::move(f.description);
    imageBytes_ += HeapBytes(image.description);
    ++taken;
  }
  return taken;
}

size_t ResultsModel::ApplyNameDetails(std::vector<NameDetailsFinding>& names) {
  size_t taken = 0;
  if (names.empty()) return taken;
  // Decorated id -> undecorated id; then one walk over the rows.
  std::unordered_map<uint32_t, uint32_t> undecorated;
  undecorated.reserve(names.size());
  for (NameDetailsFinding& f : names) {
    if (f.name >= texts_.size()) continue;
    const uint32_t id = texts_.Intern(f.undecorated);
    if (id == TextPool::kNone) continue;
    undecorated[f.name] = id;
    ++taken;
  }
  if (undecorated.empty()) return taken;
  for (size_t i = 0; i < rows_.size(); ++i) {
    ResultRow& r = rows_[i];
    if (!IsCppKind(r.kind) || r.decorated != TextPool::kNone) continue;
    auto it = undecorated.find(r.name);
    if (it == undecorated.end()) continue;
    r.decorated = r.name;
    r.name = it->second;
  }
  return taken;
}

}  // namespace tarnix
