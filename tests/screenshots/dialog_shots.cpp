// The main window's dialogs: every filter use, both date states, the
// binary file types, the help window, the busy popup and a confirmable box.
#include <QCheckBox>
#include <QMessageBox>

#include "gui/app/dialogs.h"
#include "gui/app/tarnix_app.h"
#include "gui/dialogs/binary_file_presets.h"
#include "gui/dialogs/date_time_dlg.h"
#include "gui/dialogs/more_info_dlg.h"
#include "gui/dialogs/multi_sel_dlg.h"
#include "gui/widgets/busy_progress_dlg.h"
#include "platform/time_utils.h"
#include "shots.h"

namespace tarnix::gui::shots {

TARNIX_SCREENSHOTS(Dialogs) {
  CTarnixApp tarnixApp({});
  const char* uses[] = {"lookin", "type", "subsystems", "characteristics", "directories", "undecoration"};
  const uint64_t masks[] = {0x3, 0x2, 0x8 | 0x4, 0x2000000 | 0x1 | 0x8000000000000ULL, 0x4000 | 0x800 | 0x2000000, 0x2};
  const uint64_t values[] = {0, 0, 0, 0x2000000, 0x4000 | 0x2000000, 0};
  for (int use = 0; use < 6; ++use) {
    CMultiSelDlg d(nullptr, use, masks[use], values[use]);
    Shoot(d, QStringLiteral("filter-%1").arg(QString::fromLatin1(uses[use])) + ctx.suffix);
    d.close();
  }
  {
    CDateTimeDlg any(nullptr, QStringLiteral("'Time Stamp' Filter: FROM"),
                     QStringLiteral("Local date and time. For a match, the image timestamp has to be on or after this date."),
                     true, 0);
    Shoot(any, QStringLiteral("timestamp-any") + ctx.suffix);
    any.close();
    CDateTimeDlg set(nullptr, QStringLiteral("'Time Stamp' Filter: TO"),
                     QStringLiteral("Local date and time. For a match, the image timestamp has to be on or before this date."),
                     false, UnixSecondsToFileTime(1700000000));
    Shoot(set, QStringLiteral("timestamp-set") + ctx.suffix);
    set.close();
  }
  {
    CBinaryFilePresets d(0x1F);
    Shoot(d, QStringLiteral("binary-file-presets") + ctx.suffix);
    d.close();
  }
  {
    CMoreInfoDlg help(nullptr, QStringLiteral("regex"));
    Shoot(help, QStringLiteral("help") + ctx.suffix, QSize(820, 640));
    help.close();
  }
  {
    CBusyProgressDlg busy(nullptr);
    busy.SetTexts(QStringLiteral("Please wait..."), QStringLiteral("Saving data in a file..."), QStringLiteral("Tarnix"),
                  QStringLiteral("&Cancel"));
    busy.SetBarValue(1700);
    Shoot(busy, QStringLiteral("busy-popup") + ctx.suffix);
    busy.close();
  }
  {
    // A confirmable box as the program shows it.
    QMessageBox box;
    box.setWindowTitle(QStringLiteral("Tarnix"));
    box.setIcon(QMessageBox::Information);
    box.setText(QStringLiteral("Search has finished.\n\n6 file(s) searched, 42 result(s) found.\n\n(Refer to the status "
                               "output for additional details.)"));
    box.addButton(QMessageBox::Ok);
    box.setCheckBox(new QCheckBox(QString::fromUtf8(kDontShowAgainText), &box));
    Shoot(box, QStringLiteral("confirmable-box") + ctx.suffix);
    box.close();
  }
}

}  // namespace tarnix::gui::shots
