#include "pe/result_kind.h"

#include "core/wformat.h"

namespace tarnix {

std::wstring ResultKindText(uint32_t kind) {
  static constexpr const wchar_t* kTexts[] = {
      L"Import",
      L"Import (C++)",
      L"Export",
      L"Export (C++)",
      L"Export Forwarded",
      L"Export Forwarded (C++)",
      L"Delay-Load Import",
      L"Delay-Load Import (C++)",
      L"Import (Ordinal)",
      L"Delay-Load Import (Ordinal)",
      L"Export (Ordinal)",
      L"Imported Library",
      L"Delay-Load Imported Library",
      L"Image",
  };
  if (kind >= kKindImport && kind <= kKindImage) return kTexts[kind - 1];
  return WFormat(L"Unrecognized value: 0x%X", kind);
}

}  // namespace tarnix
