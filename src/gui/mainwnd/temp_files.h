#pragma once
// The temporary files the main window writes, in the temp folder.
#include <QString>
#include <cstdint>

namespace tarnix::gui {

inline constexpr char kTempLogView[] = "Tarnix TempLogView.html";
inline constexpr char kTempPreview[] = "Tarnix TempPreview.html";

// The full path of temporary file `name`.
QString TempFilePath(const char* name);
// Removes both files; answers the first error (0 when every one is gone).
uint32_t RemoveTempFiles();

}  // namespace tarnix::gui
