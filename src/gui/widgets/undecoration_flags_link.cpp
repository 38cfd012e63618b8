#include "gui/widgets/undecoration_flags_link.h"

#include "gui/app/text_convert.h"
#include "gui/dialogs/multi_sel_dlg.h"
#include "tools/filter_link_text.h"

namespace tarnix::gui {

UndecorationFlagsLink::UndecorationFlagsLink(QWidget* parent) : LinkLabel(parent) {
  setWordWrap(true);
  SetFlags(0);
  connect(this, &LinkLabel::linkClicked, this, [this] { Edit(); });
}

void UndecorationFlagsLink::SetFlags(uint32_t flags) {
  flags_ = flags;
  SetLinkText(ToQ(UndecorationFlagsLinkText(flags)));
}

bool UndecorationFlagsLink::Edit() {
  uint64_t mask = flags_;
  if (!CMultiSelDlg::Run(this, CMultiSelDlg::kUndecorationFlags, mask, nullptr)) return false;
  const uint32_t chosen = static_cast<uint32_t>(mask);
  if (chosen == flags_) return false;
  SetFlags(chosen);
  emit flagsChanged(chosen);
  return true;
}

}  // namespace tarnix::gui
