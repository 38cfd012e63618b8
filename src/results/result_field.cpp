#include "results/result_field.h"

#include "core/text_format.h"
#include "core/wformat.h"
#include "pe/result_kind.h"
#include "results/result_column.h"
#include "platform/locale_format.h"

namespace tarnix {
namespace {

struct Flag {
  uint64_t mask;
  const wchar_t* name;
  const wchar_t* constant;  // null when there is none
};

// Short names the list shows.
constexpr Flag kListCharacteristics[] = {
    {0x8, L"AppCntr", nullptr}, {0x2, L"ASLR", nullptr}, {0x200, L"ASLR-64", nullptr},
    {0x20000000000, L"BuffSecChks", nullptr}, {0x4, L"CFG", nullptr},
    {0x10000000000, L"DelayLdVC6", nullptr}, {0x1, L"DEP", nullptr},
    {0x2000000, L"Dll", nullptr}, {0x100000, L"Exe", nullptr},
    {0x8000000, L"LgAddrAware", nullptr}, {0x80, L"NoBind", nullptr},
    {0x200000, L"NoDbgInf", nullptr}, {0x40000, L"NoLineNum", nullptr},
    {0x10, L"NoMnfst", nullptr}, {0x10000, L"NoReloc", nullptr}, {0x40, L"NoSEH", nullptr},
    {0x20000, L"NoSymb", nullptr}, {0x800000, L"NtwkRunSwap", nullptr},
    {0x400000, L"RmvbRunSwap", nullptr}, {0x20, L"SigChks", nullptr},
    {0x4000000, L"SysImg", nullptr}, {0x400, L"TrmSrvrAwr", nullptr},
    {0x1000000, L"UniCPU", nullptr}, {0x100, L"WDM", nullptr}, {0x80000, L"32bit", nullptr}};

constexpr Flag kListDirectories[] = {
    {0x400, L".NET", nullptr}, {0x10, L"ArctData", nullptr}, {0x80, L"BoundImp", nullptr},
    {0x8, L"Dbg", nullptr}, {0x200, L"DelayLd", nullptr}, {0x1, L"ExcptTbl", nullptr},
    {0x1000, L"Exports", nullptr}, {0x2000, L"GlbPtr", nullptr}, {0x100, L"IAT", nullptr},
    {0x800, L"Imports", nullptr}, {0x40, L"LdConfgData", nullptr}, {0x4000, L"Rcsrs", nullptr},
    {0x4, L"Reloc", nullptr}, {0x2, L"Sigs", nullptr}, {0x20, L"TLS", nullptr}};

constexpr Flag kListResources[] = {
    {0x100000000, L"Accel", nullptr}, {0x20000000000, L"AniCur", nullptr},
    {0x40000000000, L"AniIcn", nullptr}, {0x2000000, L"Bmp", nullptr},
    {0x1000000, L"Cur", nullptr}, {0x200000000, L"Data", nullptr},
    {0x10000000, L"Dlg", nullptr}, {0x4000000000, L"DlgInc", nullptr},
    {0x80000000, L"Fnt", nullptr}, {0x40000000, L"FntDir", nullptr},
    {0x800000000, L"GrpCur", nullptr}, {0x1000000000, L"GrpIcn", nullptr},
    {0x80000000000, L"HTML", nullptr}, {0x4000000, L"Icon", nullptr},
    {0x8000000, L"Menu", nullptr}, {0x400000000, L"MsgTbl", nullptr},
    {0x100000000000, L"Mnfst", nullptr}, {0x8000000000, L"PlgPly", nullptr},
    {0x20000000, L"Str", nullptr}, {0x2000000000, L"Ver", nullptr},
    {0x10000000000, L"VxD", nullptr}, {0x200000000000, L"Other", nullptr}};

// Long names of the export, with their constants.
constexpr Flag kExportCharacteristics[] = {
    {0x8, L"AppContainer", L"IMAGE_DLLCHARACTERISTICS_APPCONTAINER"},
    {0x2, L"Address Space Layout Randomization, ASLR", L"IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE"},
    {0x200, L"Address Space Layout Randomization, ASLR, 64-bit",
     L"IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA"},
    {0x20000000000, L"Buffer Overrun Checks with Security Cookie", L"/GS"},
    {0x4, L"Control Flow Guard, CFG", L"IMAGE_DLLCHARACTERISTICS_GUARD_CF"},
    {0x1, L"Data Execution Prevention, DEP", L"IMAGE_DLLCHARACTERISTICS_NX_COMPAT"},
    {0x200000, L"Debugging Info Removed", L"IMAGE_FILE_DEBUG_STRIPPED"},
    {0x10000000000, L"Delay-Load Import Table Format from VC6", nullptr},
    {0x80, L"Do Not Bind Image", L"IMAGE_DLLCHARACTERISTICS_NO_BIND"},
    {0x40, L"Do Not Use Structured Exception Handling, SEH", L"IMAGE_DLLCHARACTERISTICS_NO_SEH"},
    {0x2000000, L"Dynamic Link Library, DLL", L"IMAGE_FILE_DLL"},
    {0x20, L"Enforced Code Integrity Checks Via Signatures",
     L"IMAGE_DLLCHARACTERISTICS_FORCE_INTEGRITY"},
    {0x100000, L"Executable", L"IMAGE_FILE_EXECUTABLE_IMAGE"},
    {0x800000, L"If Image on Network, Run From Swap File", L"IMAGE_FILE_NET_RUN_FROM_SWAP"},
    {0x400000, L"If Image on Removable Media, Run From Swap File",
     L"IMAGE_FILE_REMOVABLE_RUN_FROM_SWAP"},
    {0x4000000, L"Image is System File", L"IMAGE_FILE_SYSTEM"},
    {0x400, L"Image is Terminal Server Aware", L"IMAGE_DLLCHARACTERISTICS_TERMINAL_SERVER_AWARE"},
    {0x8000000, L"Large Address Aware", L"IMAGE_FILE_LARGE_ADDRESS_AWARE"},
    {0x40000, L"Line Numbers Removed", L"IMAGE_FILE_LINE_NUMS_STRIPPED"},
    {0x20000, L"Local Symbols Removed", L"IMAGE_FILE_LOCAL_SYMS_STRIPPED"},
    {0x10, L"Manifest Isolation", L"IMAGE_DLLCHARACTERISTICS_NO_ISOLATION"},
    {0x10000, L"Relocation Info Removed", L"IMAGE_FILE_RELOCS_STRIPPED"},
    {0x1000000, L"Run on Uniprocessor Computer", L"IMAGE_FILE_UP_SYSTEM_ONLY"},
    {0x80000, L"Supports 32-bit Words", L"IMAGE_FILE_32BIT_MACHINE"},
    {0x100, L"WDM Driver", L"IMAGE_DLLCHARACTERISTICS_WDM_DRIVER"}};

constexpr Flag kExportDirectories[] = {
    {0x400, L".NET or COM Runtime", L"IMAGE_DIRECTORY_ENTRY_COM_DESCRIPTOR"},
    {0x10, L"Architecture-Specific Data", L"IMAGE_DIRECTORY_ENTRY_ARCHITECTURE"},
    {0x4, L"Base Relocation Table", L"IMAGE_DIRECTORY_ENTRY_BASERELOC"},
    {0x80, L"Bound Import Directory", L"IMAGE_DIRECTORY_ENTRY_BOUND_IMPORT"},
    {0x8, L"Debug Directory", L"IMAGE_DIRECTORY_ENTRY_DEBUG"},
    {0x200, L"Delay-Load Import Table", L"IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT"},
    {0x1, L"Exception Directory", L"IMAGE_DIRECTORY_ENTRY_EXCEPTION"},
    {0x1000, L"Export Directory", L"IMAGE_DIRECTORY_ENTRY_EXPORT"},
    {0x100, L"Import Address Table", L"IMAGE_DIRECTORY_ENTRY_IAT"},
    {0x800, L"Import Directory", L"IMAGE_DIRECTORY_ENTRY_IMPORT"},
    {0x40, L"Load Configuration Directory", L"IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG"},
    {0x2000, L"Relative Virtual Address of Global Pointer", L"IMAGE_DIRECTORY_ENTRY_GLOBALPTR"},
    {0x4000, L"Resource Directory", L"IMAGE_DIRECTORY_ENTRY_RESOURCE"},
    {0x2, L"Security Directory", L"IMAGE_DIRECTORY_ENTRY_SECURITY"},
    {0x20, L"Thread Local Storage Directory", L"IMAGE_DIRECTORY_ENTRY_TLS"}};

constexpr Flag kExportResources[] = {
    {0x100000000, L"Accelerator Table", L"RT_ACCELERATOR"},
    {0x20000000000, L"Animated Cursors", L"RT_ANICURSOR"},
    {0x40000000000, L"Animated Icons", L"RT_ANIICON"},
    {0x200000000, L"Application-Defined Raw Data", L"RT_RCDATA"},
    {0x2000000, L"Bitmaps", L"RT_BITMAP"},
    {0x1000000, L"Hardware-Dependent Cursors", L"RT_CURSOR"},
    {0x10000000, L"Dialog Boxes", L"RT_DIALOG"},
    {0x4000000000, L"Dialog Include Files", L"RT_DLGINCLUDE"},
    {0x80000000, L"Fonts", L"RT_FONT"},
    {0x40000000, L"Font Directory", L"RT_FONTDIR"},
    {0x4000000, L"Hardware-Dependent Icons", L"RT_ICON"},
    {0x800000000, L"Hardware-Independent Cursor Groups", L"RT_GROUP_CURSOR"},
    {0x1000000000, L"Hardware-Independent Icon Groups", L"RT_GROUP_ICON"},
    {0x80000000000, L"HTML", L"RT_HTML"},
    {0x8000000, L"Menus", L"RT_MENU"},
    {0x400000000, L"Message-Table Entries", L"RT_MESSAGETABLE"},
    {0x8000000000, L"Plug & Play", L"RT_PLUGPLAY"},
    {0x100000000000, L"Side-by-Side Assembly Manifests", L"RT_MANIFEST"},
    {0x20000000, L"String-Table Entries", L"RT_STRING"},
    {0x2000000000, L"Version Info", L"RT_VERSION"},
    {0x10000000000, L"VxD", L"RT_VXD"},
    {0x200000000000, L"Other", nullptr}};

struct Subsystem {
  uint64_t bit;
  const wchar_t* listName;
  const wchar_t* exportName;
  const wchar_t* constant;
};

constexpr Subsystem kSubsystems[] = {
    {0x1, L"Unknown", L"Unknown", L"IMAGE_SUBSYSTEM_UNKNOWN"},
    {0x2, L"Native", L"Native", L"IMAGE_SUBSYSTEM_NATIVE"},
    {0x4, L"GUI", L"GUI", L"IMAGE_SUBSYSTEM_WINDOWS_GUI"},
    {0x8, L"Console", L"Console", L"IMAGE_SUBSYSTEM_WINDOWS_CUI"},
    {0x10, L"OS/2", L"OS/2", L"IMAGE_SUBSYSTEM_OS2_CUI"},
    {0x20, L"Posix", L"Posix", L"IMAGE_SUBSYSTEM_POSIX_CUI"},
    {0x40, L"Native 9x", L"Native 9x", L"IMAGE_SUBSYSTEM_NATIVE_WINDOWS"},
    {0x80, L"WinCE", L"Windows CE", L"IMAGE_SUBSYSTEM_WINDOWS_CE_GUI"},
    {0x100, L"EFI", L"EFI Application", L"IMAGE_SUBSYSTEM_EFI_APPLICATION"},
    {0x200, L"EFI Boot", L"EFI Boot Service Driver", L"IMAGE_SUBSYSTEM_EFI_BOOT_SERVICE_DRIVER"},
    {0x400, L"EFI Runtime", L"EFI Runtime Driver", L"IMAGE_SUBSYSTEM_EFI_RUNTIME_DRIVER"},
    {0x800, L"EFI ROM", L"EFI ROM", L"IMAGE_SUBSYSTEM_EFI_ROM"},
    {0x1000, L"Xbox", L"Xbox", L"IMAGE_SUBSYSTEM_XBOX"},
    {0x2000, L"Boot", L"Windows Boot Application", L"IMAGE_SUBSYSTEM_WINDOWS_BOOT_APPLICATION"},
    {0x80000000, L"Other", L"Other", nullptr}};

constexpr size_t kListFolderBuffer = 520;  // characters, terminator included
constexpr size_t kListNameLength = 1024;   // characters of a name the list shows
constexpr size_t kListFlagLimit = 520;

template <size_t N>
std::wstring FlagList(const Flag (&table)[N], uint64_t mask, std::wstring_view separator,
                      bool verbose, size_t limit) {
  if (mask == 0) return L"-";
  std::wstring text;
  for (const Flag& f : table) {
    if (!(mask & f.mask)) continue;
    if (!text.empty()) text += separator;
    text += f.name;
    if (verbose && f.constant) text += WFormat(L" (%ls)", f.constant);
    mask &= ~f.mask;
  }
  if (mask) {
    if (!text.empty()) text += separator;
    text += WFormat(L"0x%llx", static_cast<unsigned long long>(mask));
  }
  if (limit && text.size() >= limit) text.resize(limit - 1);
  return text;
}

const Subsystem* FindSubsystem(uint64_t bit) {
  for (const auto& s : kSubsystems)
    if (s.bit == bit) return &s;
  return nullptr;
}

template <size_t N>
const wchar_t* ConstantOf(const Flag (&table)[N], uint64_t bit) {
  for (const Flag& f : table)
    if (f.mask == bit) return f.constant;
  return nullptr;
}

std::wstring BuildTimeText(uint32_t timeStamp) {
  std::wstring text;
  if (!FormatLocalDateTime(static_cast<int64_t>(timeStamp), text) || text.size() >= 128)
    return L"-";
  return text;
}

const wchar_t* TypeName(uint32_t type) {
  switch (type) {
    case kImageType32: return L"32-bit";
    case kImageType64: return L"64-bit";
    case kImageTypeRom: return L"ROM";
    default: return nullptr;
  }
}

const wchar_t* BindingName(uint32_t binding) {
  switch (binding) {
    case kBindingNone: return L"";
    case kBindingUnbound: return L"Unbound";
    case kBindingBound: return L"Bound";
    case kBindingBoundOld: return L"Bound (old)";
    default: return nullptr;
  }
}

constexpr uint64_t kDirectoryMask = 0xFFFF;
constexpr uint64_t kResourceMask = 0xFFFFFF000000ULL;  // bits 24..47

// The fields whose text is the same in the list and the export.
bool CommonField(int32_t column, const ResultEntry& e, bool fullSymbols, std::wstring& out) {
  const SymbolResult& r = e.result;
  switch (column) {
    case 0: out = fullSymbols ? r.name : std::wstring(); return true;
    case 2: out = r.module; return true;
    case 12: out = FileVersionText(e.fileVersion); return true;
    case 13: out = e.description; return true;
    case 14:
      out = fullSymbols && r.ordinal != 0 ? std::to_wstring(r.ordinal) : std::wstring();
      return true;
    case 15:
      out = fullSymbols && r.nameIndexOrHint != -1
                ? std::to_wstring(static_cast<uint32_t>(r.nameIndexOrHint))
                : std::wstring();
      return true;
    case 7: out = BuildTimeText(r.properties.timeStamp); return true;
    default: return false;
  }
}

}  // namespace

std::wstring_view ImageNameOf(std::wstring_view path) {
  size_t cut = path.find_last_of(L"/\\");
  return cut == std::wstring_view::npos ? path : path.substr(cut + 1);
}

std::wstring_view FolderOf(std::wstring_view path) {
  size_t cut = path.find_last_of(L"/\\");
  return cut == std::wstring_view::npos ? std::wstring_view() : path.substr(0, cut + 1);
}

std::wstring_view ListFolderOf(std::wstring_view path) {
  return path.size() < kListFolderBuffer ? FolderOf(path) : std::wstring_view(L"-");
}

const std::vector<ShortFlagName>& ResourceTypeShortNames() {
  static const std::vector<ShortFlagName> names = [] {
    std::vector<ShortFlagName> v;
    for (const Flag& f : kListResources) v.push_back({f.mask, f.name});
    return v;
  }();
  return names;
}

bool FormatResultField(int32_t column, const ResultEntry& e, bool verbose, bool fullSymbols,
                       std::wstring_view separator, std::wstring& out) {
  if (CommonField(column, e, fullSymbols, out)) return true;
  const SymbolResult& r = e.result;
  const ImageProperties& p = r.properties;
  switch (column) {
    case 1: out = ResultKindText(r.kind); return true;
    case 3: out = ImageNameOf(r.file); return true;
    case 4: out = FolderOf(r.file); return true;
    case 5: {
      const wchar_t* t = TypeName(p.imageType);
      out = t ? t : WFormat(L"Unrecognized type: 0x%X", p.imageType);
      return true;
    }
    case 6: {
      const wchar_t* t = BindingName(p.binding);
      out = t ? t : WFormat(L"Unrecognized binding: 0x%X", p.binding);
      return true;
    }
    case 8: {
      if (p.subsystemBit == 0) {
        out = L"-";
      } else if (const Subsystem* s = FindSubsystem(p.subsystemBit)) {
        out = s->exportName;
        if (verbose && s->constant) out += WFormat(L" (%ls)", s->constant);
      } else {
        out = WFormat(L"Unrecognized: 0x%llX", static_cast<unsigned long long>(p.subsystemBit));
      }
      return true;
    }
    case 9:
      out = FlagList(kExportCharacteristics, p.characteristics, separator, verbose, 0);
      return true;
    case 10:
      out = FlagList(kExportDirectories, p.directories & kDirectoryMask, separator, verbose, 0);
      return true;
    case 11:
      out = FlagList(kExportResources, p.directories & kResourceMask, separator, verbose, 0);
      return true;
    default: out.clear(); return false;
  }
}

bool ListDisplayText(int32_t column, const ResultEntry& e, bool fullSymbols, std::wstring& out) {
  if (CommonField(column, e, fullSymbols, out)) {
    // The list lays out every character of a cell each time it paints it:
    // names of tens of thousands of characters froze the window for
    // seconds. It shows their start; copies and exports keep them whole.
    if ((column == kColFunctionName || column == kColModule) && out.size() > kListNameLength)
      out = ShortenText(out, kListNameLength);
    return true;
  }
  const SymbolResult& r = e.result;
  const ImageProperties& p = r.properties;
  switch (column) {
    case 1:
      out = r.kind >= kKindImport && r.kind <= kKindImage ? ResultKindText(r.kind) : WFormat(L"0x%X", r.kind);
      return true;
    case 3: out = ImageNameOf(r.file); return true;
    case 4: out = ListFolderOf(r.file); return true;
    case 5: {
      const wchar_t* t = TypeName(p.imageType);
      out = t ? t : WFormat(L"0x%X", p.imageType);
      return true;
    }
    case 6: {
      const wchar_t* t = BindingName(p.binding);
      out = t ? t : WFormat(L"0x%X", p.binding);
      return true;
    }
    case 8: {
      const Subsystem* s = FindSubsystem(p.subsystemBit);
      out = p.subsystemBit == 0 ? L"-"
            : s ? std::wstring(s->listName)
                : WFormat(L"0x%llX", static_cast<unsigned long long>(p.subsystemBit));
      return true;
    }
    case 9:
      out = FlagList(kListCharacteristics, p.characteristics, L" | ", false, kListFlagLimit);
      return true;
    case 10:
      out = FlagList(kListDirectories, p.directories & kDirectoryMask, L" | ", false,
                     kListFlagLimit);
      return true;
    case 11:
      out = FlagList(kListResources, p.directories & kResourceMask, L" | ", false,
                     kListFlagLimit);
      return true;
    default: out.clear(); return false;
  }
}

const wchar_t* CharacteristicConstantName(uint64_t bit) {
  return ConstantOf(kExportCharacteristics, bit);
}

const wchar_t* DirectoryConstantName(uint64_t bit) { return ConstantOf(kExportDirectories, bit); }

const wchar_t* ResourceTypeConstantName(uint64_t bit) { return ConstantOf(kExportResources, bit); }

const wchar_t* SubsystemConstantName(uint64_t bit) {
  const Subsystem* s = FindSubsystem(bit);
  return s ? s->constant : nullptr;
}

}  // namespace tarnix
