#pragma once
// A list's column layout bound to its stored value: shown from the store
// (the list's defaults when nothing usable is stored), back to the
// defaults on "Restore ... Default Columns", and saved when the window
// closes, unless the settings were deleted in this run. The list says how
// its layout is shown and stored (a Layout); HeaderSectionsLayout serves a
// list whose layout is the order and widths of its header's sections.
//
//   columns_ = new ColumnLayoutBinder(this, ColumnsSetting::kErrCodeResults,
//       HeaderSectionsLayout(view_->horizontalHeader(), EncodeCodeResultColumns, DecodeCodeResultColumns, defaults));
//   columns_->Restore();
#include <QObject>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/window_settings.h"

class QHeaderView;

namespace tarnix::gui {

class ColumnLayoutBinder final : public QObject {
  Q_OBJECT
 public:
  struct Layout {
    // Shows a stored layout; false when it cannot be used.
    std::function<bool(const std::vector<uint8_t>& stored)> apply;
    std::function<void()> applyDefaults;
    // The layout as shown, in its stored form; empty: nothing to store.
    std::function<std::vector<uint8_t>()> current;
  };

  // Saves when `window` closes (null: the list saves with Save()).
  ColumnLayoutBinder(QWidget* window, ColumnsSetting which, Layout layout);

  void Restore();
  void RestoreDefaults();
  bool Save();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  ColumnsSetting which_;
  Layout layout_;
};

// The order and widths of `header`'s sections, stored as `encode` writes
// and `decode` reads them (pairs of logical index and width, in shown
// order); `defaults` gives the default order and widths.
using SectionsCodec = std::vector<uint8_t> (*)(const std::vector<int32_t>& order, const std::vector<int32_t>& widths);
using SectionsDecoder = bool (*)(const std::vector<uint8_t>& stored, std::vector<int32_t>& order,
                                 std::vector<int32_t>& widths);
ColumnLayoutBinder::Layout HeaderSectionsLayout(
    QHeaderView* header, SectionsCodec encode, SectionsDecoder decode,
    std::function<void(std::vector<int32_t>& order, std::vector<int32_t>& widths)> defaults);

}  // namespace tarnix::gui
