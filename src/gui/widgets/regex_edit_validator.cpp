#include "gui/widgets/regex_edit_validator.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <unordered_map>

#include "gui/app/desktop_message_target.h"
#include "gui/app/text_convert.h"
#include "platform/last_error.h"
#include "platform/win_errors.h"
#include "symbolsearch/regex_grammar.h"
#include "tools/regex_check.h"

namespace tarnix::gui {

const QColor RegexEditValidator::kInvalidBackground(255, 213, 213);
const QColor RegexEditValidator::kInvalidText(32, 0, 0);

namespace {

constexpr int kCheckDelayMs = 100;

// The watched boxes (GUI thread only).
std::unordered_map<const QWidget*, RegexEditValidator*>& Watched() {
  static std::unordered_map<const QWidget*, RegexEditValidator*> boxes;
  return boxes;
}

uint64_t NextBoxId() {
  static uint64_t last = 0;
  return ++last;
}

}  // namespace

RegexEditValidator* RegexEditValidator::Attach(QWidget* box, QAbstractButton* regexBox,
                                               QAbstractButton* caseBox,
                                               std::function<uint32_t()> grammar) {
  QLineEdit* edit = qobject_cast<QLineEdit*>(box);
  if (auto* combo = qobject_cast<QComboBox*>(box)) edit = combo->lineEdit();
  if (!edit || !regexBox || !caseBox) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  if (Watched().count(box)) {
    SetLastError(ERROR_ALREADY_ASSIGNED);
    return nullptr;
  }
  auto* validator = new RegexEditValidator(box, edit, regexBox, caseBox, std::move(grammar));
  Watched()[box] = validator;
  SetLastError(ERROR_SUCCESS);
  return validator;
}

RegexEditValidator::RegexEditValidator(QWidget* box, QLineEdit* edit, QAbstractButton* regexBox,
                                       QAbstractButton* caseBox,
                                       std::function<uint32_t()> grammar)
    : QObject(box),
      box_(box),
      edit_(edit),
      regexBox_(regexBox),
      caseBox_(caseBox),
      grammar_(std::move(grammar)),
      boxId_(NextBoxId()) {
  timer_.setSingleShot(true);
  timer_.setInterval(kCheckDelayMs);
  connect(&timer_, &QTimer::timeout, this, &RegexEditValidator::OnTimer);
  connect(edit, &QLineEdit::textChanged, this, &RegexEditValidator::OnTextChanged);
  connect(regexBox, &QAbstractButton::toggled, this, &RegexEditValidator::OnRegexToggled);
  // The case box decides icase, which can change what compiles.
  connect(caseBox, &QAbstractButton::toggled, this, &RegexEditValidator::OnTextChanged);
  replies_ = std::make_unique<DesktopMessageTarget>(
      [this](PostedMessage& m) {
        if (m.id == kRegexCheckReply) OnReply(m.wParam, m.lParam != 0);
      },
      16, 0);
  checker_ = std::make_unique<RegexChecker>(replies_.get());
}

RegexEditValidator::~RegexEditValidator() {
  Stop();
  // Only the address is used: the box may be going away itself.
  for (auto it = Watched().begin(); it != Watched().end(); ++it)
    if (it->second == this) {
      Watched().erase(it);
      break;
    }
}

void RegexEditValidator::Stop() {
  timer_.stop();
  if (checker_) checker_->Detach();
  if (replies_) replies_->Close();
}

void RegexEditValidator::Detach() {
  if (detached_) return;
  detached_ = true;
  Stop();
  SetInvalid(false);
  if (edit_) edit_->disconnect(this);
  if (regexBox_) regexBox_->disconnect(this);
  if (caseBox_) caseBox_->disconnect(this);
  if (box_) Watched().erase(box_.data());
  deleteLater();
}

void RegexEditValidator::OnTextChanged() {
  if (detached_ || !regexBox_ || !regexBox_->isChecked()) return;
  timer_.start();
}

void RegexEditValidator::OnRegexToggled(bool checked) {
  if (checked) {
    // The text already there is checked as if it had just been typed.
    OnTextChanged();
    return;
  }
  timer_.stop();
  SetInvalid(false);
}

void RegexEditValidator::OnTimer() {
  if (detached_ || !edit_ || !regexBox_ || !regexBox_->isChecked()) return;
  const uint32_t grammar = grammar_ ? grammar_() : kDefaultRegexSyntax;
  const bool caseSensitive = caseBox_ && caseBox_->isChecked();
  checker_->Submit({FromQ(edit_->text()), RegexCheckFlags(grammar, caseSensitive), boxId_});
}

void RegexEditValidator::OnReply(uint64_t boxId, bool invalid) {
  if (detached_ || boxId != boxId_) return;
  // A reply that comes after the regex box was unchecked changes nothing.
  if (!regexBox_ || !regexBox_->isChecked()) return;
  SetInvalid(invalid);
}

void RegexEditValidator::SetInvalid(bool invalid) {
  if (invalid == invalid_) return;
  invalid_ = invalid;
  if (box_) {
    if (invalid) {
      ownPalette_ = box_->palette();
      hadOwnPalette_ = box_->testAttribute(Qt::WA_SetPalette);
      QPalette painted = ownPalette_;
      for (auto group : {QPalette::Active, QPalette::Inactive}) {
        painted.setColor(group, QPalette::Base, kInvalidBackground);
        painted.setColor(group, QPalette::Text, kInvalidText);
      }
      box_->setPalette(painted);
    } else {
      // An empty palette gives the box back the one it inherits.
      box_->setPalette(hadOwnPalette_ ? ownPalette_ : QPalette());
    }
  }
  emit validityChanged(invalid);
}

}  // namespace tarnix::gui
