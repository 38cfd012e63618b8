#pragma once
// The Error Message Search window's commands by id.
namespace tarnix::gui {

enum ErrMsgCommand : int {
  // File
  kEmsSaveResults = 1,
  kEmsClose,
  // Edit
  kEmsCopyResults,
  kEmsClearResults,
  kEmsRanges,
  kEmsSettings,
  // View
  kEmsRegexComposer,
  kEmsTryRegex,
  kEmsRegexHelp,
  kEmsSymbolicNames,
};

}  // namespace tarnix::gui
