#include "symbolsearch/filter_description.h"

#include "core/wformat.h"
#include "platform/locale_format.h"
#include "platform/time_utils.h"
#include "platform/win_errors.h"

namespace tarnix {
namespace {

struct Name {
  uint64_t bit;
  const wchar_t* text;
};

constexpr Name kTypes[] = {{0x1, L"32bit"}, {0x2, L"64bit"}, {0x4, L"ROM"}};
constexpr Name kSubsystems[] = {
    {0x1, L"Unknwn"}, {0x2, L"Native"}, {0x4, L"GUI"}, {0x8, L"Console"}, {0x10, L"OS/2"},
    {0x20, L"Posix"}, {0x40, L"Native9x"}, {0x80, L"WinCE"}, {0x100, L"EFI"},
    {0x200, L"EFI_Boot"}, {0x400, L"EFI_Ntv"}, {0x800, L"EFI_ROM"}, {0x1000, L"Xbox"},
    {0x2000, L"Boot"}, {0x80000000, L"Other"}};
constexpr Name kCharacteristics[] = {
    {0x1, L"DEP"}, {0x2, L"ASLR"}, {0x4, L"CFG"}, {0x8, L"AppCntr"}, {0x10, L"NoManifest"},
    {0x20, L"SigChks"}, {0x40, L"NoSEH"}, {0x80, L"NoBind"}, {0x100, L"WDM"},
    {0x200, L"ASLR-64"}, {0x400, L"TrmSrvrAwr"}, {0x10000, L"NoReloc"}, {0x20000, L"NoSymb"},
    {0x40000, L"NoLineNum"}, {0x80000, L"32bit"}, {0x100000, L"Exe"}, {0x200000, L"NoDbgInf"},
    {0x400000, L"RmvbRunSwap"}, {0x800000, L"NtwkRunSwap"}, {0x1000000, L"UniCPU"},
    {0x2000000, L"Dll"}, {0x4000000, L"SysImg"}, {0x8000000, L"LgAddrAware"},
    {0x10000000000, L"DelayLdVC6"}, {0x20000000000, L"BuffSecChks"}};
constexpr Name kDirectories[] = {
    {0x1, L"ExcptTbl"}, {0x2, L"Sigs"}, {0x4, L"Reloc"}, {0x8, L"Dbg"}, {0x10, L"ArctData"},
    {0x20, L"TLS"}, {0x40, L"LdConfgData"}, {0x80, L"BoundImp"}, {0x100, L"IAT"},
    {0x200, L"DelayLd"}, {0x400, L".NET"}, {0x800, L"Imports"}, {0x1000, L"Exports"},
    {0x2000, L"GlbPtr"}, {0x4000, L"Rcsrs"}, {0x1000000, L"Cur"}, {0x2000000, L"Bmp"},
    {0x4000000, L"Icn"}, {0x8000000, L"Menu"}, {0x10000000, L"Dlg"}, {0x20000000, L"Strs"},
    {0x40000000, L"FntDir"}, {0x80000000, L"Fnt"}, {0x100000000, L"Accel"},
    {0x200000000, L"RcData"}, {0x400000000, L"MsgTbl"}, {0x800000000, L"GrpCur"},
    {0x1000000000, L"GrpIcn"}, {0x2000000000, L"Ver"}, {0x4000000000, L"DlgInc"},
    {0x8000000000, L"PlgPly"}, {0x10000000000, L"VxD"}, {0x20000000000, L"AniCur"},
    {0x40000000000, L"AniIcn"}, {0x80000000000, L"HTML"}, {0x100000000000, L"Mnfst"},
    {0x200000000000, L"Other"}};
constexpr Name kLookIn[] = {{0x1, L"Exp"}, {0x2, L"Imp"}, {0x4, L"DelayLd"}, {0x8, L"Ord"},
                            {0x10, L"Frwd"}, {0x20, L"C"}, {0x40, L"Cpp"}};

constexpr const wchar_t* kSep = L" | ";

template <size_t N>
std::wstring NameList(const Name (&table)[N], uint64_t mask, const wchar_t* empty) {
  if (mask == 0) return empty;
  std::wstring text;
  for (const Name& n : table) {
    if (!(mask & n.bit)) continue;
    if (!text.empty()) text += kSep;
    text += n.text;
    mask &= ~n.bit;
  }
  if (mask) {
    if (!text.empty()) text += kSep;
    text += WFormat(L"0x%llx", static_cast<unsigned long long>(mask));
  }
  return text;
}

template <size_t N>
std::wstring ValueList(const Name (&table)[N], uint64_t mask, uint64_t values) {
  if (mask == 0) return L"All";
  std::wstring text;
  for (const Name& n : table) {
    if (!(mask & n.bit)) continue;
    if (!text.empty()) text += kSep;
    text += WFormat(L"%ls=%d", n.text, (values & n.bit) ? 1 : 0);
    mask &= ~n.bit;
  }
  if (mask) {
    if (!text.empty()) text += kSep;
    text += WFormat(L"0x%llx%ls0x%llx", static_cast<unsigned long long>(mask), L"=",
                    static_cast<unsigned long long>(values & mask));
  }
  return text;
}

}  // namespace

std::wstring DescribeImageTypes(uint64_t mask) { return NameList(kTypes, mask, L"All"); }
std::wstring DescribeSubsystems(uint64_t mask) { return NameList(kSubsystems, mask, L"All"); }
std::wstring DescribeCharacteristics(uint64_t mask, uint64_t values) {
  return ValueList(kCharacteristics, mask, values);
}
std::wstring DescribeDirectories(uint64_t mask, uint64_t values) {
  return ValueList(kDirectories, mask, values);
}
std::wstring DescribeLookIn(uint64_t mask) { return NameList(kLookIn, mask, L"All Available"); }

std::wstring DescribeTimeBound(uint64_t fileTime) {
  if (fileTime == 0) return L"All";
  SystemTime st;
  if (!FileTimeToSystemTime(fileTime, st))
    return WFormat(L"<err:%d>", static_cast<int>(ERROR_INVALID_PARAMETER));
  std::wstring text;
  if (!FormatLocalDateTime(FileTimeToUnixSeconds(fileTime), text))
    return WFormat(L"<err_c:%d>", static_cast<int>(ERROR_INVALID_PARAMETER));
  return text;
}

}  // namespace tarnix
