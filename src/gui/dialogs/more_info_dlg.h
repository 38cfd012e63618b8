#pragma once
// The help window: the program's "Search String Help" page in a text
// browser, opened at one of its sections ("components", "plain_search",
// "regex"), with zoom, printing and print preview. One per instance,
// modeless, owned by the window that opened it first.
#include <QFont>
#include <QMainWindow>
#include <QUrl>

class QAction;
class QTextBrowser;

namespace tarnix::gui {

class CMoreInfoDlg final : public QMainWindow {
  Q_OBJECT
 public:
  // The page as the program addresses it.
  static const char kPageUrl[];  // "qrc:/help/search_strings.html"

  // A help window at `anchor` (empty: the top of the page). Made without
  // Show, it can be shown or rendered as it is.
  explicit CMoreInfoDlg(QWidget* parent = nullptr, const QString& anchor = QString());
  ~CMoreInfoDlg() override;

  // Opens the window, or brings the open one to the front, scrolled to
  // `anchor`. The window deletes itself when closed.
  static CMoreInfoDlg* Show(QWidget* owner, const QString& anchor);

  // Scrolls the page so that `anchor` is at the top; false (logged) when
  // the page has no such anchor.
  bool ScrollToAnchor(const QString& anchor);

  // The text magnification in percent.
  int zoom() const { return zoom_; }

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void MakeActions();
  void LoadPage();
  void ApplyZoom(int percent);
  void UserZoom(int percent);
  void OnLink(const QUrl& url);
  void Print(bool preview);

  QTextBrowser* browser_ = nullptr;
  QFont baseFont_;
  QUrl pageUrl_;  // empty when the page is missing
  QString pendingAnchor_;
  int zoom_ = 100;
};

}  // namespace tarnix::gui
