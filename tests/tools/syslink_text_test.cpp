// The link controls' text form: links, mnemonics and the plain text.
#include <gtest/gtest.h>

#include "tools/syslink_text.h"

namespace tarnix {
namespace {

TEST(SysLinkText, SplitsLinksFromTextAndNumbersThem) {
  const SysLinkText t = ParseSysLinkText(L"<a>Rsrc</a>:{<a>Bmp</a>=1} <b>&&</b>");
  EXPECT_EQ(t.linkCount, 2);
  ASSERT_EQ(t.parts.size(), 4u);
  EXPECT_EQ(t.parts[0].text, L"Rsrc");
  EXPECT_EQ(t.parts[0].link, 0);
  EXPECT_EQ(t.parts[1].text, L":{");
  EXPECT_EQ(t.parts[1].link, -1);
  EXPECT_EQ(t.parts[2].link, 1);
  EXPECT_EQ(t.parts[3].text, L"=1} <b>&</b>");  // other tags are text
  EXPECT_EQ(t.plain, L"Rsrc:{Bmp=1} <b>&</b>");
  EXPECT_EQ(t.mnemonic, 0);
}

TEST(SysLinkText, TakesTheFirstMnemonicAndDropsItsMark) {
  SysLinkText t = ParseSysLinkText(L"<a>&WinAPIs:</a> <a>Ex&ports</a>");
  EXPECT_EQ(t.mnemonic, L'W');
  EXPECT_EQ(t.mnemonicPart, 0);
  EXPECT_EQ(t.mnemonicOffset, 0u);
  EXPECT_EQ(t.plain, L"WinAPIs: Exports");
  t = ParseSysLinkText(L"Lo&ok In:");
  EXPECT_EQ(t.mnemonic, L'o');
  EXPECT_EQ(t.mnemonicOffset, 2u);
  EXPECT_EQ(t.linkCount, 0);
  // A mark before a blank or at the end is dropped and makes no mnemonic.
  t = ParseSysLinkText(L"a & b&");
  EXPECT_EQ(t.mnemonic, 0);
  EXPECT_EQ(t.plain, L"a  b");
}

TEST(SysLinkText, ToleratesOddTags) {
  // Any letter case, attributes ignored, an empty link still counted, an
  // unclosed link running to the end, a stray closing tag kept as text.
  SysLinkText t = ParseSysLinkText(L"<A HREF=\"x\">one</A><a></a>x</a> <a>two");
  EXPECT_EQ(t.linkCount, 3);
  ASSERT_EQ(t.parts.size(), 4u);
  EXPECT_EQ(t.parts[0].text, L"one");
  EXPECT_EQ(t.parts[1].link, 1);
  EXPECT_EQ(t.parts[1].text, L"");
  EXPECT_EQ(t.parts[2].text, L"x</a> ");
  EXPECT_EQ(t.parts[3].link, 2);
  EXPECT_EQ(t.parts[3].text, L"two");
  EXPECT_EQ(ParseSysLinkText(L"<a").plain, L"<a");
  EXPECT_TRUE(ParseSysLinkText(L"").parts.empty());
}

}  // namespace
}  // namespace tarnix
