#include "results/text_export.h"

#include "platform/file_output.h"
#include "platform/last_error.h"
#include "platform/text_encoding.h"
#include "platform/win_errors.h"
#include "results/result_field.h"

namespace tarnix {
namespace {

void AppendUtf16le(std::string& out, std::wstring_view text) {
  for (char16_t u : ToUtf16(text)) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
}

}  // namespace

void AppendTsvField(std::wstring& line, std::wstring_view field) {
  // Runs without a character to escape go in whole.
  size_t from = 0;
  for (size_t i = 0; i < field.size(); ++i) {
    const wchar_t c = field[i];
    if (c != L'\t' && c != L'\n' && c != L'\r' && c != L'\\') continue;
    line.append(field, from, i - from);
    line += L'\\';
    line += c == L'\t' ? L't' : c == L'\n' ? L'n' : c == L'\r' ? L'r' : L'\\';
    from = i + 1;
  }
  line.append(field, from, field.size() - from);
}

bool ResultExportLine(const ResultEntry& entry, const std::vector<int32_t>& columns,
                      bool fullSymbols, std::wstring& line) {
  line.clear();
  std::wstring field;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (!FormatResultField(columns[i], entry, false, fullSymbols, L" | ", field)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    if (i) line += L'\t';
    AppendTsvField(line, field);
  }
  return true;
}

struct ResultsTextWriter::Impl {
  std::vector<int32_t> columns;
  bool fullSymbols = true;
  FileOutput out;
  std::string bytes;
  std::wstring line;
  bool first = true;
};

ResultsTextWriter::ResultsTextWriter(std::vector<int32_t> columns, bool fullSymbols) : impl_(new Impl) {
  impl_->columns = std::move(columns);
  impl_->fullSymbols = fullSymbols;
}

ResultsTextWriter::~ResultsTextWriter() = default;

bool ResultsTextWriter::Create(const std::string& path) {
  if (!impl_->out.Create(path)) return false;
  impl_->bytes.assign("\xFF\xFE", 2);
  impl_->first = true;
  return true;
}

bool ResultsTextWriter::Add(const ResultEntry& entry) {
  Impl& w = *impl_;
  if (!ResultExportLine(entry, w.columns, w.fullSymbols, w.line)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!w.first) AppendUtf16le(w.bytes, L"\r\n");
  w.first = false;
  AppendUtf16le(w.bytes, w.line);
  if (w.bytes.size() >= 256 * 1024) {
    if (!w.out.Write(w.bytes)) return false;
    w.bytes.clear();
  }
  return true;
}

bool ResultsTextWriter::Commit() {
  Impl& w = *impl_;
  if (!w.out.Write(w.bytes)) return false;
  w.bytes.clear();
  return w.out.Commit();
}

void ResultsTextWriter::Discard() { impl_->out.Discard(); }

int WriteResultsText(const std::string& path, const ResultsModel& results,
                     const std::vector<int32_t>& columns, bool fullSymbols,
                     const ExportCancel& cancel) {
  ResultsTextWriter writer(columns, fullSymbols);
  if (!writer.Create(path)) return -1;
  ResultEntry entry;
  for (size_t i = 0; i < results.size(); ++i) {
    if (cancel && cancel(i)) {
      writer.Discard();
      SetLastError(ERROR_CANCELLED);
      return -2;
    }
    results.Fill(i, entry);
    if (!writer.Add(entry)) {
      const uint32_t err = GetLastError();
      writer.Discard();
      SetLastError(err);
      return -1;
    }
  }
  if (!writer.Commit()) return -1;
  return 1;
}

}  // namespace tarnix
