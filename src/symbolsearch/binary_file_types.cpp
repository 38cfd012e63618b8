#include "symbolsearch/binary_file_types.h"

#include "core/wformat.h"
#include "symbolsearch/regex_escape.h"

namespace tarnix {

const BinaryFileType kBinaryFileTypes[kBinaryFileTypeCount] = {
    {L"exe", L"Windows Executable"},
    {L"dll", L"Dynamic Link Library"},
    {L"sys", L"Windows System Driver"},
    {L"scr", L"Screensaver"},
    {L"cpl", L"Control Panel Extension"},
    {L"ocx", L"ActiveX Control"},
    {L"drv", L"Device Driver"},
    {L"efi", L"Extension Firmware Interface"},
    {L"acm", L"Audio Compression Manager (ACM) Audio Codec"},
    {L"ax", L"DirectShow Filter"},
    {L"com", L"MS DOS Executable"},
    {L"rll", L"Microsoft Resource Library"},
    {L"rs", L"Windows Rating System File"},
    {L"tlb", L"OLE Type Library"},
    {L"mui", L"Multilingual User Interface File"},
};

std::wstring BinaryFileTypePattern(uint64_t mask) {
  std::wstring pattern;
  for (int id = 0; id < kBinaryFileTypeCount; ++id) {
    if (!(mask & (uint64_t{1} << id))) continue;
    if (!pattern.empty()) pattern += L'|';
    const std::wstring ext = EscapeForRegex(std::wstring(L".") + kBinaryFileTypes[id].extension);
    pattern += WFormat(L"(^.*%ls$)", ext.c_str());
  }
  return pattern;
}

}  // namespace tarnix
