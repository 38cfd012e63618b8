#include "results/html_report.h"

#include "core/event_log.h"
#include "core/project_pages.h"
#include "core/text_format.h"
#include "core/wformat.h"
#include "platform/file_output.h"
#include "platform/last_error.h"
#include "platform/locale_format.h"
#include "platform/os_info.h"
#include "platform/text_encoding.h"
#include "platform/time_utils.h"
#include "platform/win_errors.h"
#include "results/result_column.h"
#include "results/result_field.h"
#include "symbolsearch/filter_description.h"

namespace tarnix {


namespace {

constexpr const wchar_t* kHomePage = kHomePageUrl;
constexpr const wchar_t* kOsReleaseDocs =
    L"https://www.freedesktop.org/software/systemd/man/os-release.html";
constexpr const wchar_t* kKernelDocs = L"https://man7.org/linux/man-pages/man2/uname.2.html";

constexpr const wchar_t kHead[] =
    L"<!DOCTYPE html>\n<html>\n<head>\n"
    L"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n"
    L"<title>#TITLE#</title>\n<style>\n"
    L"body, p, table, tr, td, th {\n\tbackground-color: White;\n"
    L"\tfont-family: Segoe UI, \"Trebuchet MS\", Arial, Helvetica, sans-serif;\n"
    L"\tfont-size:12px;\n}\n"
    L"table{\n\tborder-collapse: collapse;\n\tborder: 2px solid #dcdcdc;\n}\n"
    L"td, th{\n\tvertical-align: top;\n\tborder-collapse: collapse;\n"
    L"\tborder: 1px solid #dcdcdc;\n\tpadding-right: 8px;\n\tword-break: break-all;\n}\n"
    L".nbrd{\n\tborder: none;\n\tmargin-bottom: 2em;\n}\n"
    L".nbrd td, .nbrd th{\n\tborder: none;\n}\n"
    L".smFont{\n\tfont-size: .8em;\n\ttext-align: center;\n\tpadding: 30px 4px;\n}\n"
    L"h1{\n\ttext-align: center;\n}\n"
    L".rd{\n\tcolor: #e40000;\n}\n.gr{\n\tcolor: #008a10;\n}\n.org{\n\tcolor: #bb5b0d;\n}\n"
    L".tac{\n\ttext-align: center;\n}\n"
    L".txta{\n\twidth: 100%;\n\tfont-size:12px;\n\tborder: 1px solid #dcdcdc;\n}\n"
    L".dvso{\n  padding-top: 3em;\n}\n.txtso{\n  padding-bottom: 0.3em;\n  display: inline-block;\n}\n"
    L"</style>\n</head>\n<body>\n<h1>#HEADER#</h1>\n<div>\n"
    L"<p><table border=\"0\" cellpadding=\"1\" cellspacing=\"0\" class=\"nbrd\">\n"
    L"#STATS#\n</table>\n</div>\n"
    L"<table width='100%' border='1' cellpadding='1' cellspacing='0'>\n";

void ReplaceAll(std::wstring& s, std::wstring_view what, std::wstring_view with) {
  for (size_t at = s.find(what); at != std::wstring::npos; at = s.find(what, at + with.size()))
    s.replace(at, what.size(), with);
}

const wchar_t* YesNo(bool b) { return b ? L"Yes" : L"No"; }

std::wstring WholeWords(bool regex, bool words) {
  return regex ? std::wstring() : WFormat(L", Whole Words=%ls", YesNo(words));
}

// A link as every link of the page is written: the address escaped as an
// attribute, the text as given (already markup).
std::wstring Link(std::wstring_view url, std::wstring_view markup) {
  return L"<a href=\"" + HtmlEscape(std::wstring(url)) + L"\" target=\"_blank\">" +
         std::wstring(markup) + L"</a>";
}

std::wstring StatusText(const ReportOutcome& o) {
  std::wstring d = HtmlEscape(FormatDuration(o.runTimeMs));
  switch (o.status) {
    case kSearchFinished: return WFormat(L"<span class='gr'>Finished</span> in %ls", d.c_str());
    case kSearchAbortedByUser:
      return WFormat(L"<span class='org'>ABORTED</span> by User (After %ls)", d.c_str());
    case kSearchAbortedCritical:
      return WFormat(L"<span class='rd'>ABORTED</span> Due To Critical Error (After %ls)",
                     d.c_str());
    default:
      return WFormat(L"<span class='rd'>Unknown Search Status</span> (RunTime: %ls)", d.c_str());
  }
}

std::wstring StatsRows(const ReportCriteria& c, const ReportOutcome& o) {
  std::wstring generated;
  if (!FormatLocalDateTime(FileTimeToUnixSeconds(NowFileTime()), generated))
    generated = L"Invalid DateTime";
  std::wstring searchFor = c.searchFor == 1   ? L"WinAPIs"
                           : c.searchFor == 2 ? L"ImportLibs"
                                              : WFormat(L"<%d>", static_cast<int>(c.searchFor));
  std::wstring grammarRow =
      c.fileNameRegex || c.searchRegex
          ? WFormat(L"<tr><td>Regex Grammar: </td><td>%ls</td></tr>",
                    HtmlEscape(c.grammarName).c_str())
          : std::wstring();
  std::wstring filter = WFormat(
      L"<table border=\"0\" cellpadding=\"1\" cellspacing=\"0\" class=\"nbrd\"><tr><td>Type: "
      L"</td><td>%ls</td></tr><tr><td>Subsystems: </td><td>%ls</td></tr><tr><td>Characteristics: "
      L"</td><td>%ls</td></tr><tr><td>Directories: </td><td>%ls</td></tr><tr><td>Time From: "
      L"</td><td>%ls</td></tr><tr><td>Time To: </td><td>%ls</td></tr></table>",
      HtmlEscape(DescribeImageTypes(c.types)).c_str(),
      HtmlEscape(DescribeSubsystems(c.subsystems)).c_str(),
      HtmlEscape(DescribeCharacteristics(c.charsMask, c.charsValues)).c_str(),
      HtmlEscape(DescribeDirectories(c.dirsMask, c.dirsValues)).c_str(),
      HtmlEscape(DescribeTimeBound(c.fromFileTime)).c_str(),
      HtmlEscape(DescribeTimeBound(c.toFileTime)).c_str());
  std::wstring presentAs = c.presentAs == 1   ? L"APIs-in-Modules"
                           : c.presentAs == 2 ? L"Modules"
                                              : WFormat(L"<%d>", static_cast<int>(c.presentAs));
  std::wstring errors =
      o.errors ? WFormat(L"<span class='rd'><strong>%llu</strong></span>", (unsigned long long)o.errors)
               : std::to_wstring(o.errors);
  std::wstring warnings =
      o.warnings ? WFormat(L"<span class='org'><strong>%llu</strong></span>",
                           (unsigned long long)o.warnings)
                 : std::to_wstring(o.warnings);
  std::wstring stats = WFormat(L"File(s) Searched=%llu, Error(s)=%ls, Warning(s)=%ls",
                               (unsigned long long)o.filesSearched, errors.c_str(), warnings.c_str());
  std::wstring noun = c.searchFor == 1   ? L"WinAPI(s)"
                      : c.searchFor == 2 ? L"Import Library(-ies)"
                                         : L"";
  return WFormat(
      L"<tr><td>Generated: </td><td>%ls (%ls-bit app)</td></tr><tr><td>OS: </td><td>%ls</td></tr>"
      L"<tr><td>&nbsp;</td><td></td></tr><tr><td>Search Folder: </td><td>&quot;%ls&quot; "
      L"(%ls)</td></tr><tr><td>Search Files: </td><td>%ls</td></tr><tr><td></td><td>Regex=%ls, "
      L"Case Sensitive=%ls%ls</td></tr><tr><td>Search For: </td><td>&quot;%ls&quot;</td></tr>"
      L"<tr><td>Search String: </td><td>%ls</td></tr><tr><td></td><td>Regex=%ls, Case "
      L"Sensitive=%ls%ls</td></tr>%ls<tr><td>Look In: </td><td>%ls</td></tr><tr><td>PE Filter: "
      L"</td><td>%ls</td></tr><tr><td>Present As: </td><td>%ls</td></tr><tr><td>Search: "
      L"</td><td>%ls</td></tr><tr><td>Stats: </td><td>%ls</td></tr><tr><td>Found: </td><td>%llu "
      L"%ls</td></tr>",
      HtmlEscape(generated).c_str(), sizeof(void*) == 8 ? L"64" : L"32",
      ReportOsText(QueryOsInfo()).c_str(),
      HtmlEscape(c.folder).c_str(), c.subfolders ? L"With subfolders" : L"No subfolders",
      HtmlEscape(c.fileName).c_str(), YesNo(c.fileNameRegex), YesNo(c.fileNameCase),
      WholeWords(c.fileNameRegex, c.fileNameWords).c_str(), searchFor.c_str(),
      HtmlEscape(c.searchText).c_str(), YesNo(c.searchRegex), YesNo(c.searchCase),
      WholeWords(c.searchRegex, c.searchWords).c_str(), grammarRow.c_str(),
      HtmlEscape(DescribeLookIn(c.lookIn)).c_str(), filter.c_str(), presentAs.c_str(),
      StatusText(o).c_str(), stats.c_str(), (unsigned long long)o.found,
      HtmlEscape(noun).c_str());
}

bool LinkedColumn(int32_t column, uint32_t kind) {
  if (column == kColModule || column == kColImageName) return true;
  return column == kColFunctionName && kind != kKindImportOrdinal &&
         kind != kKindDelayImportOrdinal && kind != kKindExportOrdinal;
}

class Utf8Sink {
 public:
  explicit Utf8Sink(FileOutput& out) : out_(out) {}
  bool Put(std::wstring_view text) { return out_.Write(ToUtf8(text)); }

