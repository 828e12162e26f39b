/* A FUSE 3 file system for the tests: it passes every request through to a
 * backing directory, but its rename ignores the flags it is given, as a
 * libfuse 3 file system may: RENAME_NOREPLACE is accepted, and a taken
 * target name is replaced all the same.
 *
 * The kernel looks a rename's target up again just before sending the
 * request, so a test cannot simply hide a taken name from it. It plays
 * another client of a network file system instead: a file the test left as
 * ".late-NAME" in the backing directory becomes NAME the moment a request to
 * create NAME (rename, link, create) arrives, after the kernel's lookup and
 * before the file system acts.
 *
 *   flag_ignoring_fs BACKING MOUNTPOINT [libfuse options]
 *
 * It daemonizes once the mount is in place (unless -f is given), so the
 * command returns when the mount can be used. */
#define FUSE_USE_VERSION 31
#define _GNU_SOURCE

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

static int backing = -1;

/* The request's path relative to the backing directory. */
static const char* Rel(const char* path) {
  return path[1] == '\0' ? "." : path + 1;
}

static int Result(int rc) {
  return rc < 0 ? -errno : 0;
}

/* Another client's file that lands on `path` just now, if the test left one. */
static void ArriveLate(const char* path) {
  const char* rel = Rel(path);
  const char* base = strrchr(rel, '/');
  base = base == NULL ? rel : base + 1;
  char late[4096];
  if (snprintf(late, sizeof late, "%.*s.late-%s", (int)(base - rel), rel, base) >= (int)sizeof late)
    return;
  renameat(backing, late, backing, rel);
}

static int DoGetattr(const char* path, struct stat* st, struct fuse_file_info* fi) {
  if (fi != NULL) return Result(fstat((int)fi->fh, st));
  return Result(fstatat(backing, Rel(path), st, AT_SYMLINK_NOFOLLOW));
}

static int DoReaddir(const char* path, void* buf, fuse_fill_dir_t fill, off_t offset,
                     struct fuse_file_info* fi, enum fuse_readdir_flags flags) {
  (void)offset;
  (void)fi;
  (void)flags;
  const int fd = openat(backing, Rel(path), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -errno;
  DIR* dir = fdopendir(fd);
  if (dir == NULL) {
    const int error = errno;
    close(fd);
    return -error;
  }
  struct dirent* entry;
  while ((entry = readdir(dir)) != NULL)
    if (fill(buf, entry->d_name, NULL, 0, 0) != 0) break;
  closedir(dir);
  return 0;
}

static int DoMkdir(const char* path, mode_t mode) {
  return Result(mkdirat(backing, Rel(path), mode));
}
static int DoRmdir(const char* path) {
  return Result(unlinkat(backing, Rel(path), AT_REMOVEDIR));
}
static int DoUnlink(const char* path) {
  return Result(unlinkat(backing, Rel(path), 0));
}
static int DoLink(const char* from, const char* to) {
  ArriveLate(to);
  return Result(linkat(backing, Rel(from), backing, Rel(to), 0));
}

/* The fault this file system exists for: the flags are dropped. */
static int DoRename(const char* from, const char* to, unsigned int flags) {
  (void)flags;
  ArriveLate(to);
  return Result(renameat(backing, Rel(from), backing, Rel(to)));
}

static int DoCreate(const char* path, mode_t mode, struct fuse_file_info* fi) {
  ArriveLate(path);
  const int fd = openat(backing, Rel(path), fi->flags | O_CLOEXEC, mode);
  if (fd < 0) return -errno;
  fi->fh = (uint64_t)fd;
  return 0;
}
static int DoOpen(const char* path, struct fuse_file_info* fi) {
  const int fd = openat(backing, Rel(path), fi->flags | O_CLOEXEC);
  if (fd < 0) return -errno;
  fi->fh = (uint64_t)fd;
  return 0;
}
static int DoRead(const char* path, char* buf, size_t size, off_t offset,
                  struct fuse_file_info* fi) {
  (void)path;
  const ssize_t got = pread((int)fi->fh, buf, size, offset);
  return got < 0 ? -errno : (int)got;
}
static int DoWrite(const char* path, const char* buf, size_t size, off_t offset,
                   struct fuse_file_info* fi) {
  (void)path;
  const ssize_t put = pwrite((int)fi->fh, buf, size, offset);
  return put < 0 ? -errno : (int)put;
}
static int DoRelease(const char* path, struct fuse_file_info* fi) {
  (void)path;
  close((int)fi->fh);
  return 0;
}
static int DoTruncate(const char* path, off_t size, struct fuse_file_info* fi) {
  if (fi != NULL) return Result(ftruncate((int)fi->fh, size));
  const int fd = openat(backing, Rel(path), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return -errno;
  const int rc = Result(ftruncate(fd, size));
  close(fd);
  return rc;
}
static int DoChmod(const char* path, mode_t mode, struct fuse_file_info* fi) {
  (void)fi;
  return Result(fchmodat(backing, Rel(path), mode, 0));
}
static int DoChown(const char* path, uid_t uid, gid_t gid, struct fuse_file_info* fi) {
  (void)fi;
  return Result(fchownat(backing, Rel(path), uid, gid, AT_SYMLINK_NOFOLLOW));
}
static int DoUtimens(const char* path, const struct timespec tv[2], struct fuse_file_info* fi) {
  (void)fi;
  return Result(utimensat(backing, Rel(path), tv, AT_SYMLINK_NOFOLLOW));
}
static int DoStatfs(const char* path, struct statvfs* st) {
  (void)path;
  return Result(fstatvfs(backing, st));
}

int main(int argc, char* argv[]) {
  if (argc < 3) {
    fprintf(stderr, "usage: %s BACKING MOUNTPOINT [options]\n", argv[0]);
    return 2;
  }
  backing = open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (backing < 0) {
    perror(argv[1]);
    return 1;
  }
  static const struct fuse_operations ops = {
      .getattr = DoGetattr,
      .mkdir = DoMkdir,
      .unlink = DoUnlink,
      .rmdir = DoRmdir,
      .rename = DoRename,
      .link = DoLink,
      .chmod = DoChmod,
      .chown = DoChown,
      .truncate = DoTruncate,
      .open = DoOpen,
      .read = DoRead,
      .write = DoWrite,
      .statfs = DoStatfs,
      .release = DoRelease,
      .readdir = DoReaddir,
      .create = DoCreate,
      .utimens = DoUtimens,
  };
  argv[1] = argv[0];
  return fuse_main(argc - 1, argv + 1, &ops, NULL);
}
