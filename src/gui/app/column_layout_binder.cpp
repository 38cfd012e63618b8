#include "gui/app/column_layout_binder.h"

#include <QEvent>
#include <QHeaderView>
#include <QWidget>

#include "gui/app/desktop_actions.h"

namespace tarnix::gui {

ColumnLayoutBinder::ColumnLayoutBinder(QWidget* window, ColumnsSetting which, Layout layout)
    : QObject(window), window_(window), which_(which), layout_(std::move(layout)) {
  if (window_) window_->installEventFilter(this);
}

void ColumnLayoutBinder::Restore() {
  std::vector<uint8_t> stored;
  if (ReadColumns(which_, stored) && layout_.apply(stored)) return;
  layout_.applyDefaults();
}

void ColumnLayoutBinder::RestoreDefaults() { layout_.applyDefaults(); }

bool ColumnLayoutBinder::Save() {
  // After "Delete App's Temp Files && Registry Settings..." nothing is
  // written back.
  if (AppSettingsDeleted()) return false;
  const std::vector<uint8_t> bytes = layout_.current();
  if (bytes.empty()) return false;
  return WriteColumns(which_, bytes);  // a failure is logged there
}

bool ColumnLayoutBinder::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_ && event->type() == QEvent::Close) Save();
  return QObject::eventFilter(watched, event);
}

ColumnLayoutBinder::Layout HeaderSectionsLayout(
    QHeaderView* header, SectionsCodec encode, SectionsDecoder decode,
    std::function<void(std::vector<int32_t>& order, std::vector<int32_t>& widths)> defaults) {
  auto show = [header](const std::vector<int32_t>& order, const std::vector<int32_t>& widths) {
    for (int visual = 0; visual < static_cast<int>(order.size()); ++visual)
      header->moveSection(header->visualIndex(order[static_cast<size_t>(visual)]), visual);
    for (size_t i = 0; i < order.size() && i < widths.size(); ++i) header->resizeSection(order[i], widths[i]);
  };
  ColumnLayoutBinder::Layout layout;
  layout.apply = [show, decode](const std::vector<uint8_t>& stored) {
    std::vector<int32_t> order, widths;
    if (!decode(stored, order, widths)) return false;
    show(order, widths);
    return true;
  };
  layout.applyDefaults = [show, defaults] {
    std::vector<int32_t> order, widths;
    defaults(order, widths);
    show(order, widths);
  };
  layout.current = [header, encode] {
    std::vector<int32_t> order, widths;
    for (int visual = 0; visual < header->count(); ++visual) {
      const int logical = header->logicalIndex(visual);
      order.push_back(logical);
      widths.push_back(header->sectionSize(logical));
    }
    return encode(order, widths);
  };
  return layout;
}

}  // namespace tarnix::gui
