#pragma once
// The sixteen columns of the results and their fixed captions.
#include <cstdint>
#include <vector>

namespace tarnix {

enum ResultColumn : int32_t {
  kColFunctionName = 0,
  kColMatchedIn = 1,
  kColModule = 2,
  kColImageName = 3,
  kColFolder = 4,
  kColType = 5,
  kColBinding = 6,
  kColBuildTime = 7,
  kColSubsystem = 8,
  kColCharacteristics = 9,
  kColDirectories = 10,
  kColResources = 11,
  kColVersion = 12,
  kColDescription = 13,
  kColOrdinal = 14,
  kColHint = 15,
};

inline constexpr int32_t kResultColumnCount = 16;

// "Function Name", "Matched In", ... "Hint"; null for an unknown id.
const wchar_t* ResultColumnCaption(int32_t column);

// The nine columns of the default layout, in order.
const std::vector<int32_t>& DefaultResultColumns();

}  // namespace tarnix
