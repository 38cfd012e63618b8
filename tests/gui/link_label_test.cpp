// Link labels: clicks report the link's index, the keyboard reaches and
// activates them, and the text outside the links is shown as it stands.
#include <QDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <set>

#include "gui/widgets/link_label.h"
#include "support/gui_test.h"

namespace tarnix::gui::test {

class LinkLabelTest : public QObject {
  Q_OBJECT
 private slots:
  // Clicking across the label finds each link in turn and nothing on the
  // text between them.
  void clicksReportTheLinkClicked() {
    QDialog dialog;
    auto* label = new LinkLabel(QStringLiteral("<a>Exports</a> | <a>Imports</a>"), &dialog);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(label->accessibleName(), QStringLiteral("Exports | Imports"));
    QCOMPARE(label->linkCount(), 2);
    QSignalSpy clicks(label, &LinkLabel::linkClicked);
    std::vector<int> seen;  // link index per click position, -1 for none
    const int y = label->height() / 2;
    for (int x = 1; x < label->sizeHint().width(); x += 3) {
      const int before = clicks.count();
      QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
      seen.push_back(clicks.count() > before ? clicks.last().at(0).toInt() : -1);
    }
    // In order: the first link, text, the second link.
    std::vector<int> runs;
    for (int v : seen)
      if (runs.empty() || runs.back() != v) runs.push_back(v);
    while (!runs.empty() && runs.back() == -1) runs.pop_back();
    while (!runs.empty() && runs.front() == -1) runs.erase(runs.begin());
    QCOMPARE(runs, (std::vector<int>{0, -1, 1}));
  }

  void theKeyboardReachesAndActivatesTheFirstLink() {
    QDialog dialog;
    auto* edit = new QLineEdit(&dialog);
    edit->setAccessibleName(QStringLiteral("Folder"));
    auto* label = new LinkLabel(QStringLiteral("<a>&WinAPIs:</a> <a>Ex</a>"), &dialog);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(edit);
    layout->addWidget(label);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    edit->setFocus();
    QSignalSpy clicks(label, &LinkLabel::linkClicked);
    QTest::keyClick(edit, Qt::Key_Tab);
    QVERIFY(label->hasFocus());
    QTest::keyClick(label, Qt::Key_Return);
    QTest::keyClick(label, Qt::Key_Space);
    QCOMPARE(clicks.count(), 2);
    QCOMPARE(clicks.at(1).at(0).toInt(), 0);
    QVERIFY(dialog.isVisible());  // Enter went to the link, not the dialog

    // Alt with the mnemonic, from anywhere in the window.
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_W, Qt::AltModifier);
    QCOMPARE(clicks.count(), 3);
    QVERIFY(label->hasFocus());
    QVERIFY(label->text().contains(QStringLiteral("<u>W</u>")));
    QCOMPARE(label->accessibleName(), QStringLiteral("WinAPIs: Ex"));
  }

  void theOtherTextIsShownAsItStands() {
    LinkLabel label;
    label.SetLinkText(QStringLiteral("<a>Rsrc</a>:{<a>Bmp</a>=1} a<b"));
    QCOMPARE(label.linkCount(), 2);
    QVERIFY(label.text().contains(QStringLiteral("=1} a&lt;b")));
    QCOMPARE(label.accessibleName(), QStringLiteral("Rsrc:{Bmp=1} a<b"));
  }
};
TARNIX_GUI_TEST(LinkLabelTest)

}  // namespace tarnix::gui::test

#include "link_label_test.moc"
