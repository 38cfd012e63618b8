// The Alt+letter keys of a window: its menu bar's menus, and every visible
// control that carries a mnemonic (buttons, check boxes, labels with a
// buddy, group boxes, tabs) or an Alt+letter shortcut of its own.
#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>

#include "gui/widgets/link_label.h"
#include "support/gui_test.h"

namespace tarnix::gui::test {
namespace {

// The letter after a single "&" (an "&&" is a plain ampersand), upper-cased;
// a null character when the text has none.
QChar MnemonicOf(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) continue;
    if (text[i + 1] == QLatin1Char('&')) {
      ++i;
      continue;
    }
    return text[i + 1].toUpper();
  }
  return {};
}

// The letter of an Alt+letter shortcut (no other modifier), or null.
QChar AltLetterOf(const QKeySequence& keys) {
  if (keys.count() != 1) return {};
  const QKeyCombination k = keys[0];
  if (k.keyboardModifiers() != Qt::AltModifier) return {};
  const int key = k.key();
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return QChar(key);
  return {};
}

QString Describe(const QWidget* w, const QString& text) {
  return QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(w->metaObject()->className()), text);
}

bool Shown(const QWidget* w, const QWidget* window) {
  return w->isVisibleTo(window) && w->window() == window;
}

}  // namespace

QStringList MnemonicCollisions(QWidget* window) {
  QMap<QChar, QStringList> owners;
  auto add = [&](QChar letter, const QString& who) {
    if (!letter.isNull()) owners[letter].push_back(who);
  };

  if (auto* main = qobject_cast<QMainWindow*>(window); main && main->menuWidget()) {
    if (auto* bar = qobject_cast<QMenuBar*>(main->menuWidget()))
      for (QAction* a : bar->actions())
        if (a->isVisible() && !a->isSeparator())
          add(MnemonicOf(a->text()), QStringLiteral("menu \"%1\"").arg(a->text()));
  }
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (!Shown(w, window) || qobject_cast<QMenuBar*>(w->parentWidget())) continue;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
      // A button's shortcut is its mnemonic's, unless it was given apart.
      const QChar letter = MnemonicOf(b->text());
      add(letter, Describe(w, b->text()));
      if (letter.isNull()) add(AltLetterOf(b->shortcut()), Describe(w, b->shortcut().toString()));
    } else if (auto* link = qobject_cast<LinkLabel*>(w)) {
      QString text = link->linkText();
      text.remove(QStringLiteral("&amp;"));
      add(MnemonicOf(text), Describe(w, link->linkText()));
    } else if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy()) {
      add(MnemonicOf(l->text()), Describe(w, l->text()));
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
      add(MnemonicOf(g->title()), Describe(w, g->title()));
    } else if (auto* t = qobject_cast<QTabBar*>(w)) {
      for (int i = 0; i < t->count(); ++i)
        if (t->isTabVisible(i)) add(MnemonicOf(t->tabText(i)), Describe(w, t->tabText(i)));
    }
  }
  // Shortcuts of the window's own actions (not those inside its menus,
  // whose letters apply only while the menu is open).
  QList<QAction*> actions = window->actions();
  for (QWidget* w : window->findChildren<QWidget*>())
    if (Shown(w, window) && !qobject_cast<QMenu*>(w)) actions += w->actions();
  for (QAction* a : actions)
    if (a->isEnabled() && (a->shortcutContext() != Qt::WidgetShortcut))
      for (const QKeySequence& keys : a->shortcuts())
        add(AltLetterOf(keys), QStringLiteral("action \"%1\" (%2)").arg(a->text(), keys.toString()));

  QStringList collisions;
  for (auto it = owners.cbegin(); it != owners.cend(); ++it) {
    QStringList who = it.value();
    who.removeDuplicates();
    if (who.size() > 1) collisions << QStringLiteral("Alt+%1: %2").arg(it.key(), who.join(QStringLiteral(", ")));
  }
  return collisions;
}

}  // namespace tarnix::gui::test
