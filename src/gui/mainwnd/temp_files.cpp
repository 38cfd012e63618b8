#include "gui/mainwnd/temp_files.h"

#include <QDir>
#include <filesystem>

#include "core/event_log.h"
#include "gui/app/text_convert.h"
#include "platform/errno_map.h"

namespace tarnix::gui {

QString TempFilePath(const char* name) { return QDir(QDir::tempPath()).filePath(QString::fromLatin1(name)); }

uint32_t RemoveTempFiles() {
  uint32_t first = 0;
  for (const char* name : {kTempLogView, kTempPreview}) {
    std::error_code ec;
    std::filesystem::remove(TempFilePath(name).toStdString(), ec);
    if (ec && !first) {
      first = Win32FromErrno(ec.value());
      EventLog::LogFormat(L"path=\"%ls\", err=%d", FromQ(TempFilePath(name)).c_str(), ec.value());
    }
  }
  return first;
}

}  // namespace tarnix::gui
