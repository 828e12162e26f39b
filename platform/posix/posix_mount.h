// What kind of file system holds a directory, and so how long its names may
// be. statfs cannot tell: every FUSE file system has one magic number, and
// exfat-fuse and ntfs-3g mount as plain "fuseblk" or "fuse", without saying
// what they serve. Those are recognised by what their device holds.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/file_system.h"

namespace quillon {

// The fields of one line of /proc/self/mountinfo that tell the file system.
struct MountEntry {
  std::string type;    // "ext4", "fuse.sshfs", "fuseblk"
  std::string source;  // "/dev/sda1", "/home/u/disk.img" (escapes undone)
  unsigned major = 0;  // the device number of the mounted file system
  unsigned minor = 0;
};

// Mount `mountId` in the text of a mountinfo file; nothing when not listed.
std::optional<MountEntry> FindMount(std::string_view mountinfo, long mountId);

// The file-system type a udev database record (/run/udev/data/b<maj>:<min>)
// gives its device ("E:ID_FS_TYPE=exfat"); empty when it gives none.
std::string UdevFileSystemType(std::string_view record);

// The file system whose signature the first sector of a volume carries:
// "exfat", "ntfs" or "vfat"; empty for anything else.
std::string BootSectorFileSystemType(std::string_view sector);

// The name limit of a file system, given its type ("ext4", "vfat",
// "fuse.sshfs", "exfat"; empty when not found) and what
// fpathconf(_PC_NAME_MAX) reported (0 when nothing). vfat, exFAT and NTFS
// count 255 UTF-16 units whatever fpathconf says; other known types count
// bytes; a type that cannot be told (a FUSE mount whose device was not
// recognised) gets both limits.
NameLimit NameLimitForMount(std::string_view type, long pathconfMax);

// The type of the file system that holds open directory `fd`: the mount's
// own type, or for a FUSE mount without a subtype the type its device
// carries (from udev's database, else the device's first sector where it can
// be read). The mount's type as it is when nothing else tells.
std::string FileSystemTypeOf(int fd);

}  // namespace quillon
