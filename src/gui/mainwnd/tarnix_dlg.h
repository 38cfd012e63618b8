#pragma once
// The main window: the symbol search criteria, its start, pause and stop,
// progress and status output, the results list, and the commands that open
// every tool window.
#include <QMainWindow>

namespace tarnix::gui {

class CTarnixDlg : public QMainWindow {
  Q_OBJECT
 public:
  explicit CTarnixDlg(QWidget* parent = nullptr);
  ~CTarnixDlg() override;
};

}  // namespace tarnix::gui
