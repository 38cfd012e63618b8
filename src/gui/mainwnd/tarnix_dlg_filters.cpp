// The main window's criteria dialogs: the filter selections, the time-stamp
// bounds, the binary file types and the help page.
#include <QCheckBox>

#include "core/event_log.h"
#include "core/registry_settings.h"
#include "gui/app/dialogs.h"
#include "gui/app/tarnix_app.h"
#include "gui/app/text_convert.h"
#include "gui/dialogs/binary_file_presets.h"
#include "gui/dialogs/date_time_dlg.h"
#include "gui/dialogs/more_info_dlg.h"
#include "gui/dialogs/multi_sel_dlg.h"
#include "gui/mainwnd/tarnix_dlg.h"
#include "gui/widgets/combo_box_auto.h"
#include "gui/widgets/output_text_box.h"
#include "platform/last_error.h"
#include "tools/binary_file_presets.h"

namespace tarnix::gui {

void CTarnixDlg::EditFilter(int use) {
  CTarnixApp* app = CTarnixApp::Instance();
  RegistrySettings store;
  switch (use) {
    case CMultiSelDlg::kLookIn: {
      uint64_t mask = lookIn_;
      if (!CMultiSelDlg::Run(this, use, mask, nullptr)) return;
      lookIn_ = static_cast<uint32_t>(mask);
      store.SetDword(L"SrchLookIn", lookIn_);
      if (app) app->settings().lookIn = lookIn_;
      break;
    }
    case CMultiSelDlg::kImageType: {
      uint64_t mask = peTypes_;
      if (!CMultiSelDlg::Run(this, use, mask, nullptr)) return;
      peTypes_ = static_cast<uint32_t>(mask);
      store.SetDword(L"SrchPEType", peTypes_);
      if (app) app->settings().peTypes = peTypes_;
      break;
    }
    case CMultiSelDlg::kSubsystems: {
      uint64_t mask = peSubsystems_;
      if (!CMultiSelDlg::Run(this, use, mask, nullptr)) return;
      peSubsystems_ = mask;
      store.SetQword(L"SrchPESubsys", mask);
      if (app) app->settings().peSubsystems = mask;
      break;
    }
    case CMultiSelDlg::kCharacteristics: {
      uint64_t mask = peCharsMask_, values = peCharsValues_;
      if (!CMultiSelDlg::Run(this, use, mask, &values)) return;
      peCharsMask_ = mask;
      peCharsValues_ = values;
      store.SetQword(L"SrchPECharsM", mask);
      store.SetQword(L"SrchPECharsV", values);
      if (app) {
        app->settings().peCharsMask = mask;
        app->settings().peCharsValues = values;
      }
      break;
    }
    case CMultiSelDlg::kDirectories: {
      uint64_t mask = peDirsMask_, values = peDirsValues_;
      if (!CMultiSelDlg::Run(this, use, mask, &values)) return;
      peDirsMask_ = mask;
      peDirsValues_ = values;
      store.SetQword(L"SrchPEDirsM", mask);
      store.SetQword(L"SrchPEDirsV", values);
      if (app) {
        app->settings().peDirsMask = mask;
        app->settings().peDirsValues = values;
      }
      break;
    }
    default:
      return;
  }
  RefreshFilterLinks();
}

void CTarnixDlg::EditTimeStamp(bool from) {
  uint64_t value = from ? peFrom_ : peTo_;
  const bool ok =
      from ? CDateTimeDlg::Run(this, QStringLiteral("'Time Stamp' Filter: FROM"),
                               QStringLiteral("Local date and time. For a match, the image timestamp has "
                                              "to be on or after this date."),
                               true, value)
           : CDateTimeDlg::Run(this, QStringLiteral("'Time Stamp' Filter: TO"),
                               QStringLiteral("Local date and time. For a match, the image timestamp has "
                                              "to be on or before this date."),
                               false, value);
  if (!ok) return;
  (from ? peFrom_ : peTo_) = value;
  if (!RegistrySettings().SetQword(from ? L"SrchPETsFrom" : L"SrchPETsTo", value)) {
    EventLog::LogSiteFormat(595, L"t=%d, ft=0x%llx", from ? 0 : 1, static_cast<unsigned long long>(value));
    AppDialogs().Beep(mb::kIconError);
  }
  if (CTarnixApp* app = CTarnixApp::Instance()) (from ? app->settings().peTimeFrom : app->settings().peTimeTo) = value;
  RefreshFilterLinks();
}

void CTarnixDlg::BinaryFilePresets() {
  BinaryPresetOutcome outcome;
  if (!CBinaryFilePresets::RunForFileName(this, ToQ(fileName_->Text()), outcome)) return;
  fileName_->SetText(outcome.pattern);
  if (outcome.regexOn) {
    fileRegex_->setChecked(true);
    SaveCheckBox(fileRegex_, L"FileNameRegex");
  }
}

void CTarnixDlg::OpenHelp(const QString& anchor) {
  CMoreInfoDlg* help = CMoreInfoDlg::Show(this, anchor);
  if (!help) return;
  connect(help, &CMoreInfoDlg::tryRegexRequested, this, [this] { actTryRegex_->trigger(); },
          Qt::UniqueConnection);
}

}  // namespace tarnix::gui
