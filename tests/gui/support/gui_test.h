#pragma once
// Window tests: Qt Test classes run on the offscreen platform, one ctest
// entry per class (ctest asks `test_gui --list` for them). A test file
// defines a QObject class with private slots and registers it with
// TARNIX_GUI_TEST(ClassName); the test program runs the class named on its
// command line in a fresh temporary home, with every dialog answered by the
// FakeDialogs that the test installs or the default one, which fails the
// test for any dialog nobody expected. A coding fault the program reports
// (an unknown command id) fails the test too.
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
struct RegisteredTest {
  TestFactory factory;
  bool hidden = false;
};
// Called at static initialisation by TARNIX_GUI_TEST.
// `hidden` classes are left out of the list: they are run by other tests.
bool RegisterGuiTest(const char* name, TestFactory factory, bool hidden = false);

// Pumps the event loop until `done` holds or `timeoutMs` passed; answers done().
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Lets every zero-time timer and posted event that is waiting now run
// first (those run in the order they were made): what a window put off to
// "the next turn of the event loop" has happened once this answers true.
bool EventLoopTurned(int timeoutMs = 5000);

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

// Every Alt+letter that two items of `window` share: the menus of its menu
// bar, and its visible controls' mnemonics (buttons, check boxes, labels
// with a buddy, group boxes, tabs) and Alt+letter shortcuts. Empty when
// each letter reaches one item. Every window test calls it on its window:
//   QVERIFY2(MnemonicCollisions(w).isEmpty(), qPrintable(MnemonicCollisions(w).join('\n')));
QStringList MnemonicCollisions(QWidget* window);

}  // namespace tarnix::gui::test

#define TARNIX_GUI_TEST(Class)                                                        \
  static const bool Class##_registered = ::tarnix::gui::test::RegisterGuiTest(       \
      #Class, [] { return std::unique_ptr<QObject>(new Class); });
// A class that only another test runs (a test of the test machinery).
#define TARNIX_GUI_HIDDEN_TEST(Class)                                                 \
  static const bool Class##_registered = ::tarnix::gui::test::RegisterGuiTest(       \
      #Class, [] { return std::unique_ptr<QObject>(new Class); }, true);