 private:
  FileOutput& out_;
};

}  // namespace

std::wstring UrlEscapeQuery(std::wstring_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::wstring out;
  for (unsigned char b : ToUtf8(text)) {
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' ||
        b == '_' || b == '.' || b == '~') {
      out += static_cast<wchar_t>(b);
    } else {
      out += L'%';
      out += static_cast<wchar_t>(kHex[b >> 4]);
      out += static_cast<wchar_t>(kHex[b & 0xF]);
    }
  }
  return out;
}

std::wstring OnlineSearchUrl(std::wstring_view urlTemplate, std::wstring_view text) {
  // Only a web address goes into a link; any other template is the default.
  std::wstring url = EffectiveOnlineSearchUrl(urlTemplate);
  ReplaceAll(url, kOnlineSearchPlaceholder, UrlEscapeQuery(text));
  return url;
}

std::wstring ReportOsText(const OsInfo& os) {
  std::wstring text = Link(kOsReleaseDocs, HtmlEscape(os.prettyName));
  if (os.wsl) text += WFormat(L" (WSL %u)", os.wsl);
  return text + L", Kernel=" + Link(kKernelDocs, HtmlEscape(os.kernelRelease)) +
         L", Architecture=" + HtmlEscape(os.machine) + L", Bitness=" + HtmlEscape(os.bitness);
}

