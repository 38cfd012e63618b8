#include "tools/multi_sel_tables.h"

#include <array>
#include <vector>

#include "core/setting_names.h"
#include "pe/image_properties.h"
#include "pe/look_in.h"
#include "results/result_field.h"
#include "undname/undname_flag_table.h"

namespace tarnix {
namespace {

constexpr MultiSelRow kLookInRows[] = {
    {kMultiSelOrdinaryRow, kLookInExports, L"Look in \"Export\" table",
     L"Enables searching for functions in the Export table of the PE header of the image file.",
     L"PE Format Exports"},
    {kMultiSelOrdinaryRow, kLookInImports, L"Look in \"Import\" table",
     L"Enables searching for functions in the Import table of the PE header of the image file.",
     L"PE Format Imports"},
    {kMultiSelOrdinaryRow, kLookInDelayLoad, L"Look in \"Delay Load\" import table",
     L"Enables searching for functions in the Delay-Load Import table of the PE header of the "
     L"image file.",
     L"PE Format Delay-Import"},
    {kMultiSelOrdinaryRow, kLookInImportOrdinals, L"Look in (imported) ordinal functions",
     L"Enables searching for imported functions that are represented only by an ordinal number "
     L"instead of a name.",
     L"PE Format Ordinals"},
    {kMultiSelOrdinaryRow, kLookInForwardedExports, L"Look in forwarded (exported) functions",
     L"Enables searching for exported functions that are forwarded into another module's Export "
     L"table.",
     L"PE Format Export Forwarding"},
    {kMultiSelOrdinaryRow, kLookInCOnly, L"Look in C functions only",
     L"Enables searching for C functions and globals only.", L"C++ Decorated Names"},
    {kMultiSelOrdinaryRow, kLookInCppOnly, L"Look in C++ functions only",
     L"Enables searching for C++ functions and globals only.", L"C++ Decorated Names"},
};

constexpr MultiSelRow kImageTypeRows[] = {
    {kMultiSelOrdinaryRow, kImageType32, L"32-bit Executable Images",
     L"Condition for the image to be a 32-bit executable.", L"IMAGE_NT_OPTIONAL_HDR32_MAGIC"},
    {kMultiSelOrdinaryRow, kImageType64, L"64-bit Executable Images",
     L"Condition for the image to be a 64-bit executable.", L"IMAGE_NT_OPTIONAL_HDR64_MAGIC"},
    {kMultiSelOrdinaryRow, kImageTypeRom, L"ROM Images", L"Condition for the ROM image.",
     L"IMAGE_ROM_OPTIONAL_HDR_MAGIC"},
};

// Rows whose constant the results export already names: the table gives
// the bit, name and description, the export's table the constant.
struct NamedBit {
  uint64_t mask;
  const wchar_t* name;
  const wchar_t* description;
};

constexpr NamedBit kSubsystems[] = {
    {0x2000, L"Boot Application", L"Condition for the image to be a Windows boot application."},
    {0x8, L"Console Subsystem",
     L"Condition for the image to run in the Windows character-mode (console) subsystem."},
    {0x200, L"EFI Driver With Boot Services",
     L"Condition for the image to be an EFI driver that provides boot services."},
    {0x400, L"EFI Driver With Run-time Services",
     L"Condition for the image to be an EFI driver that provides run-time services."},
    {0x800, L"EFI ROM", L"Condition for the image to be an EFI ROM image."},
    {0x100, L"Extensible Firmware Interface (EFI) Application",
     L"Condition for the image to be an Extensible Firmware Interface (EFI) application."},
    {0x4, L"Graphical User Interface (GUI) Subsystem",
     L"Condition for the image to run in Graphical User Interface (GUI) subsystem."},
    {0x2, L"Native Subsystem",
     L"Condition for the image to run without a subsystem, as device drivers and native system "
     L"processes do."},
    {0x40, L"Native Win9x Driver", L"Condition for the image to be a native Win9x driver."},
    {0x10, L"OS/2 Subsystem", L"Condition for the image to run in the OS/2 character subsystem."},
    {0x20, L"POSIX Subsystem",
     L"Condition for the image to run in the POSIX character subsystem."},
    {0x1, L"Unknown Subsystem", L"Condition for the image to require an unknown subsystem."},
    {0x80, L"Windows CE System", L"Condition for the image to run in the Windows CE subsystem."},
    {0x1000, L"Xbox System", L"Condition for the image to run on the Xbox system."},
    {kSubsystemOther, L"Other Subsystem",
     L"Condition for the subsystem required to run the image to be anything other than the ones "
     L"listed above."},
};

constexpr NamedBit kCharacteristics[] = {
    {0x2, L"Address Space Layout Randomization (ASLR)",
     L"Condition for the image to be relocatable at load time, so that it can be loaded at a "
     L"random address (ASLR)."},
    {0x8, L"App Container", L"Condition for the image to run in an App Container."},
    {kCharBufferSecurityChecks, L"Buffer Overrun Checks",
     L"Condition for the image to be built with buffer overrun checks, that is, to have a "
     L"security cookie in its load configuration."},
    {0x20, L"Code Integrity Signature Checks",
     L"Condition for the image to have code integrity checks enforced via its signature."},
    {0x4, L"Control Flow Guard (CFG)", L"Condition for the image to support Control Flow Guard."},
    {0x1, L"Data Execution Prevention (DEP)",
     L"Condition for the image to be compatible with Data Execution Prevention."},
    {0x2000000, L"DLL", L"Condition for the image to be a dynamic-link library (DLL)."},
    {0x100000, L"Executable",
     L"Condition for the image to be marked as executable: it has no unresolved external "
     L"references."},
    {0x200, L"High Entropy ASLR (64-bit)",
     L"Condition for the image to handle a high-entropy 64-bit virtual address space."},
    {0x8000000, L"Large Address Aware (32-bit)",
     L"Condition for the image to handle addresses above 2 GB."},
    {0x10, L"Manifest Isolation",
     L"Condition for the image to be isolation aware without being isolated: the loader does "
     L"not look for an application manifest for it."},
    {0x800000, L"Network-Run-From-Swap-File",
     L"Condition for the image to be copied to the swap file and run from there when it is on a "
     L"network drive."},
    {0x80, L"No Binding", L"Condition for the image not to be bound."},
    {0x40, L"No SEH",
     L"Condition for the image not to use structured exception handling (SEH)."},
    {0x400000, L"Removable-Run-From-Swap-File",
     L"Condition for the image to be copied to the swap file and run from there when it is on "
     L"removable media."},
    {0x10000, L"Stripped Base Relocations",
     L"Condition for the image to have its base relocation information stripped, so that it "
     L"can load only at its preferred base address."},
    {0x200000, L"Stripped Debugging Info",
     L"Condition for the image to have its debugging information removed and kept in another "
     L"file."},
    {0x40000, L"Stripped Line Numbers",
     L"Condition for the image to have its COFF line numbers removed."},
    {0x20000, L"Stripped Symbols",
     L"Condition for the image to have its COFF local symbol table entries removed."},
    {0x4000000, L"System Image", L"Condition for the image to be a system file."},
    {0x400, L"Terminal Server Aware", L"Condition for the image to be Terminal Server aware."},
    {0x1000000, L"Uniprocessor Only",
     L"Condition for the image to run only on a uniprocessor computer."},
    {kCharDelayLoadVc6, L"VC6 Delay-Load Imports",
     L"Condition for the image to use the delay-load import table format of Visual C++ 6.0, "
     L"with addresses instead of relative virtual addresses."},
    {0x100, L"WDM Driver", L"Condition for the image to be a WDM driver."},
    {0x80000, L"32-bit Machine",
     L"Condition for the image to be for a computer with 32-bit words."},
};

constexpr NamedBit kDirectories[] = {
    {0x400, L".NET & COM Runtime Descriptor",
     L"Condition for the image to have the .NET (COM+) runtime descriptor directory, as managed "
     L"images do."},
    {0x10, L"Architecture-Specific Data Directory",
     L"Condition for the image to have the architecture-specific data directory."},
    {0x4, L"Base Relocation Table Directory",
     L"Condition for the image to have the base relocation table directory."},
    {0x80, L"Bound Import Directory", L"Condition for the image to have the bound import directory."},
    {0x8, L"Debug Directory", L"Condition for the image to have the debug directory."},
    {0x200, L"Delay-Load Import Table Directory",
     L"Condition for the image to have the delay-load import table directory."},
    {0x1, L"Exception Directory (64-bit)",
     L"Condition for the image to have the exception directory (the function table of 64-bit "
     L"images)."},
    {0x1000, L"Export Directory", L"Condition for the image to have the export directory."},
    {0x2000, L"Global Pointer",
     L"Condition for the image to have the relative virtual address of the global pointer."},
    {0x100, L"Import Address Table (IAT) Directory",
     L"Condition for the image to have the import address table (IAT) directory."},
    {0x800, L"Import Directory", L"Condition for the image to have the import directory."},
    {0x40, L"Load Configuration Directory",
     L"Condition for the image to have the load configuration directory."},
    {0x2, L"Security (Signatures) Directory",
     L"Condition for the image to have the security directory, which holds its signatures."},
    {0x20, L"Thread Local Storage (TLS) Directory",
     L"Condition for the image to have the thread local storage (TLS) directory."},
    {kDirResources, L"Resources Directory",
     L"Condition for the image to have the resource directory. You may also select specific "
     L"types of resources below. Otherwise all types will be matched."},
};

constexpr NamedBit kResourceTypes[] = {
    {0x100000000, L"Accelerator Resources",
     L"Condition for the image to have accelerator table resources."},
    {0x20000000000, L"Animated Cursor Resources",
     L"Condition for the image to have animated cursor resources."},
    {0x40000000000, L"Animated Icon Resources",
     L"Condition for the image to have animated icon resources."},
    {0x2000000, L"Bitmap Resources", L"Condition for the image to have bitmap resources."},
    {0x1000000, L"Cursor Resources (Hardware-Dependent)",
     L"Condition for the image to have hardware-dependent cursor resources."},
    {0x800000000, L"Cursor Resources (Hardware-Independent Group)",
     L"Condition for the image to have hardware-independent cursor group resources."},
    {0x10000000, L"Dialog Box Resources", L"Condition for the image to have dialog box resources."},
    {0x4000000000, L"DlgInclude Resources",
     L"Condition for the image to have dialog include file resources."},
    {0x40000000, L"Font Directory Resources",
     L"Condition for the image to have font directory resources."},
    {0x80000000, L"Font Resource", L"Condition for the image to have font resources."},
    {0x80000000000, L"HTML Resources", L"Condition for the image to have HTML resources."},
    {0x4000000, L"Icon Resources (Hardware-Dependent)",
     L"Condition for the image to have hardware-dependent icon resources."},
    {0x1000000000, L"Icon Resources (Hardware-Independent Group)",
     L"Condition for the image to have hardware-independent icon group resources."},
    {0x100000000000, L"Manifest Resources",
     L"Condition for the image to have side-by-side assembly manifest resources."},
    {0x8000000, L"Menu Resources", L"Condition for the image to have menu resources."},
    {0x400000000, L"Message-Table Resources",
     L"Condition for the image to have message-table resources."},
    {0x8000000000, L"Plug and Play Resources",
     L"Condition for the image to have Plug and Play resources."},
    {0x200000000, L"Raw Data Resources",
     L"Condition for the image to have application-defined raw data resources."},
    {0x20000000, L"String Resources", L"Condition for the image to have string-table resources."},
    {0x2000000000, L"Version Resources", L"Condition for the image to have version resources."},
    {0x10000000000, L"VxD Resources", L"Condition for the image to have VxD resources."},
    {kResourceTypeOther, L"Other Resource Types",
     L"Condition for the image to have resources of named types or of numbered types other than "
     L"the ones listed above."},
};

template <size_t N>
void AddRows(std::vector<MultiSelRow>& rows, uint32_t kind, const NamedBit (&table)[N],
             const wchar_t* (*constantOf)(uint64_t)) {
  for (const NamedBit& b : table) rows.push_back({kind, b.mask, b.name, b.description, constantOf(b.mask)});
}

// The constant beside "Buffer Overrun Checks" names the compiler option in
// full, where the export keeps it short.
const wchar_t* CharacteristicConstantForList(uint64_t bit) {
  return bit == kCharBufferSecurityChecks ? L"/GS compiler option" : CharacteristicConstantName(bit);
}

struct Tables {
  std::vector<MultiSelRow> subsystems, characteristics, directories, undecoration;
  std::array<MultiSelUseInfo, kMultiSelUseCount> uses;

