#include "gui/widgets/link_label.h"

#include <QKeyEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QStyle>
#include <QStyleOptionFocusRect>

#include "gui/app/text_convert.h"
#include "tools/syslink_text.h"

namespace tarnix::gui {

LinkLabel::LinkLabel(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::RichText);
  setTextInteractionFlags(Qt::LinksAccessibleByMouse);
  setFocusPolicy(Qt::StrongFocus);
  connect(this, &QLabel::linkActivated, this, [this](const QString& href) {
    bool ok = false;
    const int index = href.toInt(&ok);
    if (ok) emit linkClicked(index);
  });
}

LinkLabel::LinkLabel(const QString& sysLinkText, QWidget* parent) : LinkLabel(parent) {
  SetLinkText(sysLinkText);
}

void LinkLabel::SetLinkText(const QString& sysLinkText) {
  sysLinkText_ = sysLinkText;
  const SysLinkText parsed = ParseSysLinkText(FromQ(sysLinkText));
  linkCount_ = parsed.linkCount;
  QString html;
  for (size_t i = 0; i < parsed.parts.size(); ++i) {
    const SysLinkPart& part = parsed.parts[i];
    QString shown;
    if (static_cast<int>(i) == parsed.mnemonicPart && parsed.mnemonicOffset < part.text.size()) {
      const size_t at = parsed.mnemonicOffset;
      shown = ToQ(part.text.substr(0, at)).toHtmlEscaped() + QStringLiteral("<u>") +
              ToQ(part.text.substr(at, 1)).toHtmlEscaped() + QStringLiteral("</u>") +
              ToQ(part.text.substr(at + 1)).toHtmlEscaped();
    } else {
      shown = ToQ(part.text).toHtmlEscaped();
    }
    if (part.link >= 0)
      html += QStringLiteral("<a href=\"%1\">%2</a>").arg(part.link).arg(shown);
    else
      html += shown;
  }
  // Runs of blanks stay as they were typed.
  setText(QStringLiteral("<span style=\"white-space:pre\">") + html + QStringLiteral("</span>"));
  setAccessibleName(ToQ(parsed.plain));

  if (shortcutId_) releaseShortcut(shortcutId_);
  shortcutId_ = 0;
  if (parsed.mnemonic && linkCount_ > 0)
    shortcutId_ = grabShortcut(
        QKeySequence::mnemonic(QStringLiteral("&") + ToQ(std::wstring(1, parsed.mnemonic))));
}

void LinkLabel::Activate() {
  if (linkCount_ > 0) emit linkClicked(0);
}

bool LinkLabel::event(QEvent* e) {
  if (e->type() == QEvent::Shortcut &&
      static_cast<QShortcutEvent*>(e)->shortcutId() == shortcutId_ && shortcutId_) {
    setFocus(Qt::ShortcutFocusReason);
    Activate();
    return true;
  }
  return QLabel::event(e);
}

void LinkLabel::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      if (linkCount_ > 0 && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        Activate();
        e->accept();
        return;
      }
      break;
    default:
      break;
  }
  QLabel::keyPressEvent(e);
}

void LinkLabel::paintEvent(QPaintEvent* e) {
  QLabel::paintEvent(e);
  if (!hasFocus()) return;
  // A label draws no focus of its own; keyboard users need to see it.
  QPainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.rect = contentsRect();
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

}  // namespace tarnix::gui
