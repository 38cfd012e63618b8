#pragma once
// Short texts that describe a search's Look In selection and PE header
// filter, as the status output and the HTML report show them.
#include <cstdint>
#include <string>

namespace tarnix {

std::wstring DescribeImageTypes(uint64_t mask);     // "32bit | 64bit", "All"
std::wstring DescribeSubsystems(uint64_t mask);     // "GUI | Console", "All"
std::wstring DescribeCharacteristics(uint64_t mask, uint64_t values);  // "Dll=1 | DEP=0"
std::wstring DescribeDirectories(uint64_t mask, uint64_t values);
std::wstring DescribeLookIn(uint64_t mask);         // "Exp | Imp", "All Available"
// A time-stamp bound (a FILETIME; 0 = not set): "All", the local date and
// time, or "<err:%d>" / "<err_c:%d>" when it cannot be converted.
std::wstring DescribeTimeBound(uint64_t fileTime);

}  // namespace tarnix
