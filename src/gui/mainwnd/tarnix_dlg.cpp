#include "gui/mainwnd/tarnix_dlg.h"

#include <QMenuBar>
#include <QPlainTextEdit>

#include "gui/app/tarnix_app.h"

namespace tarnix::gui {

CTarnixDlg::CTarnixDlg(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("CTarnixDlg"));
  setWindowTitle(CTarnixApp::MainWindowTitle());
  for (const char* menu : {"&File", "&Edit", "&View", "&Results", "&Window", "&Help"})
    menuBar()->addMenu(QString::fromLatin1(menu));
  auto* output = new QPlainTextEdit(this);
  output->setReadOnly(true);
  output->setAccessibleName(QStringLiteral("Status Output:"));
  setCentralWidget(output);
  resize(900, 640);
}

CTarnixDlg::~CTarnixDlg() = default;

}  // namespace tarnix::gui
