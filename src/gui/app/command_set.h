#pragma once
// A window's commands by id: each command is one QAction with its caption,
// keys, handler and enabled (and checked) rule, made once. Menus, context
// menus and the header menu are lists of ids; a context menu that shows a
// command under another caption presents the same command (same handler,
// same rule). An id that no command has is a coding fault: it is reported
// (a test fails on it) and left out of the menu.
//
//   commands_.Add(kCmdCopyResults, "&Copy Search Results", [this] { CopyRows(); })
//       .Enabled([this] { return !searching_ && !results_.empty(); });
//   commands_.Fill(menuBar()->addMenu("&Results"), {kCmdPreview, CommandSet::kSeparator, kCmdCopyResults});
//   commands_.Update();  // after the window's state changed
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <initializer_list>
#include <map>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace tarnix::gui {

class CommandSet : public QObject {
  Q_OBJECT
 public:
  static constexpr int kSeparator = 0;

  // The commands of `window`; their keys work anywhere in it.
  explicit CommandSet(QWidget* window);

  class Builder {
   public:
    Builder& Keys(const char* key, const char* extraKey = nullptr);
    Builder& Enabled(std::function<bool()> rule);
    Builder& Checked(std::function<bool()> rule);
    QAction* action() const { return action_; }

   private:
    friend class CommandSet;
    Builder(CommandSet* set, int id, QAction* action) : set_(set), id_(id), action_(action) {}
    CommandSet* set_;
    int id_;
    QAction* action_;
  };

  // Makes command `id` (ids are the window's, above 0; each once). The
  // caption keeps its "&" mnemonic and "\t" key text.
  Builder Add(int id, const char* caption, std::function<void()> run);

  // The command's action; null (and a reported fault) for an unknown id.
  QAction* action(int id) const;
  // Runs the command as its menu item would, when it is enabled.
  bool Trigger(int id) const;
  // `key` runs command `id` while the focus is in `widget` (or its
  // children): the results list's Ctrl+C is the copy command.
  void BindKey(int id, QWidget* widget, const char* key);

  // Adds the commands to `menu` in order (kSeparator: a separator).
  void Fill(QMenu* menu, std::initializer_list<int> ids) const;
  // An item of `menu` that runs command `id` under another caption, with
  // the command's enabled state.
  QAction* Present(QMenu* menu, int id, const QString& caption) const;

  // Applies every enabled and checked rule.
  void Update() const;

 private:
  struct Rules {
    std::function<bool()> enabled;
    std::function<bool()> checked;
  };
  QWidget* window_;
  std::map<int, QAction*> actions_;
  std::map<int, Rules> rules_;
};

}  // namespace tarnix::gui
