#pragma once
// The message tables of a Windows installation as the sources of the
// platform's system messages: kernelbase.dll, then kernel32.dll, of the
// system folder (each with its MUI satellites) answer FormatSystemMessage,
// and wininet.dll of the same folder answers FormatInternetMessage. The
// modules are mapped once and kept while their files stay unchanged.
#include <string>

namespace tarnix {

class WindowsRoot;

// Installs the sources for the system folder `systemFolder` (a path such as
// "/mnt/c/Windows/System32"); an empty path removes them, leaving the
// program's own descriptions.
void InstallSystemMessageSources(const std::wstring& systemFolder);

// Installs the sources of the system folder of `root`: its 64-bit System32
// when it has one, else its 32-bit one; none when no root was found.
void InstallSystemMessageSources(const WindowsRoot& root);

}  // namespace tarnix