int WriteHtmlReport(const std::string& path, const std::vector<int32_t>& columns,
                    const ResultsModel& results, const ReportCriteria& criteria,
                    const ReportOutcome& outcome, const ReportOptions& options,
                    const ReportCancel& cancel) {
  if (columns.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  FileOutput file;
  if (!file.Create(path, 0x80000)) return -1;
  Utf8Sink sink(file);
  auto fail = [&] {
    uint32_t err = GetLastError();
    file.Discard();
    SetLastError(err ? err : ERROR_WRITE_FAULT);
    return -1;
  };
  if (!file.Write("\xEF\xBB\xBF")) return fail();

  const bool links = options.links;
  std::wstring head = kHead;
  std::wstring title = HtmlEscape(L"Tarnix Results");
  ReplaceAll(head, L"#TITLE#", title);
  ReplaceAll(head, L"#HEADER#", title);
  ReplaceAll(head, L"#STATS#", StatsRows(criteria, outcome));
  if (!sink.Put(head)) return fail();

  std::wstring row = L"<tr>";
  for (int32_t col : columns) {
    const wchar_t* caption = ResultColumnCaption(col);
    row += WFormat(L"<th>%ls</th>", HtmlEscape(caption ? caption : L"").c_str());
  }
  row += L"</tr>\n";
  if (!sink.Put(row)) return fail();

  const bool fullSymbols = criteria.presentAs != 2;
  std::wstring text;
  ResultEntry entry;
  for (size_t i = 0; i < results.size(); ++i) {
    if (cancel && cancel(i)) {
      file.Discard();
      SetLastError(ERROR_CANCELLED);
      return 0;
    }
    results.Fill(i, entry);
    row = L"<tr>";
    for (int32_t col : columns) {
      if (!FormatResultField(col, entry, true, fullSymbols, L" | ", text)) text = L"<Error>";
      std::wstring escaped = HtmlEscape(text);
      if (links && !text.empty() && LinkedColumn(col, entry.result.kind)) {
        row += L"<td>" + Link(OnlineSearchUrl(options.urlTemplate, text), escaped) + L"</td>";
      } else {
        row += L"<td>" + escaped + L"</td>";
      }
    }
    row += L"</tr>\n";
    if (!sink.Put(row)) return fail();
  }
  if (results.empty() &&
      !sink.Put(WFormat(L"<tr><td colspan=\"%zu\" class=\"tac\"><em>%ls</em></td></tr>",
                        columns.size(), HtmlEscape(L"No entries found...").c_str())))
    return fail();
  if (!sink.Put(L"</table>\n")) return fail();
  if (options.statusSection &&
      !sink.Put(WFormat(L"<div class='dvso'></div>\n<span class='txtso'>Status Output:</span>\n"
                        L"<textarea cols='45' rows='15' readonly='readonly' "
                        L"class='txta'>%ls</textarea>\n",
                        HtmlEscape(options.statusText).c_str())))
    return fail();
  std::wstring footer = L"<div><p class='smFont'>Generated by #APP_V#</p></div>\n</body>\n</html>\n";
  ReplaceAll(footer, L"#APP_V#", Link(kHomePage, HtmlEscape(L"Tarnix v." + std::wstring(EventLog::kVersion))));
  if (!sink.Put(footer)) return fail();
  if (!file.Commit()) return -1;
  return 1;
}

}  // namespace tarnix
