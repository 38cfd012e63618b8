/* A read-only FUSE pass-through that waits before every read, to time a
 * search on a slow file system (a network share, WSL's /mnt/c, a cold
 * disk) on any machine. Listings and file attributes answer at once; every
 * read of file data, and so every page a mapping faults in, first sleeps
 * DELAY_US microseconds. The kernel keeps no page of a file from one open
 * to the next, so every run reads everything again.
 *
 *   slow_fs SOURCE MOUNTPOINT DELAY_US   (unmount with fusermount3 -u)
 *
 * Build: cc -O2 slow_fs.c $(pkg-config --cflags --libs fuse3) -o slow_fs */
#define FUSE_USE_VERSION 31
#define _GNU_SOURCE
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static char g_source[PATH_MAX];
static long g_delay_us;

static int Path(const char *path, char *out) {
  return snprintf(out, PATH_MAX, "%s%s", g_source, path) < PATH_MAX ? 0 : -ENAMETOOLONG;
}

static int Getattr(const char *path, struct stat *st, struct fuse_file_info *fi) {
  (void)fi;
  char full[PATH_MAX];
  if (Path(path, full)) return -ENAMETOOLONG;
  return lstat(full, st) == 0 ? 0 : -errno;
}

static int Readlink(const char *path, char *buf, size_t size) {
  char full[PATH_MAX];
  if (Path(path, full)) return -ENAMETOOLONG;
  ssize_t n = readlink(full, buf, size - 1);
  if (n < 0) return -errno;
  buf[n] = '\0';
  return 0;
}

static int Readdir(const char *path, void *buf, fuse_fill_dir_t fill, off_t offset,
                   struct fuse_file_info *fi, enum fuse_readdir_flags flags) {
  (void)offset, (void)fi, (void)flags;
  char full[PATH_MAX];
  if (Path(path, full)) return -ENAMETOOLONG;
  DIR *dir = opendir(full);
  if (!dir) return -errno;
  for (struct dirent *d; (d = readdir(dir)) != NULL;) {
    struct stat st;
    memset(&st, 0, sizeof st);
    st.st_ino = d->d_ino;
    st.st_mode = (mode_t)(DTTOIF(d->d_type));
    if (fill(buf, d->d_name, &st, 0, 0)) break;
  }
  closedir(dir);
  return 0;
}

static int Open(const char *path, struct fuse_file_info *fi) {
  if ((fi->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
  char full[PATH_MAX];
  if (Path(path, full)) return -ENAMETOOLONG;
  int fd = open(full, O_RDONLY);
  if (fd < 0) return -errno;
  fi->fh = (uint64_t)fd;
  return 0;
}

static int Read(const char *path, char *buf, size_t size, off_t offset, struct fuse_file_info *fi) {
  (void)path;
  struct timespec wait = {g_delay_us / 1000000, (g_delay_us % 1000000) * 1000};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {}
  ssize_t n = pread((int)fi->fh, buf, size, offset);
  return n < 0 ? -errno : (int)n;
}

static int Release(const char *path, struct fuse_file_info *fi) {
  (void)path;
  close((int)fi->fh);
  return 0;
}

static const struct fuse_operations kOperations = {
    .getattr = Getattr,
    .readlink = Readlink,
    .open = Open,
    .read = Read,
    .release = Release,
    .readdir = Readdir,
};

int main(int argc, char **argv) {
  if (argc != 4 || !realpath(argv[1], g_source)) {
    fprintf(stderr, "usage: slow_fs SOURCE MOUNTPOINT DELAY_US\n");
    return 2;
  }
  g_delay_us = strtol(argv[3], NULL, 10);
  char *args[] = {argv[0], argv[2], "-o", "ro,fsname=slow_fs", NULL};
  return fuse_main(4, args, &kOperations, NULL);
}
