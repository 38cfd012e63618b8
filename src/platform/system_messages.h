#pragma once
// The platform's message source for error codes ("FormatMessage from the
// system"). Message tables of a Windows installation plug in through
// SetSystemMessageProvider; the program's own one-line descriptions of the
// codes it raises answer when no provider knows a code.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tarnix {

// A provider fills `text` with the message of `code` in language `langId`
// (0x400 = the user's default) and answers true, or answers false.
using SystemMessageProvider =
    std::function<bool(uint32_t code, uint32_t langId, std::wstring& text)>;

// Installs the provider consulted for system messages (null removes it).
void SetSystemMessageProvider(SystemMessageProvider provider);
// What an installed provider holds, for callers that visit only the codes
// that have a message instead of asking for every code. `codes` lists, in
// any order, every code the provider may answer in `langId` (more is
// allowed, fewer is not); `languages` the languages its tables hold.
struct SystemMessageCatalog {
  std::function<void(uint32_t langId, std::vector<uint32_t>& codes)> codes;
  std::function<void(std::vector<uint16_t>& languages)> languages;
};
// Describes the installed provider. SetSystemMessageProvider forgets the
// catalog, so a provider installed without one cannot be listed.
void SetSystemMessageCatalog(SystemMessageCatalog catalog);

// Every code FormatSystemMessage may answer in `langId`, sorted and unique:
// the provider's, the own descriptions', and the facility-7 HRESULT of each
// of those below 0x10000. False when the installed provider has no catalog.
bool ListSystemMessageCodes(uint32_t langId, std::vector<uint32_t>& codes);
// The languages the provider's tables hold, sorted and unique; empty when
// there is no provider or it has no catalog.
std::vector<uint16_t> SystemMessageLanguages();

// Installs the provider for the Windows Internet range (wininet.dll).
void SetInternetMessageProvider(SystemMessageProvider provider);

// The system text of `code`: provider first, then the own description. An
// HRESULT of facility 7 (0x8007xxxx) is also answered by its Win32 code.
// Answers false (last error ERROR_MR_MID_NOT_FOUND) when nothing knows it.
// The result is the raw message (it may end in a line break).
bool FormatSystemMessage(uint32_t code, uint32_t langId, std::wstring& text);
// The text of `code` from the Internet module; false when there is none.
bool FormatInternetMessage(uint32_t code, uint32_t langId, std::wstring& text);

// The program's own one-line description of `code`, or null.
const wchar_t* OwnErrorDescription(uint32_t code);

}  // namespace tarnix
