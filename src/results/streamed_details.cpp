#include "results/streamed_details.h"

#include <algorithm>
#include <string_view>

#include "core/compact_text.h"
#include "pe/result_kind.h"
#include "platform/languages.h"

namespace tarnix {

StreamedDetails::StreamedDetails(bool undecorate, uint32_t undecorationFlags, FileDetailsReader reader)
    : undecorate_(undecorate),
      flags_(undecorationFlags),
      language_(UserDefaultLanguage()),
      reader_(reader ? std::move(reader) : FileDetailsReader([](const std::wstring& path, uint16_t language) {
        return ReadFileDetails(path, language, MissingVersion::kEmpty);
      })) {}

void StreamedDetails::Image(uint32_t serial, const std::wstring& path, FileDetails& read) {
  // The image a batch ends with is often the one the next begins with.
  constexpr size_t kRecent = 64;
  {
    std::lock_guard<std::mutex> lock(recentLock_);
    for (const auto& [known, details] : recent_)
      if (known == serial) {
        read = details;
        return;
      }
  }
  read = reader_(path, language_);
  std::lock_guard<std::mutex> lock(recentLock_);
  if (recent_.size() >= kRecent) recent_.pop_front();
  recent_.emplace_back(serial, read);
}

void StreamedDetails::Complete(const ResultBatch& results, size_t firstRow, size_t rows, Batch& out) {
  out.firstRow = firstRow;
  rows = std::min(rows, results.size() - std::min(firstRow, results.size()));
  out.images.clear();
  out.names.assign(undecorate_ ? rows : 0, std::wstring());
  if (rows == 0) return;
  // The rows of an image stand together, the images in order.
  out.firstImage = results.rows[firstRow].image;
  out.images.resize(results.rows[firstRow + rows - 1].image - out.firstImage + 1);
  for (size_t i = 0; i < out.images.size(); ++i) {
    const ResultBatch::Image& image = results.images[out.firstImage + i];
    Image(image.serial, image.path, out.images[i]);
  }
  std::wstring decorated;
  for (size_t i = 0; i < out.names.size(); ++i) {
    const size_t row = firstRow + i;
    if (!IsCppKind(results.rows[row].kind)) continue;
    const std::string_view key = results.CompactName(row);
    std::optional<std::optional<std::wstring>> known = names_.Find(key);
    if (!known) {
      decorated.clear();
      AppendDecodedText(decorated, key);
      std::wstring text;
      known.emplace();
      if (UndecorateName(decorated, flags_, text)) known->emplace(std::move(text));
      names_.Keep(key, *known, *known ? (*known)->size() * sizeof(wchar_t) : 0);
    }
    if (*known) out.names[i] = std::move(**known);
  }
}

void StreamedDetails::Fill(const ResultBatch& results, const Batch& details, size_t row, ResultEntry& entry) {
  results.Fill(row, entry.result);
  const FileDetails& image = details.images[results.rows[row].image - details.firstImage];
  entry.fileVersion = image.version;
  entry.description = image.description;
  const size_t at = row - details.firstRow;
  if (at < details.names.size() && !details.names[at].empty()) {
    entry.decoratedName = std::move(entry.result.name);
    entry.result.name = details.names[at];
  } else {
    entry.decoratedName.clear();
  }
}

}  // namespace tarnix
