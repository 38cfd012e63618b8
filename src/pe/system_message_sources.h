#pragma once
// The message tables of a Windows installation as the sources of the
// platform's system messages: kernelbase.dll, then kernel32.dll, of the
// system folder (each with its MUI satellites) answer FormatSystemMessage,
// and wininet.dll of the same folder answers FormatInternetMessage. The
// modules are mapped once and kept while their files stay unchanged.
#include <string>

namespace tarnix {

// Installs the sources for the system folder `systemFolder` (a path such as
// "/mnt/c/Windows/System32"); an empty path removes them, leaving the
// program's own descriptions.
void InstallSystemMessageSources(const std::wstring& systemFolder);

}  // namespace tarnix
