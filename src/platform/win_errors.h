#pragma once
// Win32 error codes that the program raises or reports. The numbers are the
// platform's, so stored files, presets and messages stay compatible.
#include <cstdint>

namespace tarnix {

inline constexpr uint32_t ERROR_SUCCESS = 0;
inline constexpr uint32_t ERROR_INVALID_FUNCTION = 1;
inline constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr uint32_t ERROR_PATH_NOT_FOUND = 3;
inline constexpr uint32_t ERROR_TOO_MANY_OPEN_FILES = 4;
inline constexpr uint32_t ERROR_ACCESS_DENIED = 5;
inline constexpr uint32_t ERROR_INVALID_HANDLE = 6;
inline constexpr uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr uint32_t ERROR_INVALID_BLOCK = 9;
inline constexpr uint32_t ERROR_BAD_FORMAT = 11;
inline constexpr uint32_t ERROR_INVALID_ACCESS = 12;
inline constexpr uint32_t ERROR_INVALID_DATA = 13;
inline constexpr uint32_t ERROR_OUTOFMEMORY = 14;
inline constexpr uint32_t ERROR_NO_MORE_FILES = 18;
inline constexpr uint32_t ERROR_BAD_UNIT = 20;
inline constexpr uint32_t ERROR_NOT_READY = 21;
inline constexpr uint32_t ERROR_BAD_LENGTH = 24;
inline constexpr uint32_t ERROR_SEEK = 25;
inline constexpr uint32_t ERROR_WRITE_FAULT = 29;
inline constexpr uint32_t ERROR_READ_FAULT = 30;
inline constexpr uint32_t ERROR_GEN_FAILURE = 31;
inline constexpr uint32_t ERROR_SHARING_VIOLATION = 32;
inline constexpr uint32_t ERROR_LOCK_VIOLATION = 33;
inline constexpr uint32_t ERROR_HANDLE_EOF = 38;
inline constexpr uint32_t ERROR_HANDLE_DISK_FULL = 39;
inline constexpr uint32_t ERROR_NOT_SUPPORTED = 50;
inline constexpr uint32_t ERROR_TOO_MANY_CMDS = 56;
inline constexpr uint32_t ERROR_NETNAME_DELETED = 64;
inline constexpr uint32_t ERROR_NETWORK_ACCESS_DENIED = 65;
inline constexpr uint32_t ERROR_TOO_MANY_NAMES = 68;
inline constexpr uint32_t ERROR_FILE_EXISTS = 80;
inline constexpr uint32_t ERROR_ALREADY_ASSIGNED = 85;
inline constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr uint32_t ERROR_BROKEN_PIPE = 109;
inline constexpr uint32_t ERROR_BUFFER_OVERFLOW = 111;
inline constexpr uint32_t ERROR_DISK_FULL = 112;
inline constexpr uint32_t ERROR_INVALID_CATEGORY = 117;
inline constexpr uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr uint32_t ERROR_INVALID_NAME = 123;
inline constexpr uint32_t ERROR_DIR_NOT_EMPTY = 145;
inline constexpr uint32_t ERROR_BUSY = 170;
inline constexpr uint32_t ERROR_ALREADY_EXISTS = 183;
inline constexpr uint32_t ERROR_BAD_EXE_FORMAT = 193;
inline constexpr uint32_t ERROR_FILENAME_EXCED_RANGE = 206;
inline constexpr uint32_t ERROR_FILE_TOO_LARGE = 223;
inline constexpr uint32_t ERROR_PIPE_NOT_CONNECTED = 233;
inline constexpr uint32_t ERROR_MORE_DATA = 234;
inline constexpr uint32_t ERROR_NO_MORE_ITEMS = 259;
inline constexpr uint32_t ERROR_DIRECTORY = 267;
inline constexpr uint32_t ERROR_INVALID_EXCEPTION_HANDLER = 310;
inline constexpr uint32_t ERROR_MR_MID_NOT_FOUND = 317;
inline constexpr uint32_t ERROR_CHECKSUM_MISMATCH = 327;
inline constexpr uint32_t ERROR_INVALID_ADDRESS = 487;
inline constexpr uint32_t ERROR_INVALID_FLAGS = 1004;
inline constexpr uint32_t ERROR_NO_ASSOCIATION = 1155;
inline constexpr uint32_t ERROR_NOT_FOUND = 1168;
inline constexpr uint32_t ERROR_INVALID_WINDOW_HANDLE = 1400;
inline constexpr uint32_t ERROR_CANCELLED = 1223;
inline constexpr uint32_t ERROR_INVALID_NE_IMAGE = 1286;  // 16-bit (NE) image
inline constexpr uint32_t ERROR_INVALID_NAME_LENGTH = 1283;
inline constexpr uint32_t ERROR_INVALID_RESOURCE = 1337;
inline constexpr uint32_t ERROR_TIMEOUT = 1460;
inline constexpr uint32_t ERROR_INCORRECT_SIZE = 1462;
inline constexpr uint32_t ERROR_INVALID_FIELD = 1616;
inline constexpr uint32_t ERROR_CANNOT_COMPOSE = 1656;
inline constexpr uint32_t ERROR_FILE_TOO_SMALL = 1782;
inline constexpr uint32_t ERROR_INVALID_DATATYPE = 1804;
inline constexpr uint32_t ERROR_RESOURCE_DATA_NOT_FOUND = 1812;
inline constexpr uint32_t ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
inline constexpr uint32_t ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
inline constexpr uint32_t ERROR_RESOURCE_LANG_NOT_FOUND = 1815;
inline constexpr uint32_t ERROR_NOT_ENOUGH_QUOTA = 1816;
inline constexpr uint32_t ERROR_UNSUPPORTED_VERSION = 1828;
inline constexpr uint32_t ERROR_BAD_VERSION_KEY = 1903;
inline constexpr uint32_t ERROR_CANT_RESOLVE_FILENAME = 1921;
inline constexpr uint32_t ERROR_EMPTY_NAME = 2115;
inline constexpr uint32_t ERROR_NOT_ABSOLUTE_PATH = 2356;
inline constexpr uint32_t ERROR_RVA_OUT_OF_RANGE = 2371;
inline constexpr uint32_t ERROR_BAD_PATH_ITEM = 2380;
inline constexpr uint32_t ERROR_UNKNOWN_ID = 4200;
inline constexpr uint32_t ERROR_NOTHING_ENTERED = 4306;
inline constexpr uint32_t ERROR_VALUE_TOO_LARGE = 5913;
inline constexpr uint32_t ERROR_EMPTY_TEXT = 8255;
inline constexpr uint32_t ERROR_NAME_TOO_LONG = 8348;
inline constexpr uint32_t ERROR_NO_SUCH_BUILD = 9553;
inline constexpr uint32_t ERROR_INTERNET_TIMEOUT = 12002;
inline constexpr uint32_t ERROR_BAD_NUMBER_TEXT = 12027;
inline constexpr uint32_t ERROR_UNDECORATION_FAILED = 12175;
inline constexpr uint32_t ERROR_NOT_AN_IMAGE = 13824;
inline constexpr uint32_t ERROR_NO_PROCESS_ID = 13869;
inline constexpr uint32_t ERROR_MUI_FILE_NOT_FOUND = 15100;
inline constexpr uint32_t ERROR_MUI_FILE_NOT_LOADED = 15105;
inline constexpr uint32_t ERROR_BAD_VERSION_TABLE = 15112;

// Range presets, their import and the modules of ranges.
inline constexpr uint32_t ERROR_MOD_NOT_FOUND = 126;
inline constexpr uint32_t ERROR_INVALID_FLAG_NUMBER = 186;
inline constexpr uint32_t ERROR_SEPARATOR_MISSING = 3902;
inline constexpr uint32_t ERROR_TOO_MANY_ITEMS = 8248;
inline constexpr uint32_t ERROR_INVALID_NAME_CHARS = 9954;
inline constexpr uint32_t ERROR_NAME_ALREADY_USED = 15119;
inline constexpr uint32_t ERROR_TOO_MANY_PRESETS = 15140;

// Stores, locks and preset files.
inline constexpr uint32_t ERROR_BAD_PATHNAME = 161;
inline constexpr uint32_t ERROR_REGISTRY_CORRUPT = 1015;
inline constexpr uint32_t ERROR_KEY_DELETED = 1018;
inline constexpr uint32_t ERROR_REGISTRY_IO_FAILED = 1016;
inline constexpr uint32_t ERROR_FILE_CORRUPT = 1392;
inline constexpr uint32_t ERROR_EVENTLOG_FILE_CORRUPT = 1500;

// Module resolution and symbol location.
inline constexpr uint32_t ERROR_PROC_NOT_FOUND = 127;

}  // namespace tarnix
