#pragma once
// The image information window: what one result's symbol is, which module
// it comes from or goes to and where that module resolves on this machine,
// and the header, version and flag information of the image that holds it.
// Everything it shows comes from the engine's BuildImageInfo (the same text
// `tarnix-cli info` prints); the window lays it out, draws the image's icon
// with a mark for the kind of match, and offers the module items of the
// results menu for the image and for the resolved module. One window per
// instance, modeless, owned by the main window; opening it for another
// result refills it.
#include <QDialog>
#include <QIcon>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "results/image_info_text.h"
#include "symbolsearch/command_line.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

namespace tarnix::gui {

class CommandSet;
class ModuleMenu;

class CImgInfoDlg final : public QDialog {
  Q_OBJECT
 public:
  // `criteria` gives the owner's current switches, which a module opened
  // for search starts with.
  explicit CImgInfoDlg(QWidget* parent = nullptr, std::function<CommandLineValues()> criteria = {});
  ~CImgInfoDlg() override;

  // Opens the window for `subject` (or refills the open one) and brings it
  // to the front. The window deletes itself when closed.
  static CImgInfoDlg* Open(QWidget* owner, const ImageInfoSubject& subject,
                           std::function<CommandLineValues()> criteria);
  // The open window; null when there is none.
  static CImgInfoDlg* Current();

  // Fills the window for `subject`: the module is resolved, the symbol
  // located and the version read again, off the window's thread. False
  // (the window as it was) when the user cancelled the wait.
  bool Fill(const ImageInfoSubject& subject);

  // The window's copy of the record, with the file version read for it.
  const ImageInfoSubject& subject() const { return subject_; }
  uint64_t fileVersion() const { return fileVersion_; }

 protected:
  void changeEvent(QEvent* event) override;

 private:
  void BuildControls();
  void BuildCommands();
  void Show(const ImageInfoContent& content);
  void ShowIcon(const std::wstring& imagePath, uint32_t kind);
  void ShowBitness(const BitnessLabel& bitness);
  void ColourBitness();
  void ShowModuleMenu(QPushButton* button, const std::wstring& path);
  void ShowInfoMenu(const QPoint& pos);
  QString SelectedInfoText() const;

  std::function<CommandLineValues()> criteria_;
  std::unique_ptr<ModuleMenu> moduleItems_;
  ImageInfoSubject subject_;
  uint64_t fileVersion_ = kVersionUnknown;
  std::wstring resolvedPath_;
  std::optional<uint32_t> bitnessColour_;
  QIcon fileIcon_;  // the last icon the desktop gave; kept when it gives none

  CommandSet* commands_ = nullptr;
  QLabel* icon_ = nullptr;
  QLineEdit* image_ = nullptr;
  QPushButton* imageMenuButton_ = nullptr;
  QGroupBox* match_ = nullptr;
  QLineEdit* module_ = nullptr;
  QLineEdit* resolvesTo_ = nullptr;
  QPushButton* moduleMenuButton_ = nullptr;
  QTextEdit* info_ = nullptr;
  QLabel* bitness_ = nullptr;
};

}  // namespace tarnix::gui
