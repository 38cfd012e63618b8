#pragma once
// The Error Message Search window: a search word with its options, the
// message language and the error ranges ("Search In", edited in the error
// ranges window), the search as one run of the message search engine (the
// run bar), and its lines streamed into the results box. Modeless; one per
// process, closing with the main window. The rules live in the engine
// (src/errmsg); the window binds its widgets to them.
#include <QMainWindow>
#include <vector>

#include "errmsg/error_range.h"
#include "errmsg/message_search_lines.h"
#include "run/run.h"

class QComboBox;

namespace tarnix::gui {

class COutputTextBox;
class CommandSet;
class LinkLabel;
class PatternBox;
class SearchRunBar;
class ToolWindowClosing;
struct WindowRequest;

class CErrMsgSearchDlg : public QMainWindow {
  Q_OBJECT
 public:
  // Opens the window (or brings the open one forward) over `owner`'s
  // window, which it closes with.
  static CErrMsgSearchDlg* Show(QWidget* owner);
  static CErrMsgSearchDlg* Instance();

  explicit CErrMsgSearchDlg(QWidget* owner = nullptr);
  ~CErrMsgSearchDlg() override;

  // What tests, timings and the screenshot tool look at.
  bool searchRunning() const { return run_.active(); }
  bool searchPaused() const { return run_.paused(); }
  const std::vector<ErrorRange>& ranges() const { return ranges_; }
  PatternBox* pattern() const { return pattern_; }
  QComboBox* languageBox() const { return language_; }
  LinkLabel* rangesLink() const { return rangesLink_; }
  COutputTextBox* results() const { return results_; }
  SearchRunBar* runBar() const { return bar_; }
  const CommandSet& commands() const { return *commands_; }

  // Starts a search as "&SEARCH" does.
  bool StartSearch();
  // The ranges the range editor answered with: kept, stored, shown.
  void SetRanges(std::vector<ErrorRange> ranges);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  void BuildCommands();
  void BuildMenus();
  void FillLanguages();
  void LoadRanges();
  void UpdateRangesLink();
  void OpenRanges();
  WindowRequest RegexRequest();
  void Lines(std::vector<std::wstring>& lines);
  void Finished(const RunSummary& summary);

  Run run_;
  CommandSet* commands_ = nullptr;
  ToolWindowClosing* closing_ = nullptr;
  PatternBox* pattern_ = nullptr;
  QComboBox* language_ = nullptr;
  LinkLabel* rangesLink_ = nullptr;
  SearchRunBar* bar_ = nullptr;
  COutputTextBox* results_ = nullptr;
  MessageSearchTranscript transcript_;
  bool overflowed_ = false;  // the last append dropped older text
  bool symbolicNames_ = false;
  std::vector<ErrorRange> ranges_;
};

}  // namespace tarnix::gui
