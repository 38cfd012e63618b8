#include "gui/app/status_output.h"

#include <QObject>
#include <QPointer>

#include "core/setting_changes.h"
#include "gui/app/desktop_actions.h"
#include "gui/widgets/output_text_box.h"

namespace tarnix::gui {
namespace {

SettingId SizeSetting(OutputSize size) {
  switch (size) {
    case OutputSize::kStatusOutput: return SettingId::kStatusOutputSize;
    case OutputSize::kErrMsgResults: return SettingId::kErrMsgResultsSize;
    case OutputSize::kErrCodeOutput: return SettingId::kErrCodeOutputSize;
  }
  return SettingId::kStatusOutputSize;
}

// Keeps the box's capacity with the setting for as long as the box lives.
class CapacityWatch final : public QObject {
 public:
  CapacityWatch(COutputTextBox* box, OutputSize size)
      : QObject(box), watch_([box, size](SettingId id) {
          if (id == SizeSetting(size)) box->SetCapacity(ReadOutputSize(AppSettings(), size));
        }) {
    box->SetCapacity(ReadOutputSize(AppSettings(), size));
  }

 private:
  SettingWatch watch_;
};

}  // namespace

void BindStatusOutput(Run& run, COutputTextBox* box, OutputSize size) {
  new CapacityWatch(box, size);
  QPointer<COutputTextBox> shown(box);
  run.OnStatus([shown](std::vector<std::wstring>& lines) {
    if (shown) shown->AppendLines(lines);
  });
}

}  // namespace tarnix::gui
