// tarnix-cli search: the symbol search without a window. Takes the program's
// own command line (folder or files, then /switch value pairs) plus options
// of its own, runs the search workers and prints every result as it comes.
// Results are kept only when they must be ordered (--sort) or counted before
// they are written (the HTML report); otherwise each is written as it
// arrives (with --details, once its image's details are read) and memory
// does not grow with their number. Status lines are never kept beyond what
// the report shows.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "cli/command.h"
#include "core/error_text.h"
#include "core/event_log.h"
#include "core/ordered_readers.h"
#include "core/registry_settings.h"
#include "core/text_format.h"
#include "core/wformat.h"
#include "pe/look_in.h"
#include "platform/case_fold.h"
#include "platform/last_error.h"
#include "platform/message_target.h"
#include "platform/text_encoding.h"
#include "results/details_pass.h"
#include "results/streamed_details.h"
#include "results/results_details_work.h"
#include "results/html_report.h"
#include "results/report_inputs.h"
#include "results/result_sort.h"
#include "results/results_limit.h"
#include "results/results_model.h"
#include "results/result_column.h"
#include "results/result_field.h"
#include "results/text_export.h"
#include "symbolsearch/command_line.h"
#include "symbolsearch/filter_description.h"
#include "symbolsearch/result_batch.h"
#include "symbolsearch/regex_escape.h"
#include "symbolsearch/regex_grammar.h"
#include "symbolsearch/search_criteria.h"
#include "symbolsearch/search_worker.h"
#include "tools/output_buffer.h"
#include "tools/status_line_limit.h"

namespace tarnix::cli {
namespace {

struct SearchOptions {
  int undecorate = -1;  // -1: the setting
  int64_t undecorateFlags = -1;
  std::vector<int32_t> columns = DefaultResultColumns();
  bool header = false;
  bool json = false;
  std::string output;
  bool quiet = false;
  bool details = false;
  int32_t sortColumn = -1;
  bool sortDescending = false;
  int64_t maxMemoryMiB = -1;  // -1: the setting
  int64_t jobs = -1;          // -1: the setting
  bool noCache = false;
  int64_t cacheLimitMiB = -1;  // -1: the setting
};

int Usage(const char* message) {
  if (message) std::fprintf(stderr, "tarnix-cli search: %s\n", message);
  std::fprintf(stderr,
               "usage: tarnix-cli search [FOLDER|FILE...] [/SWITCH VALUE...] [--name TEXT] [--for TEXT]\n"
               "         [--undecorate 0|1] [--undecorate-flags N] [--columns IDS] [--header]\n"
               "         [--format tsv|json] [--output FILE] [--details] [--sort COLUMN[:desc]]\n"
               "         [--max-memory MIB] [--jobs N] [--no-cache] [--cache-limit MIB] [--quiet]\n"
               "switches: /auto /isf /fnrx /fncs /fnww /snrx /sncs /snww /pa /sf /li /petp /pess\n"
               "          /pecm /pecv /pedm /pedv /petf /pett (decimal values; '-' works as '/')\n"
               "tsv output (stdout and --output text files): fields joined by TAB; a tab, line feed,\n"
               "carriage return or backslash inside a field is written as \\t, \\n, \\r or \\\\.\n");
  return kExitUsage;
}

bool ParseNumber(const std::string& text, int64_t& out) {
  uint64_t v = 0;
  if (!ReadOptionNumber(text, INT64_MAX, v)) return false;
  out = static_cast<int64_t>(v);
  return true;
}

std::wstring JsonEscape(std::wstring_view s) {
  std::wstring out;
  for (wchar_t c : s) {
    switch (c) {
      case L'"': out += L"\\\""; break;
      case L'\\': out += L"\\\\"; break;
      case L'\n': out += L"\\n"; break;
      case L'\r': out += L"\\r"; break;
      case L'\t': out += L"\\t"; break;
      default:
        // Control characters, and the lone surrogates that stand for the
        // bytes of a file name that is not UTF-8, as escapes.
        if (static_cast<uint32_t>(c) < 0x20 || (c >= 0xD800 && c <= 0xDFFF))
          out += WFormat(L"\\u%04x", static_cast<unsigned>(c));
        else
          out += c;
    }
  }
  return out;
}

std::wstring JsonLine(const ResultEntry& e, const std::vector<int32_t>& columns, bool fullSymbols) {
  const SymbolResult& r = e.result;
  const ImageProperties& p = r.properties;
  std::wstring line = WFormat(
      L"{\"file\":\"%ls\",\"name\":\"%ls\",\"module\":\"%ls\",\"kind\":%u,\"ordinal\":%u,"
      L"\"nameIndexOrHint\":%d,\"timeStamp\":%u,\"imageType\":%u,\"subsystem\":%llu,"
      L"\"characteristics\":%llu,\"directories\":%llu,\"binding\":%u,\"columns\":{",
      JsonEscape(r.file).c_str(), JsonEscape(r.name).c_str(), JsonEscape(r.module).c_str(), r.kind,
      r.ordinal, r.nameIndexOrHint, p.timeStamp, p.imageType, (unsigned long long)p.subsystemBit,
      (unsigned long long)p.characteristics, (unsigned long long)p.directories, p.binding);
  std::wstring text;
  for (size_t i = 0; i < columns.size(); ++i) {
    FormatResultField(columns[i], e, false, fullSymbols, L" | ", text);
    line += WFormat(L"%ls\"%ls\":\"%ls\"", i ? L"," : L"",
                    JsonEscape(ResultColumnCaption(columns[i])).c_str(), JsonEscape(text).c_str());
  }
  return line + L"}}";
}

class ProgressBar {
 public:
  explicit ProgressBar(bool enabled) : enabled_(enabled) {}
  void Update(uint64_t done, uint64_t total, bool totalKnown, const std::wstring& file) {
    if (!enabled_) return;
    std::wstring line;
    if (totalKnown && total)
      line = WFormat(L"\r[%3u%%] %ls of %ls  ", unsigned(done * 100 / total),
                     FormatByteSize(done).c_str(), FormatByteSize(total).c_str());
    else
      line = WFormat(L"\r[....] %ls  ", FormatByteSize(done).c_str());
    std::wstring name = file.size() > 60 ? L"..." + file.substr(file.size() - 57) : file;
    line += name;
    if (line.size() < width_) line.append(width_ - line.size(), L' ');
    width_ = line.size();
    PrintUtf8(stderr, line);
    std::fflush(stderr);
  }
  void Clear() {
    if (!enabled_ || width_ == 0) return;
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(width_), "");
    width_ = 0;
  }

