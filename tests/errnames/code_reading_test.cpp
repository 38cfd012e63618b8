// What the bits of a value say, and the one-line description of a value.
#include "errnames/code_reading.h"

#include <gtest/gtest.h>

namespace tarnix {
namespace {

TEST(CodeReading, HresultFields) {
  const HresultReading r = ReadHresult(0x80070005);
  EXPECT_EQ(r.severity, 1u);
  EXPECT_EQ(r.facility, 7u);
  EXPECT_EQ(r.code, 5u);
  EXPECT_FALSE(r.customer || r.reserved || r.fromNtStatus);
  EXPECT_EQ(HresultReadingText(0x80070005),
            L"HRESULT: severity 1, facility WIN32 (7), code 5 = ERROR_ACCESS_DENIED");

  const HresultReading c = ReadHresult(0xA7FF1234);
  EXPECT_TRUE(c.customer);
  EXPECT_EQ(c.facility, 0x7FFu);  // 11 bits: bit 27 and up are not the facility
  EXPECT_EQ(HresultReadingText(0xA7FF1234),
            L"HRESULT: severity 1, customer, facility 2047, code 0x1234");
  EXPECT_EQ(HresultReadingText(0x80040154), L"HRESULT: severity 1, facility ITF (4), code 0x0154");
  // An NTSTATUS made an HRESULT names the status it came from.
  EXPECT_EQ(HresultReadingText(0xD0000022),
            L"HRESULT: severity 1, from NTSTATUS 0xC0000022 = STATUS_ACCESS_DENIED");
  // A Win32 code without a name inside an HRESULT.
  EXPECT_EQ(HresultReadingText(0x8007FFFE), L"HRESULT: severity 1, facility WIN32 (7), code 65534");
}

TEST(CodeReading, NtStatusFields) {
  const NtStatusReading r = ReadNtStatus(0xC0000022);
  EXPECT_EQ(r.severity, 3u);
  EXPECT_EQ(r.facility, 0u);
  EXPECT_EQ(r.code, 0x22u);
  EXPECT_EQ(NtStatusReadingText(0xC0000022),
            L"NTSTATUS: severity 3 (error), facility 0, code 0x0022");
  EXPECT_EQ(ReadNtStatus(0xCFFF0001).facility, 0xFFFu);  // 12 bits
  EXPECT_EQ(
      NtStatusReadingText(0x60020001),
      L"NTSTATUS: severity 1 (informational), customer, facility RPC_RUNTIME (2), code 0x0001");
}

TEST(CodeReading, WhichReadingsAValueGets) {
  auto readings = [](uint32_t v) {
    const CodeReadings r = ReadingsOf(v);
    return std::string(r.win32 ? "W" : "") + (r.hresult ? "H" : "") + (r.ntStatus ? "N" : "");
  };
  EXPECT_EQ(readings(0), "W");
  EXPECT_EQ(readings(0xFFFF), "W");
  EXPECT_EQ(readings(0x10000), "H");
  EXPECT_EQ(readings(0x80070005), "H");
  EXPECT_EQ(readings(0xC0000022), "N");
  EXPECT_EQ(readings(0x40000000), "N");
  EXPECT_EQ(readings(0xD0000022), "H");   // the NT bit makes it an HRESULT
  EXPECT_EQ(readings(0x80000005), "HN");  // STATUS_BUFFER_OVERFLOW, a warning
  EXPECT_EQ(readings(0x12345678), "H");

  EXPECT_EQ(HresultFromWin32(0), 0u);
  EXPECT_EQ(HresultFromWin32(5), 0x80070005u);
  EXPECT_EQ(HresultFromWin32(0x12345), 0x80072345u);
  EXPECT_EQ(HresultFromWin32(0x80004005), 0x80004005u);  // already negative
  EXPECT_EQ(Win32ReadingText(5), L"Win32: code 5, as HRESULT 0x80070005 = E_ACCESSDENIED");
  EXPECT_EQ(Win32ReadingText(0xFFFE), L"Win32: code 65534, as HRESULT 0x8007FFFE");
}

TEST(CodeReading, DescriptionOfAValue) {
  EXPECT_EQ(CodeDescription(0x80070005),
            L"E_ACCESSDENIED \u2014 HRESULT: severity 1, facility WIN32 (7), code 5 = "
            L"ERROR_ACCESS_DENIED");
  EXPECT_EQ(CodeDescription(5),
            L"ERROR_ACCESS_DENIED \u2014 Win32: code 5, as HRESULT 0x80070005 = E_ACCESSDENIED");
  EXPECT_EQ(CodeDescription(0xC0000022),
            L"STATUS_ACCESS_DENIED \u2014 NTSTATUS: severity 3 (error), facility 0, code 0x0022");
  EXPECT_EQ(CodeDescription(0x80000005),
            L"STATUS_BUFFER_OVERFLOW \u2014 HRESULT: severity 1, facility NULL (0), code 0x0005; "
            L"NTSTATUS: severity 2 (warning), facility 0, code 0x0005");
  EXPECT_EQ(CodeDescription(0x80FF0001),
            L"no known name \u2014 HRESULT: severity 1, facility 255, code 0x0001");
  const std::wstring zero = CodeDescription(0);
  EXPECT_EQ(zero.rfind(L"DNS_ERROR_RCODE_NO_ERROR, DS_S_SUCCESS, ERROR_SUCCESS, ", 0), 0u) << zero;
  EXPECT_NE(zero.find(L" \u2014 Win32: code 0, as HRESULT 0x00000000 = SEC_E_OK, S_OK"),
            std::wstring::npos)
      << zero;
}

}  // namespace
}  // namespace tarnix
