#pragma once
// Window tests: Qt Test classes run on the offscreen platform, one ctest
// entry per class. A test file defines a QObject class with private slots
// and registers it with TARNIX_GUI_TEST(ClassName); the test program runs
// the class named on its command line in a fresh temporary home, with every
// dialog answered by the FakeDialogs that the test installs or the default
// one (which fails the test for any dialog nobody expected).
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarnix::gui::test {

using TestFactory = std::function<std::unique_ptr<QObject>()>;
// Called at static initialisation by TARNIX_GUI_TEST.
bool RegisterGuiTest(const char* name, TestFactory factory);

// Pumps the event loop until `done` holds or `timeoutMs` passed; answers done().
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// The child widget of `root` whose accessible name (or, failing that, the
// text of its label buddy) is `name`; null when there is none.
QWidget* FindByAccessibleName(QWidget* root, const QString& name);

template <class T>
T* FindChild(QWidget* root, const QString& accessibleName) {
  return qobject_cast<T*>(FindByAccessibleName(root, accessibleName));
}

// Every enabled, visible control of `root` that a screen reader could not
// name (no accessible name, no label buddy, no text of its own).
QStringList UnnamedControls(QWidget* root);

}  // namespace tarnix::gui::test

#define TARNIX_GUI_TEST(Class)                                                        \
  static const bool Class##_registered = ::tarnix::gui::test::RegisterGuiTest(       \
      #Class, [] { return std::unique_ptr<QObject>(new Class); });