 private:
  bool enabled_;
  size_t width_ = 0;
};

int RunSearch(const std::vector<std::string>& args) {
  SearchOptions opt;
  std::vector<std::wstring> programArgs;
  for (ArgCursor in(args); in.More();) {
    const std::string& a = in.Next();
    std::string v;
    if (a == "--name" || a == "--for") {
      // The search texts belong to the program's command line, which the
      // window takes too.
      if (!in.Value(v)) return Usage(a == "--name" ? "--name needs a value" : "--for needs a value");
      programArgs.push_back(FromUtf8(a));
      programArgs.push_back(FromUtf8(v));
    } else if (a == "--undecorate") {
      if (!in.Value(v) || (v != "0" && v != "1")) return Usage("--undecorate takes 0 or 1");
      opt.undecorate = v == "1";
    } else if (a == "--undecorate-flags") {
      int64_t n;
      if (!in.Value(v) || !ParseNumber(v, n) || n > 0xFFFFFFFF)
        return Usage("--undecorate-flags takes a number from 0 to 0xFFFFFFFF");
      opt.undecorateFlags = n;
    } else if (a == "--columns") {
      if (!in.Value(v)) return Usage("--columns needs a list of column ids");
      opt.columns.clear();
      size_t start = 0;
      while (start <= v.size()) {
        size_t comma = v.find(',', start);
        std::string id = v.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        int64_t n;
        if (!ParseNumber(id, n) || n >= kResultColumnCount)
          return Usage("--columns takes column ids 0 to 15, separated by commas");
        opt.columns.push_back(static_cast<int32_t>(n));
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
    } else if (a == "--header") {
      opt.header = true;
    } else if (a == "--format") {
      if (!in.Value(v) || (v != "tsv" && v != "json")) return Usage("--format takes tsv or json");
      opt.json = v == "json";
    } else if (a == "--output") {
      if (!in.Value(v)) return Usage("--output needs a file name");
      opt.output = v;
    } else if (a == "--quiet") {
      opt.quiet = true;
    } else if (a == "--details") {
      opt.details = true;
    } else if (a == "--sort") {
      if (!in.Value(v)) return Usage("--sort needs a column");
      std::string col = v;
      size_t colon = v.rfind(':');
      if (colon != std::string::npos) {
        std::string dir = v.substr(colon + 1);
        if (dir != "desc" && dir != "asc") return Usage("--sort takes COLUMN, COLUMN:asc or COLUMN:desc");
        opt.sortDescending = dir == "desc";
        col = v.substr(0, colon);
      }
      int64_t n;
      if (ParseNumber(col, n) && n < kResultColumnCount) {
        opt.sortColumn = static_cast<int32_t>(n);
      } else {
        for (int32_t c = 0; c < kResultColumnCount; ++c)
          if (EqualsIgnoreCase(FromUtf8(col), ResultColumnCaption(c))) opt.sortColumn = c;
      }
      if (opt.sortColumn < 0) return Usage("--sort takes a column id 0 to 15 or a column caption");
    } else if (a == "--max-memory") {
      int64_t n;
      if (!in.Value(v) || !ParseNumber(v, n) || n > 0xFFFFFFFF)
        return Usage("--max-memory takes a number of MiB from 0 to 4294967295 (0: a quarter of the machine's memory)");
      opt.maxMemoryMiB = n;
    } else if (a == "--jobs") {
      int64_t n;
      if (!in.Value(v) || !ParseNumber(v, n) || n < 1 || n > kMaxReaders)
        return Usage("--jobs takes a number of threads reading images, 1 to 64");
      opt.jobs = n;
    } else if (a == "--no-cache") {
      opt.noCache = true;
    } else if (a == "--cache-limit") {
      int64_t n;
      if (!in.Value(v) || !ParseNumber(v, n) || n < kCacheLimitMinMiB || n > kCacheLimitMaxMiB)
        return Usage("--cache-limit takes the symbol cache's size limit in MiB, 1 to 65536");
      opt.cacheLimitMiB = n;
    } else if (a == "--help") {
      Usage(nullptr);
      return kExitOk;
    } else if (a.rfind("--", 0) == 0) {
      return Usage(("unknown option " + a).c_str());
    } else {
      programArgs.push_back(FromUtf8(a));
    }
  }

  // The program's own command line: bad arguments are logged and skipped,
  // as at the desktop program's start, and shown here too.
  CommandLineState cmd = ParseCommandLine(programArgs, [&](const std::wstring& text) {
    EventLog::LogFormat(L"%ls", text.c_str());
    if (!opt.quiet) PrintUtf8(stderr, L"Warning: " + text + L"\n");
  });

  const ProgramSettings settings = LoadProgramSettings();
  SearchCriteriaInput in;
  in.folder = cmd.folder;
  in.includeSubfolders = cmd.values.isf;
  in.fileName.regex = cmd.values.fnrx;
  in.fileName.caseSensitive = cmd.values.fncs;
  in.fileName.wholeWords = cmd.values.fnww;
  if (cmd.name) {
    in.fileName.text = *cmd.name;
  } else if (!cmd.fileNames.empty()) {
    in.fileName.text = ExactFileNamesPattern(cmd.fileNames);
    in.fileName.regex = true;
  }
  in.searchFor = cmd.values.sf;
  in.search.text = cmd.searchFor.value_or(L"");
  in.search.regex = cmd.values.snrx;
  in.search.caseSensitive = cmd.values.sncs;
  in.search.wholeWords = cmd.values.snww;
  in.lookIn = cmd.values.li;
  in.presentAs = cmd.values.sf == kSearchForImportLibs && cmd.values.pa == 1 ? 2 : cmd.values.pa;
  in.peFiltersShown = true;
  in.imageTypes = cmd.values.petp;
  in.subsystems = cmd.values.pess;
  in.characteristicsMask = cmd.values.pecm;
  in.characteristicsValues = cmd.values.pecv;
  in.directoriesMask = cmd.values.pedm;
  in.directoriesValues = cmd.values.pedv;
  in.timeStampFrom = SwitchSecondsToFileTime(cmd.values.petf);
  in.timeStampTo = SwitchSecondsToFileTime(cmd.values.pett);
  in.regexGrammar = settings.regexGrammar;

  SearchParams params;
  CriteriaOutcome outcome = ValidateAndBuildSearch(in, false, nullptr, params);
  if (!outcome.start) {
    PrintUtf8(stderr, outcome.message + L"\n");
    return kExitUsage;
  }

  SearchStartSettings start;
  start.emptyMatchesAll = settings.emptySearchMatchesAll;
  start.undecorate = opt.undecorate >= 0 ? opt.undecorate == 1 : settings.undecorateCppNames;
  start.undecorationFlags = opt.undecorateFlags >= 0 ? static_cast<uint32_t>(opt.undecorateFlags)
                                                     : settings.undecorationFlags;
  start.readers = opt.jobs > 0 ? static_cast<uint32_t>(opt.jobs) : settings.searchReaders;
  start.cacheSymbols = !opt.noCache && settings.cacheSymbols;
  start.cacheLimitMiB = opt.cacheLimitMiB > 0 ? static_cast<uint32_t>(opt.cacheLimitMiB) : settings.cacheLimitMiB;
  // The total size is only shown by the progress bar.
  const bool progressShown = !opt.quiet && isatty(STDERR_FILENO);
  start.sizeScan = progressShown;

  StopFlag stop{kStopRun};
  SearchStatistics stats;
  // The queue drains straight to the output. Posts a millisecond apart let
  // the results travel in batches; a short queue bounds what waits in it
  // when the output is slower than the search.
  QueueMessageTarget target(16, 1);
  params.stopFlag = &stop;
  params.statistics = &stats;
  params.window = &target;

  InterruptStops interrupts(stop);

  const bool fullSymbols = params.presentAs != kPresentModulesOnly;
  const bool toFile = !opt.output.empty();
  const std::wstring ext = toFile ? ToLowerCase(FromUtf8(opt.output.substr(std::min(opt.output.size(), opt.output.rfind('.')))))
                                  : std::wstring();
  const bool html = toFile && (ext == L".html" || ext == L".htm");
  // Results are held back when they must be ordered or counted first.
  const bool collect = html || opt.sortColumn >= 0;
  ResultsModel collected;
  collected.BeginSearch(params.searchFor == kSearchForSymbols, !fullSymbols);
  const uint64_t limit = ResultsMemoryLimit(opt.maxMemoryMiB >= 0 ? static_cast<uint32_t>(opt.maxMemoryMiB)
                                                                  : settings.resultsMaxMiB);
  collected.SetMemoryCeiling(limit);
  // A text file of results not kept is written as they come.
  std::unique_ptr<ResultsTextWriter> stream;
  if (toFile && !collect) {
    stream = std::make_unique<ResultsTextWriter>(opt.columns, fullSymbols);
    if (!stream->Create(opt.output)) {
      const uint32_t err = GetLastError();
      PrintUtf8(stderr, WFormat(L"ERROR: Failed to save search results in the following file:\n\n%ls\n\n%ls\n",
                                FromUtf8(opt.output).c_str(), ErrorText(err).c_str()));
      return kExitSomeFailed;
    }
  }
  // Status lines are written as they come, and kept only for an HTML
  // report that shows them, as much as the window's status output holds.
  const bool keepStatus = html && settings.reportStatusOutput;
  OutputBuffer statusKept(settings.tarnixOutputMaxChars);
  auto status = [&](const std::wstring& line) {
    if (keepStatus) statusKept.AppendLine(line);
  };
  StatusLineLimit shown;
  status(WFormat(L"Search folder: \"%ls\"%ls", params.folder.c_str(),
                 params.includeSubfolders ? L" (with subfolders)" : L""));
  status(WFormat(L"Look In: %ls. PE Filter: Type=%ls, Subsystems=%ls, Characteristics=%ls, "
                 L"Directories=%ls.",
                 DescribeLookIn(params.lookIn).c_str(), DescribeImageTypes(params.imageTypes).c_str(),
                 DescribeSubsystems(params.subsystems).c_str(),
                 DescribeCharacteristics(params.characteristicsMask, params.characteristicsValues).c_str(),
                 DescribeDirectories(params.directoriesMask, params.directoriesValues).c_str()));

  if (opt.header && !toFile && !opt.json) {
    std::wstring line;
    for (size_t i = 0; i < opt.columns.size(); ++i) {
      if (i) line += L'\t';
      AppendTsvField(line, ResultColumnCaption(opt.columns[i]));
    }
    PrintUtf8(stdout, line + L"\n");
  }

  const uint64_t startTick = TickCount64();
  SymbolSearch search;
  search.SetBackgroundPriority(false);
  if (!search.Start(params, start)) {
    uint32_t err = GetLastError();
    PrintUtf8(stderr, WFormat(L"Failed to start the search:\n\n%ls\n", ErrorText(err).c_str()));
    return kExitSomeFailed;
  }

  ProgressBar bar(progressShown);
  uint64_t results = 0, done = 0;
  std::wstring currentFile;
  bool completed = false;
  bool limitReached = false, streamFailed = false;
  uint32_t streamError = 0;
  ResultEntry entry;
  std::wstring line;
  // A result not kept is written as it comes (with --details, once its
  // image's details are read).
  auto write = [&](ResultEntry& e) {
    e.id = ++results;
    if (stream) {
      if (!streamFailed && !stream->Add(e)) {
        streamFailed = true;
        streamError = GetLastError();
        stop.store(kStopStop);
      }
      return;
    }
    if (opt.json)
      line = JsonLine(e, opt.columns, fullSymbols);
    else
      ResultExportLine(e, opt.columns, fullSymbols, line);
    line += L'\n';
    bar.Clear();
    PrintUtf8(stdout, line);
  };
  // With --details, threads read the details of each batch's rows (a few
  // thousand at a time) and write their lines for stdout; the lines are
  // printed in the order the results came.
  struct DetailsJob {
    std::shared_ptr<const ResultBatch> results;
    size_t first = 0, count = 0;
  };
  struct DetailedResults {
    DetailsJob job;
    StreamedDetails::Batch details;
    std::string lines;  // UTF-8, for stdout
  };
  constexpr size_t kDetailsRows = 1024;
  using DetailsReaders = OrderedReaders<DetailsJob, DetailedResults>;
  std::optional<StreamedDetails> details;
  std::unique_ptr<DetailsReaders> detailsReaders;
  if (opt.details && !collect) {
    details.emplace(params.searchFor == kSearchForSymbols && start.undecorate, start.undecorationFlags);
    OrderedReadLimits limits;
    limits.readers = EffectiveReaderCount(start.readers);
    limits.window = limits.readers + 2;
    detailsReaders = std::make_unique<DetailsReaders>(
        limits,
        [&](DetailsJob& job, DetailsReaders::Outlet&) {
          DetailedResults out;
          details->Complete(*job.results, job.first, job.count, out.details);
          if (!stream) {
            ResultEntry e;
            std::wstring text;
            for (size_t i = job.first; i < job.first + job.count; ++i) {
              StreamedDetails::Fill(*job.results, out.details, i, e);
              if (opt.json)
                text = JsonLine(e, opt.columns, fullSymbols);
              else
                ResultExportLine(e, opt.columns, fullSymbols, text);
              text += L'\n';
              out.lines += ToUtf8(text);
            }
          }
          out.job = std::move(job);
          return out;
        },
        [&](DetailedResults& d, bool) {
          if (!stream) {
            results += d.job.count;
            bar.Clear();
            std::fwrite(d.lines.data(), 1, d.lines.size(), stdout);
            return true;
          }
          for (size_t i = d.job.first; i < d.job.first + d.job.count; ++i) {
            StreamedDetails::Fill(*d.job.results, d.details, i, entry);
            write(entry);
          }
          return true;
        },
        [] { return ReadersTick::kGo; });
  }
  for (bool ended = false; !ended;) {
    PostedMessage m;
    if (!target.Take(m, std::chrono::milliseconds(200))) continue;
    switch (m.id) {
      case kMsgResults: {
        const ResultBatch* batch = m.As<ResultBatch>();
        if (!batch || limitReached) break;
        if (collect) {
          results += collected.Append(*batch);
          if (collected.full()) {
            // What is kept stays; the search stops here.
            limitReached = true;
            stop.store(kStopStop);
            const std::wstring text =
                L"Warning: " + ResultsLimitText(results, limit, LimitRaise::kOption);
            status(text);
            bar.Clear();
            PrintUtf8(stderr, text + L"\n");
          }
          break;
        }
        if (detailsReaders) {
          auto shared = std::make_shared<const ResultBatch>(std::move(*m.As<ResultBatch>()));
          for (size_t first = 0; first < shared->size(); first += kDetailsRows)
            detailsReaders->Add({shared, first, std::min(kDetailsRows, shared->size() - first)});
          break;
        }
        for (size_t i = 0; i < batch->size(); ++i) {
          batch->Fill(i, entry.result);
          write(entry);
        }
        break;
      }
      case kMsgStatusLines:
        if (auto* lines = m.As<std::vector<std::wstring>>()) {
          std::wstring text;
          for (const std::wstring& l : *lines) {
            status(l);
            if (opt.quiet || !shown.Admit(l)) continue;
            text += l;
            text += L'\n';
          }
          if (!text.empty()) {
            bar.Clear();
            PrintUtf8(stderr, text);
          }
        }
        break;
      case kMsgProgress: {
        done = m.wParam | (m.lParam << 32);
        std::lock_guard<std::mutex> lock(stats.sizeLock);
        bar.Update(done, stats.totalSize, stats.sizeKnown, currentFile);
        break;
      }
      case kMsgCurrentFile:
        currentFile = *m.As<std::wstring>();
        break;
      case kMsgSearchEnded:
        completed = m.wParam == 1 && stop.load() < kStopStop;
        ended = true;
        break;
      default:
        break;
    }
  }
  stop.store(kStopStop);  // the size scan may still run; it is no longer needed
  search.Wait(std::chrono::milliseconds(5000));
  if (detailsReaders) detailsReaders->Finish();
  bar.Clear();
  std::fflush(stdout);
  const int64_t elapsed = static_cast<int64_t>(TickCount64() - startTick);
  uint64_t files, errors, warnings;
  {
    std::lock_guard<std::mutex> lock(stats.countersLock);
    files = stats.filesSearched;
    errors = stats.errors;
    warnings = stats.warnings;
  }
  if (!opt.quiet)
    for (const std::wstring& l : shown.HeldBackLines()) PrintUtf8(stderr, l + L"\n");
  for (const auto& l : SearchSummaryLines(completed, elapsed, files, errors, warnings, results)) {
    status(l);
    if (!opt.quiet) PrintUtf8(stderr, l + L"\n");
  }

  if (opt.details && !collected.empty()) {
    if (!opt.quiet) PrintUtf8(stderr, L"Reading versions and descriptions...\n");
    QueueMessageTarget detailsTarget(1024, 0);
    StopFlag detailsStop{kStopRun};
    DetailsRequest request;
    CollectDetailsWork(collected, start.undecorate, request.work);
    request.stop = &detailsStop;
    request.target = &detailsTarget;
    request.undecorationFlags = start.undecorationFlags;
    DetailsPass pass;
    pass.Start(std::move(request));
    for (bool done = false; !done;) {
      PostedMessage m;
      if (!detailsTarget.Take(m, std::chrono::milliseconds(200))) {
        if (!pass.Running() && detailsTarget.size() == 0) break;
        continue;
      }
      if (m.id == kMsgDetailsDone) done = true;
      if (auto* files = m.As<std::vector<FileDetailsFinding>>()) collected.ApplyImageDetails(*files);
      if (auto* names = m.As<std::vector<NameDetailsFinding>>()) collected.ApplyNameDetails(*names);
    }
  }
  if (opt.sortColumn >= 0) SortResults(collected, opt.sortColumn, !opt.sortDescending);
  if (collect && !toFile) {
    for (size_t i = 0; i < collected.size(); ++i) {
      collected.Fill(i, entry);
      if (opt.json)
        line = JsonLine(entry, opt.columns, fullSymbols);
      else
        ResultExportLine(entry, opt.columns, fullSymbols, line);
      line += L'\n';
      PrintUtf8(stdout, line);
    }
  }

  if (toFile) {
    int written;
    if (stream) {
      written = !streamFailed && stream->Commit() ? 1 : -1;
      if (streamFailed) {
        stream->Discard();
        SetLastError(streamError);
      }
    } else if (html) {
      const ReportCriteria c = ReportCriteriaFromSearch(params);
      ReportOutcome o;
      o.status = completed ? kSearchFinished : limitReached ? kSearchAbortedCritical : kSearchAbortedByUser;
      o.runTimeMs = elapsed;
      o.filesSearched = files;
      o.errors = errors;
      o.warnings = warnings;
      o.found = results;
      std::wstring_view kept = statusKept.text();
      if (kept.ends_with(L"\r\n")) kept.remove_suffix(2);
      const ReportOptions ro = ReportOptionsFromSettings(settings, std::wstring(kept));
      written = WriteHtmlReport(opt.output, opt.columns, collected, c, o, ro);
    } else {
      written = WriteResultsText(opt.output, collected, opt.columns, fullSymbols);
    }
    if (written != 1) {
      uint32_t err = GetLastError();
      PrintUtf8(stderr, WFormat(L"ERROR: Failed to save search results in the following file:\n\n%ls\n\n%ls\n",
                                FromUtf8(opt.output).c_str(), ErrorText(err).c_str()));
      return kExitSomeFailed;
    }
  }
  if (limitReached) return kExitSomeFailed;
  if (!completed) return kExitStopped;
  return errors ? kExitSomeFailed : kExitOk;
}

CommandRegistrar registrar("search", "search the images of a folder for symbols (the program's command line)",
                           RunSearch);

}  // namespace
}  // namespace tarnix::cli
