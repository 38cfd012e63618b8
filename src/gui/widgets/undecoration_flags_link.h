#pragma once
// The undecoration flags as a row of links, one per flag; clicking one
// opens the flag selection of the filter dialog, and a changed choice is
// shown and reported. The flags belong to whoever holds the link (the
// settings page, the undecorator window); nothing is stored here.
#include <cstdint>

#include "gui/widgets/link_label.h"

namespace tarnix::gui {

class UndecorationFlagsLink : public LinkLabel {
  Q_OBJECT
 public:
  explicit UndecorationFlagsLink(QWidget* parent = nullptr);

  uint32_t flags() const { return flags_; }
  void SetFlags(uint32_t flags);
  // Opens the flag selection as a click does; true when the flags changed.
  bool Edit();

 signals:
  void flagsChanged(uint32_t flags);

 private:
  uint32_t flags_ = 0;
};

}  // namespace tarnix::gui
