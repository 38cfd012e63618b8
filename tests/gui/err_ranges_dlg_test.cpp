// The range editor driven as a user drives it: the first edit of a
// built-in set, the HRESULT bit boxes, module checks on OK and the module
// picker, and the 1024-range limit on OK and on paste.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "errmsg/range_set.h"
#include "gui/app/command_set.h"
#include "gui/app/text_convert.h"
#include "gui/errmsg/err_ranges_dlg.h"
#include "pe/resource_fixture.h"
#include "platform/registry.h"
#include "support/fake_dialogs.h"
#include "support/gui_test.h"
#include "support/temp_dir.h"

namespace tarnix::gui::test {
namespace {

namespace fs = std::filesystem;

struct WindowsTree {
  tarnix::test::TempDir drive{"drive"};
  fs::path system;
  WindowsTree() {
    system = drive.path() / "Windows" / "System32";
    fs::create_directories(system);
    std::ofstream(system / "KernelBase.dll", std::ios::binary) << tarnix::test::BuildImage(
        {tarnix::test::MessageTableResource(0x409, {{1, 1, {tarnix::test::MessageEntry(u"Incorrect function.\r\n")}}})},
        true).bytes;
    setenv("TARNIX_WINDOWS_ROOT", (drive.path() / "Windows").c_str(), 1);
  }
};

WindowsTree& Tree() {
  static WindowsTree tree;
  return tree;
}

void Retype(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

std::vector<ErrorRange> Win32Set() { return BuildBuiltInRangeSets().at(kWin32RangeSetId).ranges; }

}  // namespace

class ErrRangesTest : public QObject {
  Q_OBJECT
 private slots:
  void init() {
    tarnix::Registry::DeleteTree(L"Software\\TarnixProject\\Tarnix");
    Tree();
  }

  void firstEditMakesAnUnsavedPreset() {
    FakeDialogs dialogs;
    CErrRangesDlg d(nullptr, Win32Set());
    QCOMPARE(d.presetBox()->currentText(), QStringLiteral("Win32 Error Codes"));
    QCOMPARE(d.list()->topLevelItemCount(), 3);
    QCOMPARE(d.list()->topLevelItem(2)->text(3), QStringLiteral("wininet.dll"));
    QTest::keyClicks(d.fromEdit(), QStringLiteral("0"));  // "00"
    QCOMPARE(d.presetBox()->currentText(), QStringLiteral("* <Unsaved Preset 1>"));
    d.nameBox()->setEditText(QStringLiteral("  Mine "));
    QCOMPARE(d.ranges()[0].rangeName, std::wstring(L"Mine"));
    QCOMPARE(d.list()->topLevelItem(0)->text(4), QStringLiteral("Mine"));
    // The built-in set is unchanged, and one unsaved preset is all there is.
    QCOMPARE(d.presets().presets()[0].items, Win32Set());
    QCOMPARE(d.presets().size(), size_t(9));
  }

  void hresultBitsMakeTheFacilityRange() {
    FakeDialogs dialogs;
    CErrRangesDlg d(nullptr, {{0, 0, kRangeCodeHresult, L"", L""}});
    d.highBitBox(0)->click();       // S
    d.facilityBitBox(16)->click();
    d.facilityBitBox(17)->click();
    QCOMPARE(d.fromEdit()->text(), QStringLiteral("0x80030000"));
    QCOMPARE(d.toEdit()->text(), QStringLiteral("0x8003FFFF"));
    QCOMPARE(d.facilityBox()->currentText(), QStringLiteral("OLE Storage (0x3)"));
    QCOMPARE(d.nameBox()->currentText(), QStringLiteral("OLE Storage Errors"));
    QCOMPARE(d.ranges()[0].codeFrom, 0x80030000u);
    QCOMPARE(d.ranges()[0].codeTo, 0x8003FFFFu);
    // Up steps Code To like the spin button.
    QTest::keyClick(d.toEdit(), Qt::Key_Up);
    QCOMPARE(d.ranges()[0].codeTo, 0x80040000u);
    // A facility chosen sets its bits.
    d.facilityBox()->setCurrentIndex(d.facilityBox()->findData(7));
    emit d.facilityBox()->activated(d.facilityBox()->currentIndex());
    QCOMPARE(d.ranges()[0].codeFrom, 0x80070000u);
    QVERIFY(d.facilityBitBox(16)->isChecked() && d.facilityBitBox(17)->isChecked() && d.facilityBitBox(18)->isChecked());
  }

  void listShowsTheEndsAsTheRangeTextDoes() {
    FakeDialogs dialogs;
    CErrRangesDlg d(nullptr, {{0xC0000000, 0xFFFFFFFF, kRangeCodeHresult, L"", L""}, {0, 11999, 0, L"", L""}});
    QCOMPARE(d.list()->topLevelItem(0)->text(0), QStringLiteral("0xC0000000"));
    QCOMPARE(d.list()->topLevelItem(0)->text(1), QStringLiteral("0xFFFFFFFF"));
    QCOMPARE(d.list()->topLevelItem(1)->text(1), QStringLiteral("11999"));
    // An edit redraws the row the same way.
    Retype(d.toEdit(), QStringLiteral("-1"));
    Retype(d.fromEdit(), QStringLiteral("-5"));
    QCOMPARE(d.list()->topLevelItem(0)->text(0), QStringLiteral("-5"));
    QCOMPARE(d.list()->topLevelItem(0)->text(1), QStringLiteral("-1"));
    Retype(d.fromEdit(), QStringLiteral("0x80000000"));
    QCOMPARE(d.list()->topLevelItem(0)->text(1), QStringLiteral("0xFFFFFFFF"));
  }