  Tables() {
    AddRows(subsystems, kMultiSelOrdinaryRow, kSubsystems, SubsystemConstantName);
    AddRows(characteristics, kMultiSelOrdinaryRow, kCharacteristics, CharacteristicConstantForList);
    AddRows(directories, kMultiSelOrdinaryRow, kDirectories, DirectoryConstantName);
    AddRows(directories, kMultiSelResourceTypeRow, kResourceTypes, ResourceTypeConstantName);
    for (const UndnameFlagInfo& f : UndnameFlagTable())
      undecoration.push_back({kMultiSelOrdinaryRow, f.value, f.name, f.description, f.name});

    uses[kMultiSelLookIn] = {
        kMultiSelLookIn, L"'Look In' Filter",
        L"This window lets you specify where to look for WinAPIs. If nothing is selected, it will "
        L"search in all possible locations.",
        L"&All available locations", setting::kMSLookInWnd, 1.2, 1.3, false, kLookInRows};
    uses[kMultiSelImageType] = {
        kMultiSelImageType, L"'Image Type' Filter",
        L"This window lets you specify types of image files to search. If nothing is selected, "
        L"will search any image file.",
        L"Match &All", setting::kMSTypeWnd, 1.2, 1.3, false, kImageTypeRows};
    uses[kMultiSelSubsystems] = {
        kMultiSelSubsystems, L"'PE Header Subsystems' Filter",
        L"This window lets you specify PE header subsystems of an image file to be suitable for "
        L"search. If nothing is selected, will search any image file.",
        L"Match &All", setting::kMSSubsysWnd, 1.4, 1.7, false, subsystems};
    uses[kMultiSelCharacteristics] = {
        kMultiSelCharacteristics, L"'PE Header Characteristics' Filter",
        L"This window lets you specify characteristics of an image file to be suitable for "
        L"search. If nothing is selected, will search any image file. Each checked line in the "
        L"left list can have on or off value that can be specified in the right list.",
        L"Match &All", setting::kMSCharWnd, 1.8, 1.9, true, characteristics};
    uses[kMultiSelDirectories] = {
        kMultiSelDirectories, L"'PE Header Directories' Filter",
        L"This window lets you specify PE header directories to be present in an image file to "
        L"be suitable for search. If nothing is selected, will search any image file. Each "
        L"checked line in the left list can have on or off value that can be specified in the "
        L"right list.",
        L"Match &All", setting::kMSDirWnd, 1.9, 2.1, true, directories};
    uses[kMultiSelUndecorationFlags] = {
        kMultiSelUndecorationFlags, L"Undecorate C++ Symbol Flags",
        L"This window lets you specify flags for undecorating C++ symbol names. If nothing is "
        L"selected, it will enable full undecoration.",
        L"&Full Undecoration", setting::kMSUndecWnd, 1.9, 1.8, false, undecoration};
  }
};

const Tables& AllTables() {
  static const Tables tables;
  return tables;
}

}  // namespace

const MultiSelUseInfo* MultiSelUseOf(int use) {
  if (use < 0 || use >= kMultiSelUseCount) return nullptr;
  return &AllTables().uses[static_cast<size_t>(use)];
}

uint64_t MultiSelKnownBits(const MultiSelUseInfo& info) {
  uint64_t bits = 0;
  for (const MultiSelRow& r : info.rows) bits |= r.mask;
  return bits;
}

}  // namespace tarnix
