#include "pe/image_properties.h"

namespace tarnix {

const BitLabel kImageTypeLabels[3] = {
    {kImageType32, L"32-bit"}, {kImageType64, L"64-bit"}, {kImageTypeRom, L"ROM Img"}};

const BitLabel kSubsystemLabels[15] = {
    {0x1, L"Unknown"},      {0x2, L"Native"},       {0x4, L"GUI"},
    {0x8, L"Console"},      {0x10, L"OS/2"},        {0x20, L"Posix"},
    {0x40, L"Native9x"},    {0x80, L"WinCE"},       {0x100, L"EFI App"},
    {0x200, L"EFI Boot"},   {0x400, L"EFI Runtime"}, {0x800, L"EFI ROM"},
    {0x1000, L"Xbox"},      {0x2000, L"Boot"},      {kSubsystemOther, L"Other"},
};

const BitLabel kCharacteristicLabels[25] = {
    {0x1, L"DEP"},
    {0x2, L"ASLR"},
    {0x4, L"CFG"},
    {0x8, L"AppCtnr"},
    {0x10, L"NoMnfst"},
    {0x20, L"SigChecks"},
    {0x40, L"NoSEH"},
    {0x80, L"NoBind"},
    {0x100, L"WDM"},
    {0x200, L"ASLR-64"},
    {0x400, L"TermSrvrAwr"},
    {0x10000, L"NoReloc"},
    {0x20000, L"NoSymb"},
    {0x40000, L"NoLineNum"},
    {0x80000, L"32bit"},
    {0x100000, L"Exe"},
    {0x200000, L"NoDbgInf"},
    {0x400000, L"RmvbRunSwap"},
    {0x800000, L"NtwkRunSwap"},
    {0x1000000, L"UniCPU"},
    {0x2000000, L"Dll"},
    {0x4000000, L"SysImg"},
    {0x8000000, L"LgAddrAware"},
    {kCharDelayLoadVc6, L"DelayLdVC6"},
    {kCharBufferSecurityChecks, L"BuffSecChks"},
};

const BitLabel kDirectoryLabels[15] = {
    {0x1, L"ExcptTbl"},  {0x2, L"Sigs"},       {0x4, L"Reloc"},   {0x8, L"Dbg"},
    {0x10, L"ArctData"}, {0x20, L"TLS"},       {0x40, L"LdConfgData"},
    {0x80, L"BoundImp"}, {0x100, L"IAT"},      {0x200, L"DelayLd"}, {0x400, L".NET"},
    {0x800, L"Imports"}, {0x1000, L"Exports"}, {0x2000, L"GlbPtr"}, {kDirResources, L"Rcsrs"},
};

const BitLabel kResourceTypeLabels[22] = {
    {0x1000000, L"Cur"},        {0x2000000, L"Bmp"},         {0x4000000, L"Icn"},
    {0x8000000, L"Menu"},       {0x10000000, L"Dlg"},        {0x20000000, L"Strs"},
    {0x40000000, L"FntDir"},    {0x80000000, L"Fnt"},        {0x100000000, L"Accel"},
    {0x200000000, L"RcData"},   {0x400000000, L"MsgTbl"},    {0x800000000, L"GrpCur"},
    {0x1000000000, L"GrpIcn"},  {0x2000000000, L"Ver"},      {0x4000000000, L"DlgInc"},
    {0x8000000000, L"PlgPly"},  {0x10000000000, L"VxD"},     {0x20000000000, L"AniCur"},
    {0x40000000000, L"AniIcn"}, {0x80000000000, L"HTML"},    {0x100000000000, L"Mnfst"},
    {kResourceTypeOther, L"Other"},
};

uint64_t SubsystemBitOf(uint32_t subsystem) {
  // Indexed by the Subsystem value; 0 marks the unassigned values 4, 6, 15.
  static constexpr uint64_t kBits[17] = {0x1,   0x2,   0x4,   0x8,   0,    0x10,
                                         0,     0x20,  0x40,  0x80,  0x100, 0x200,
                                         0x400, 0x800, 0x1000, 0,    0x2000};
  if (subsystem >= 17 || kBits[subsystem] == 0) return kSubsystemOther;
  return kBits[subsystem];
}

uint64_t CharacteristicBitsOf(uint16_t characteristics, uint16_t dllCharacteristics) {
  struct Map {
    uint16_t source;
    uint64_t bit;
  };
  static constexpr Map kDll[] = {
      {0x0100, 0x1},  {0x0040, 0x2},  {0x4000, 0x4},   {0x1000, 0x8},
      {0x0200, 0x10}, {0x0080, 0x20}, {0x0400, 0x40},  {0x0800, 0x80},
      {0x2000, 0x100}, {0x0020, 0x200}, {0x8000, 0x400},
  };
  static constexpr Map kCoff[] = {
      {0x0001, 0x10000},   {0x0008, 0x20000},   {0x0004, 0x40000},
      {0x0100, 0x80000},   {0x0002, 0x100000},  {0x0200, 0x200000},
      {0x0400, 0x400000},  {0x0800, 0x800000},  {0x4000, 0x1000000},
      {0x2000, 0x2000000}, {0x1000, 0x4000000}, {0x0020, 0x8000000},
  };
  uint64_t bits = 0;
  for (const Map& m : kDll)
    if (dllCharacteristics & m.source) bits |= m.bit;
  for (const Map& m : kCoff)
    if (characteristics & m.source) bits |= m.bit;
  return bits;
}

uint64_t DirectoryBitOf(uint32_t index) {
  static constexpr uint64_t kBits[15] = {0x1000, 0x800, 0x4000, 0x1,  0x2,   0x4,   0x8,  0x10,
                                         0x2000, 0x20,  0x40,   0x80, 0x100, 0x200, 0x400};
  return index < 15 ? kBits[index] : 0;
}

uint64_t ResourceTypeBitOf(uint32_t type) {
  if (type == 0 || type == 13 || type == 15 || type == 18) return 0;
  if (type > 24) return kResourceTypeOther;
  // Types 1..24 take bits 24.. in order, skipping the three numbers without one.
  uint32_t skipped = (type > 13) + (type > 15) + (type > 18);
  return 0x1000000ULL << (type - 1 - skipped);
}

const wchar_t* BindingText(uint32_t binding) {
  switch (binding) {
    case kBindingUnbound: return L"Unbound";
    case kBindingBound: return L"Bound";
    case kBindingBoundOld: return L"Bound (old)";
    default: return L"";
  }
}

}  // namespace tarnix
