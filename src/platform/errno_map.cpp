#include "platform/errno_map.h"

#include <cerrno>

#include "platform/last_error.h"
#include "platform/win_errors.h"

namespace tarnix {

uint32_t Win32FromErrno(int err) {
  switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case EISDIR: return ERROR_DIRECTORY;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC: return ERROR_DISK_FULL;
    case EFBIG: return ERROR_FILE_TOO_LARGE;
    case EAGAIN: return ERROR_SHARING_VIOLATION;
    case EBUSY: return ERROR_BUSY;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case EIO: return ERROR_READ_FAULT;
    case ESPIPE: return ERROR_SEEK;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ELOOP: return ERROR_PATH_NOT_FOUND;
    case ENODEV:
    case ENXIO: return ERROR_NOT_READY;
    case ENOTSUP: return ERROR_NOT_SUPPORTED;
    case EINTR: return ERROR_CANCELLED;
    default: return ERROR_GEN_FAILURE;
  }
}

uint32_t SetLastErrorFromErrno() {
  uint32_t code = Win32FromErrno(errno);
  SetLastError(code);
  return code;
}

}  // namespace tarnix
