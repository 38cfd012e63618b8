// tarnix-cli settings list: every stored value (key, name, type, data), one
// per line, tab-separated.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "core/error_text.h"
#include "core/registry_settings.h"
#include "core/wformat.h"
#include "platform/registry.h"
#include "platform/text_encoding.h"

namespace tarnix::cli {
namespace {

const wchar_t* TypeName(uint32_t type) {
  switch (type) {
    case REG_SZ: return L"REG_SZ";
    case REG_EXPAND_SZ: return L"REG_EXPAND_SZ";
    case REG_BINARY: return L"REG_BINARY";
    case REG_DWORD: return L"REG_DWORD";
    case REG_MULTI_SZ: return L"REG_MULTI_SZ";
    case REG_QWORD: return L"REG_QWORD";
    default: return nullptr;
  }
}

// Control characters and backslashes escaped, so one value stays one line.
std::wstring Quoted(const std::wstring& s) {
  std::wstring out = L"\"";
  for (wchar_t c : s) {
    if (c == L'"' || c == L'\\') {
      out += L'\\';
      out += c;
    } else if (c < 0x20) {
      out += WFormat(L"\\x%02x", static_cast<unsigned>(c));
    } else {
      out += c;
    }
  }
  return out + L"\"";
}

std::wstring DataText(const RegValue& v) {
  const auto& d = v.data;
  switch (v.type) {
    case REG_DWORD:
      if (d.size() == 4) {
        uint32_t x = d[0] | d[1] << 8 | d[2] << 16 | static_cast<uint32_t>(d[3]) << 24;
        return WFormat(L"%u (0x%08X)", x, x);
      }
      break;
    case REG_QWORD:
      if (d.size() == 8) {
        unsigned long long x = 0;
        for (int i = 7; i >= 0; --i) x = x << 8 | d[static_cast<size_t>(i)];
        return WFormat(L"%llu (0x%016llX)", x, x);
      }
      break;
    case REG_SZ:
    case REG_EXPAND_SZ: return Quoted(RegBytesText(d.data(), d.size()));
    case REG_MULTI_SZ: {
      std::wstring out;
      for (const auto& s : RegBytesMultiText(d.data(), d.size())) {
        if (!out.empty()) out += L", ";
        out += Quoted(s);
      }
      return out;
    }
    default: break;
  }
  std::wstring hex;
  for (size_t i = 0; i < d.size(); ++i) hex += WFormat(i ? L" %02X" : L"%02X", d[i]);
  return hex;
}

int RunSettings(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0] != "list") {
    std::fprintf(stderr, "usage: tarnix-cli settings list\n");
    return kExitUsage;
  }
  std::vector<RegValue> values;
  if (uint32_t err = Registry::ListValues(values)) {
    std::fprintf(stderr, "tarnix-cli: cannot read %s\n\n%s\n", Registry::DatabasePath().c_str(),
                 ToUtf8(ErrorText(err)).c_str());
    return kExitSomeFailed;
  }
  for (const auto& v : values) {
    const wchar_t* type = TypeName(v.type);
    std::wstring typeText = type ? std::wstring(type) : WFormat(L"<0x%x>", v.type);
    std::wstring line = v.key + L"\t" + v.name + L"\t" + typeText + L"\t" + DataText(v) + L"\n";
    std::fputs(ToUtf8(line).c_str(), stdout);
  }
  return kExitOk;
}

CommandRegistrar registrar("settings", "list the stored settings (list)", RunSettings);

}  // namespace
}  // namespace tarnix::cli