  void bitBoxesShowWhereSelectedRangesDiffer() {
    FakeDialogs dialogs;
    CErrRangesDlg d(nullptr, {{0x80030000, 0x8003FFFF, kRangeCodeHresult, L"", L""},
                              {0x80070000, 0x8007FFFF, kRangeCodeHresult, L"", L""}});
    d.list()->selectAll();
    QCOMPARE(d.highBitBox(0)->checkState(), Qt::Checked);         // S in both
    QCOMPARE(d.highBitBox(1)->checkState(), Qt::Unchecked);       // R in neither
    QCOMPARE(d.facilityBitBox(16)->checkState(), Qt::Checked);    // 3 and 7
    QCOMPARE(d.facilityBitBox(18)->checkState(), Qt::PartiallyChecked);
    // A box changed while another is undecided recomputes nothing.
    d.highBitBox(1)->click();
    QCOMPARE(d.ranges()[0].codeFrom, 0x80030000u);
    // Deciding the last one recomputes the range under edit.
    d.facilityBitBox(18)->click();
    QCOMPARE(d.facilityBitBox(18)->checkState(), Qt::Checked);
    QVERIFY(!d.facilityBitBox(18)->isTristate());
    const size_t edited = size_t(d.list()->indexOfTopLevelItem(d.list()->currentItem()));
    QCOMPARE(d.ranges()[edited].codeFrom, 0xC0070000u);
    // One row selected: no box is partial.
    d.list()->clearSelection();
    d.list()->topLevelItem(1)->setSelected(true);
    QVERIFY(!d.facilityBitBox(18)->isTristate());
  }

  void systemModulesAreBareNames() {
    FakeDialogs dialogs;
    const std::wstring full = (Tree().system / "KernelBase.dll").wstring();
    CErrRangesDlg d(nullptr, {{1, 2, kRangeCodeWin32 | kRangeModuleSystem, full, L""}});
    dialogs.AnswerMessageBox(IDOK);
    d.accept();
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QVERIFY2(dialogs.boxes.back().text.contains(
                 QStringLiteral("Module must be specified by an existing system file name only.")),
             qPrintable(dialogs.boxes.back().text));

    // The picker makes a file of the system folder a bare name.
    dialogs.AnswerFiles({ToQ(full)});
    auto* pick = FindChild<QPushButton>(&d, QStringLiteral("Pick Module"));
    QVERIFY(pick);
    pick->click();
    QCOMPARE(d.ranges()[0].libraryName, std::wstring(L"KernelBase.dll"));
    QCOMPARE(d.ranges()[0].flags & kRangeModuleKindMask, kRangeModuleSystem);
    QCOMPARE(dialogs.fileDialogs.back().request.caption,
             QStringLiteral("Pick system module to look up error messages in:"));
    d.accept();
    QCOMPARE(d.result(), int(QDialog::Accepted));
  }

  void saveAsProposesTheCurrentName() {
    FakeDialogs dialogs;
    CErrRangesDlg d(nullptr, Win32Set());
    QString proposed;
    QString answer;
    dialogs.onExec = [&](QDialog& box) {
      auto* edit = FindChild<QLineEdit>(&box, QStringLiteral("Provide preset name:"));
      if (!edit) return int(QDialog::Rejected);
      proposed = edit->text();
      if (answer.isEmpty()) return int(QDialog::Rejected);
      edit->setText(answer);
      box.accept();
      return box.result();
    };
    QVERIFY(d.commands().Trigger(10));  // save as preset
    QCOMPARE(proposed, QStringLiteral("Win32 Error Codes (Copy)"));
    QVERIFY(d.commands().Trigger(11));  // new preset
    QCOMPARE(d.presetBox()->currentText(), QStringLiteral("* <Unsaved Preset 1>"));
    QVERIFY(d.commands().Trigger(10));
    QCOMPARE(proposed, QStringLiteral("<Unsaved Preset 1>"));
    answer = QStringLiteral("Mine");
    QVERIFY(d.commands().Trigger(10));
    QCOMPARE(d.presetBox()->currentText(), QStringLiteral("Mine"));
    QVERIFY(d.commands().Trigger(10));
    QCOMPARE(proposed, QStringLiteral("Mine"));
  }

  void moreThan1024RangesAreRefused() {
    FakeDialogs dialogs;
    std::vector<ErrorRange> full(1024, ErrorRange{1, 2, 0, L"", L""});
    CErrRangesDlg d(nullptr, full);
    QApplication::clipboard()->setText(QStringLiteral("7|8|0||x\r\n"));
    d.list()->topLevelItem(0)->setSelected(true);
    dialogs.AnswerMessageBox(IDOK);
    QVERIFY(d.commands().Trigger(2));  // paste
    QCOMPARE(d.ranges().size(), size_t(1024));
    QCOMPARE(dialogs.boxes.back().text, QStringLiteral("Specified 1025 error ranges. Maximum allowed number is 1024."));

    full.push_back(full.back());
    CErrRangesDlg over(nullptr, full);
    dialogs.AnswerMessageBox(IDOK);
    over.accept();
    QCOMPARE(over.result(), int(QDialog::Rejected));
    QCOMPARE(dialogs.boxes.back().text, QStringLiteral("Specified 1025 error ranges. Maximum allowed number is 1024."));
  }
};

TARNIX_GUI_TEST(ErrRangesTest)

}  // namespace tarnix::gui::test

#include "err_ranges_dlg_test.moc"
