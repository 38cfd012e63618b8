#include "support/gui_test.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>
#include <map>

namespace tarnix::gui::test {

std::map<std::string, RegisteredTest>& Registry() {
  static std::map<std::string, RegisteredTest> r;
  return r;
}

bool RegisterGuiTest(const char* name, TestFactory factory, bool hidden) {
  Registry()[name] = {std::move(factory), hidden};
  return true;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > timeoutMs) return done();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QTest::qSleep(1);
  }
  return true;
}

bool EventLoopTurned(int timeoutMs) {
  bool turned = false;
  QTimer::singleShot(0, [&turned] { turned = true; });
  return WaitUntil([&turned] { return turned; }, timeoutMs);
}

namespace {

QString LabelTextFor(QWidget* root, QWidget* w) {
  for (QLabel* l : root->findChildren<QLabel*>())
    if (l->buddy() == w) return l->text();
  return {};
}

QString Plain(QString s) {
  s.remove(QLatin1Char('&'));
  return s.trimmed();
}

}  // namespace

QWidget* FindByAccessibleName(QWidget* root, const QString& name) {
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (w->accessibleName() == name || Plain(w->accessibleName()) == Plain(name)) return w;
  }
  for (QWidget* w : root->findChildren<QWidget*>()) {
    QString label = LabelTextFor(root, w);
    if (!label.isEmpty() && Plain(label) == Plain(name)) return w;
  }
  return nullptr;
}

QStringList UnnamedControls(QWidget* root) {
  QStringList out;
  for (QWidget* w : root->findChildren<QWidget*>()) {
    if (!w->isVisibleTo(root) || !w->isEnabled()) continue;
    const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                         qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractItemView*>(w) ||
                         qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
                         qobject_cast<QTextEdit*>(w);
    if (!control) continue;
    // The edit of a combo box and the viewport parts of views are named by
    // their owner.
    if (qobject_cast<QLineEdit*>(w) && qobject_cast<QComboBox*>(w->parentWidget())) continue;
    if (qobject_cast<QAbstractSpinBox*>(w->parentWidget())) continue;
    if (!w->accessibleName().isEmpty()) continue;
    if (!LabelTextFor(root, w).isEmpty()) continue;
    if (auto* b = qobject_cast<QAbstractButton*>(w); b && !Plain(b->text()).isEmpty()) continue;
    out.push_back(QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(' ') +
                  w->objectName());
  }
  return out;
}

}  // namespace tarnix::gui::test
