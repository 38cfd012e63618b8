#pragma once
// The live check of a search box's regular expressions: while the box's
// "regular expressions" check box is on, a pause of 100 ms after the text
// changed hands the text to a background RegexChecker, and the box is
// painted RGB(255, 213, 213) while some "||" component does not compile.
// Unchecking the regex box drops the colour at once.
//
// A validator belongs to its box (it goes when the box goes); one box has
// at most one.
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

class QAbstractButton;
class QLineEdit;
class QWidget;

namespace tarnix {
class RegexChecker;
}

namespace tarnix::gui {

class DesktopMessageTarget;

class RegexEditValidator : public QObject {
  Q_OBJECT
 public:
  // The background of a box whose text does not compile.
  static const QColor kInvalidBackground;
  // The text colour on it, readable in a light and a dark palette alike.
  static const QColor kInvalidText;

  // Watches `box` (a QLineEdit, or an editable QComboBox) with its regex
  // and case check boxes; `grammar` gives the "reGrammar" value at each
  // check (ECMAScript when it is empty). Null with the last error set when
  // a control is missing (ERROR_FILE_NOT_FOUND) or the box is watched
  // already (ERROR_ALREADY_ASSIGNED).
  static RegexEditValidator* Attach(QWidget* box, QAbstractButton* regexBox,
                                    QAbstractButton* caseBox, std::function<uint32_t()> grammar);
  // Stops the check (waiting up to 3 s for a compile in progress), gives
  // the box back its own look and deletes the validator later.
  void Detach();

  ~RegexEditValidator() override;

  bool invalid() const { return invalid_; }

 signals:
  void validityChanged(bool invalid);

 private:
  RegexEditValidator(QWidget* box, QLineEdit* edit, QAbstractButton* regexBox,
                     QAbstractButton* caseBox, std::function<uint32_t()> grammar);
  void OnTextChanged();
  void OnRegexToggled(bool checked);
  void OnTimer();
  void OnReply(uint64_t boxId, bool invalid);
  void SetInvalid(bool invalid);
  void Stop();

  QPointer<QWidget> box_;
  QPointer<QLineEdit> edit_;
  QPointer<QAbstractButton> regexBox_, caseBox_;
  std::function<uint32_t()> grammar_;
  QTimer timer_;
  uint64_t boxId_;
  bool invalid_ = false;
  bool detached_ = false;
  // The box's palette before it was painted, and whether it had its own.
  QPalette ownPalette_;
  bool hadOwnPalette_ = false;
  std::unique_ptr<DesktopMessageTarget> replies_;
  std::unique_ptr<RegexChecker> checker_;
};

}  // namespace tarnix::gui
