#include "results/result_column.h"

namespace tarnix {

const wchar_t* ResultColumnCaption(int32_t column) {
  static constexpr const wchar_t* kCaptions[kResultColumnCount] = {
      L"Function Name", L"Matched In",  L"Module From/To", L"Image Name",
      L"Folder",        L"Type",        L"Binding",        L"Build Time",
      L"PE Subsystem",  L"PE Characteristics", L"PE Directories", L"PE Resources",
      L"Version",       L"Description", L"Ordinal",        L"Hint"};
  return column >= 0 && column < kResultColumnCount ? kCaptions[column] : nullptr;
}

const std::vector<int32_t>& DefaultResultColumns() {
  static const std::vector<int32_t> kDefault = {
      kColFunctionName, kColOrdinal, kColMatchedIn, kColModule, kColImageName,
      kColType,         kColFolder,  kColVersion,   kColDescription};
  return kDefault;
}

}  // namespace tarnix
