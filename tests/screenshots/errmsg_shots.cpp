// The Error Message Search window idle and with the hits of "access", and
// the range editor with an HRESULT range under edit.
#include <QLineEdit>
#include <QTreeWidget>

#include "errmsg/range_set.h"
#include "gui/errmsg/err_msg_search_dlg.h"
#include "gui/errmsg/err_ranges_dlg.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/pattern_box.h"
#include "shots.h"

namespace tarnix::gui::shots {

TARNIX_SCREENSHOTS(ErrMsgSearch) {
  CErrMsgSearchDlg w;
  Shoot(w, QStringLiteral("errmsg-idle") + ctx.suffix);
  w.pattern()->SetText(L"access");
  w.StartSearch();
  WaitFor([&] { return !w.searchRunning(); });
  Shoot(w, QStringLiteral("errmsg-results") + ctx.suffix);
  w.close();
}

TARNIX_SCREENSHOTS(ErrRanges) {
  CErrRangesDlg d(nullptr, BuildBuiltInRangeSets().at(7).ranges);
  // The first HRESULT range under edit.
  for (int i = 0; i < d.list()->topLevelItemCount(); ++i)
    if (d.ranges()[size_t(i)].flags & kRangeCodeHresult) {
      d.list()->setCurrentItem(d.list()->topLevelItem(i));
      break;
    }
  Shoot(d, QStringLiteral("errranges-hresult") + ctx.suffix);
}

}  // namespace tarnix::gui::shots
