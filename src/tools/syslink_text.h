#pragma once
// The text form of the platform's link controls: plain text with "<a>" ...
// "</a>" parts that are links (numbered from 0 in order), and an "&" that
// marks the next character as the control's mnemonic ("&&" is a literal
// "&"). Tags are recognised in any letter case; attributes of "<a ...>"
// are ignored; a link left open runs to the end of the text and a "</a>"
// outside a link is ordinary text. Only a letter or digit can be the
// mnemonic; the first one counts.
#include <string>
#include <string_view>
#include <vector>

namespace tarnix {

struct SysLinkPart {
  std::wstring text;  // "&" mnemonic marks removed
  int link = -1;      // index of the link, -1 for plain text
};

struct SysLinkText {
  std::vector<SysLinkPart> parts;
  int linkCount = 0;
  // The mnemonic character and where it stands (part, offset in its text);
  // 0 and -1 when there is none.
  wchar_t mnemonic = 0;
  int mnemonicPart = -1;
  size_t mnemonicOffset = 0;
  // The whole text without tags or mnemonic marks (the accessible name).
  std::wstring plain;
};

SysLinkText ParseSysLinkText(std::wstring_view text);

}  // namespace tarnix
