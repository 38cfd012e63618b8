#pragma once
// A search pattern as the windows take it: an editable history box, its
// "regular expressions", "case-sensitive" and "whole words" check boxes, a
// "more info" link and, where the window has one, a "..." menu button.
// Each history entry keeps the states of the three boxes, handed back when
// the entry is chosen; while regular expressions are on, the box turns
// light red as long as the text does not compile. The main window's two
// boxes, the Error Message Search window and the regex tester use it.
//
//   pattern_ = new PatternBox(group, {"Contains regular &expressions", "&Case-sensitive",
//                                     "Whole wo&rds only", "Search String", "Search String Menu", 1040});
//   pattern_->Attach(setting::kHistSearchName, grammar, kSearchOptions);
//   pattern_->PlaceIn(grid, 0, 1);
//   SearchStringSpec spec = pattern_->Value(); pattern_->AddToHistory();
#include <QObject>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/window_settings.h"
#include "symbolsearch/search_string.h"

class QCheckBox;
class QGridLayout;
class QToolButton;
class QWidget;

namespace tarnix::gui {

class CComboBoxAuto;
class LinkLabel;
class RegexEditValidator;

// The option value a pattern history keeps with each entry.
inline constexpr uint64_t kHistoryRegex = 0x1, kHistoryCase = 0x2, kHistoryWords = 0x4;

class PatternBox : public QObject {
  Q_OBJECT
 public:
  struct Captions {
    const char* regex;
    const char* caseSensitive;
    const char* wholeWords;
    const char* boxName;         // the box's accessible name
    const char* menuButtonName;  // null: no "..." button
    int maxChars;
  };
  // The settings that keep the three boxes' states, when the window
  // stores them.
  // The settings that keep the three boxes' states: the main window's
  // criteria options or the Error Message Search window's options.
  struct OptionSettings {
    OptionSettings(CriteriaOption regex, CriteriaOption caseSensitive, CriteriaOption wholeWords);
    OptionSettings(ErrMsgOption regex, ErrMsgOption caseSensitive, ErrMsgOption wholeWords);
    // Box 0 (regex), 1 (case) or 2 (whole words).
    std::function<bool(int)> read;
    std::function<void(int, bool)> write;
  };

  PatternBox(QWidget* parent, const Captions& captions);

  // Loads the history `historyName`, reads and keeps the boxes' states in
  // `options` (when given) and starts the live check with `grammar`.
  void Attach(const wchar_t* historyName, std::function<uint32_t()> grammar,
              std::optional<OptionSettings> options = std::nullopt);
  // Stops the live check (the window is closing).
  void Detach();

  // Puts the box at (row, column) of `grid`, the "..." button right of it
  // and the options row below, across both columns.
  void PlaceIn(QGridLayout* grid, int row, int column);

  // The pattern as typed with its options.
  SearchStringSpec Value() const;
  std::wstring Text() const;
  void SetText(const std::wstring& text);
  // Sets the three boxes (and stores them when the window keeps them).
  void SetOptions(bool regex, bool caseSensitive, bool wholeWords, bool store);
  void SetRegex(bool on, bool store);
  // Adds the text with the options' states as the newest history entry.
  void AddToHistory();

  CComboBoxAuto* box() const { return box_; }
  QCheckBox* regexBox() const { return regex_; }
  QCheckBox* caseBox() const { return case_; }
  QCheckBox* wordsBox() const { return words_; }
  QToolButton* menuButton() const { return menuButton_; }
  LinkLabel* moreInfo() const { return moreInfo_; }

 signals:
  // The "more info" link: the help anchor of the current mode ("regex" or
  // "plain_search").
  void moreInfoRequested(const QString& anchor);
  void menuRequested();
  void returnPressed();

 private:
  uint64_t OptionBits() const;
  void Store(QCheckBox* box) const;

  CComboBoxAuto* box_;
  QToolButton* menuButton_ = nullptr;
  QCheckBox* regex_;
  QCheckBox* case_;
  QCheckBox* words_;
  LinkLabel* moreInfo_;
  RegexEditValidator* check_ = nullptr;
  std::optional<OptionSettings> options_;
};

}  // namespace tarnix::gui
