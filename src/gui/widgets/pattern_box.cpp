#include "gui/widgets/pattern_box.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/link_label.h"
#include "gui/widgets/regex_edit_validator.h"

namespace tarnix::gui {

PatternBox::OptionSettings::OptionSettings(CriteriaOption regex, CriteriaOption caseSensitive,
                                           CriteriaOption wholeWords) {
  const CriteriaOption which[] = {regex, caseSensitive, wholeWords};
  read = [=](int i) { return ReadCriteriaOption(which[i]); };
  write = [=](int i, bool on) { WriteCriteriaOption(which[i], on); };
}

PatternBox::OptionSettings::OptionSettings(ErrMsgOption regex, ErrMsgOption caseSensitive,
                                           ErrMsgOption wholeWords) {
  const ErrMsgOption which[] = {regex, caseSensitive, wholeWords};
  read = [=](int i) { return ReadErrMsgOption(which[i]); };
  write = [=](int i, bool on) { WriteErrMsgOption(which[i], on); };
}

PatternBox::PatternBox(QWidget* parent, const Captions& captions) : QObject(parent) {
  box_ = new CComboBoxAuto(parent);
  box_->SetMaxLength(captions.maxChars);
  box_->setAccessibleName(QString::fromUtf8(captions.boxName));
  if (captions.menuButtonName) {
    menuButton_ = new QToolButton(parent);
    menuButton_->setText(QStringLiteral("..."));
    menuButton_->setAccessibleName(QString::fromUtf8(captions.menuButtonName));
    menuButton_->setFocusPolicy(Qt::StrongFocus);
    connect(menuButton_, &QToolButton::clicked, this, &PatternBox::menuRequested);
  }
  regex_ = new QCheckBox(QString::fromUtf8(captions.regex), parent);
  case_ = new QCheckBox(QString::fromUtf8(captions.caseSensitive), parent);
  words_ = new QCheckBox(QString::fromUtf8(captions.wholeWords), parent);
  moreInfo_ = new LinkLabel(parent);
  moreInfo_->SetLinkText(QStringLiteral("<a>more info</a>"));
  connect(moreInfo_, &LinkLabel::linkClicked, this, [this] {
    emit moreInfoRequested(regex_->isChecked() ? QStringLiteral("regex") : QStringLiteral("plain_search"));
  });
  connect(box_->lineEdit(), &QLineEdit::returnPressed, this, &PatternBox::returnPressed);
  for (QCheckBox* b : {regex_, case_, words_})
    connect(b, &QCheckBox::clicked, this, [this, b] { Store(b); });
}

void PatternBox::Attach(const wchar_t* historyName, std::function<uint32_t()> grammar,
                        std::optional<OptionSettings> options) {
  options_ = options;
  if (options_) {
    regex_->setChecked(options_->read(0));
    case_->setChecked(options_->read(1));
    words_->setChecked(options_->read(2));
  }
  // Choosing a history entry sets the three boxes.
  box_->Attach(false, historyName, [this](uint64_t v) {
    regex_->setChecked(v & kHistoryRegex);
    case_->setChecked(v & kHistoryCase);
    words_->setChecked(v & kHistoryWords);
  });
  check_ = RegexEditValidator::Attach(box_, regex_, case_, std::move(grammar));
}

void PatternBox::Detach() {
  if (check_) check_->Detach();
  check_ = nullptr;
}

void PatternBox::PlaceIn(QGridLayout* grid, int row, int column) {
  grid->addWidget(box_, row, column);
  if (menuButton_) grid->addWidget(menuButton_, row, column + 1);
  auto* options = new QHBoxLayout;
  options->addWidget(regex_);
  options->addWidget(case_);
  options->addWidget(words_);
  options->addStretch(1);
  options->addWidget(moreInfo_);
  grid->addLayout(options, row + 1, column, 1, menuButton_ ? 2 : 1);
}

SearchStringSpec PatternBox::Value() const {
  SearchStringSpec s;
  s.text = box_->Text();
  s.regex = regex_->isChecked();
  s.caseSensitive = case_->isChecked();
  s.wholeWords = words_->isChecked();
  return s;
}

std::wstring PatternBox::Text() const { return box_->Text(); }

void PatternBox::SetText(const std::wstring& text) { box_->SetText(text); }

void PatternBox::SetOptions(bool regex, bool caseSensitive, bool wholeWords, bool store) {
  regex_->setChecked(regex);
  case_->setChecked(caseSensitive);
  words_->setChecked(wholeWords);
  if (store)
    for (QCheckBox* b : {regex_, case_, words_}) Store(b);
}

void PatternBox::SetRegex(bool on, bool store) {
  regex_->setChecked(on);
  if (store) Store(regex_);
}

void PatternBox::AddToHistory() { box_->AddToHistory(OptionBits()); }

uint64_t PatternBox::OptionBits() const {
  return (regex_->isChecked() ? kHistoryRegex : 0) | (case_->isChecked() ? kHistoryCase : 0) |
         (words_->isChecked() ? kHistoryWords : 0);
}

void PatternBox::Store(QCheckBox* box) const {
  if (!options_) return;
  options_->write(box == regex_ ? 0 : box == case_ ? 1 : 2, box->isChecked());
}

}  // namespace tarnix::gui
