// How the POSIX port tells the file system of a directory: the mountinfo
// line, udev's record of a device, the signature in a volume's first sector,
// and the name limit each type has.
#include "platform/posix/posix_mount.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon {
namespace {

TEST(PosixMountTest, FindsTypeSourceAndDeviceOfAMount) {
  const std::string mountinfo =
      "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
      "45 27 7:0 / /tmp/a\\040b rw,relatime shared:5 - fuse.sshfs host:/x rw,user_id=0\n"
      "46 27 8:1 / /data rw master:1 - ext4 /dev/sda1 rw\n"
      "47 27 259:3 / /media/sd rw - fuseblk /dev/mmcblk0p1 rw,allow_other\n"
      "48 27 0:52 / /mnt/usb rw - fuse /home/u/my\\040disk.img rw\n"
      "49 27 0:53 / /broken rw no separator\n";
  const struct {
    long id;
    bool found;
    const char* type;
    const char* source;
    unsigned major, minor;
  } cases[] = {
      {45, true, "fuse.sshfs", "host:/x", 7, 0},
      {46, true, "ext4", "/dev/sda1", 8, 1},
      {47, true, "fuseblk", "/dev/mmcblk0p1", 259, 3},
      {48, true, "fuse", "/home/u/my disk.img", 0, 52},
      {4, false, "", "", 0, 0},  // "4" is a prefix of other ids only
      {49, false, "", "", 0, 0},
  };
  for (const auto& c : cases) {
    const auto mount = FindMount(mountinfo, c.id);
    ASSERT_EQ(mount.has_value(), c.found) << c.id;
    if (!mount) continue;
    EXPECT_EQ(mount->type, c.type) << c.id;
    EXPECT_EQ(mount->source, c.source) << c.id;
    EXPECT_EQ(mount->major, c.major) << c.id;
    EXPECT_EQ(mount->minor, c.minor) << c.id;
  }
}

TEST(PosixMountTest, ReadsTheFileSystemTypeFromUdevsRecord) {
  const struct {
    const char* record;
    const char* type;
  } cases[] = {
      {"S:disk/by-uuid/1234\nE:ID_FS_UUID=1234\nE:ID_FS_TYPE=exfat\nE:ID_FS_USAGE=filesystem\n",
       "exfat"},
      {"E:ID_FS_TYPE=ntfs", "ntfs"},
      {"E:ID_FS_TYPE=\n", ""},
      {"E:ID_FS_TYPE_OLD=vfat\nE:ID_PART_ENTRY_TYPE=0x7\n", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(UdevFileSystemType(c.record), c.type) << c.record;
}

TEST(PosixMountTest, TellsTheFileSystemByItsBootSector) {
  const auto sector = [](std::size_t at, std::string label) {
    std::string bytes(512, '\0');
    bytes.replace(at, label.size(), label);
    return bytes;
  };
  const struct {
    std::string sector;
    const char* type;
  } cases[] = {
      {sector(3, "EXFAT   "), "exfat"},
      {sector(3, "NTFS    "), "ntfs"},
      {sector(54, "FAT12   "), "vfat"},
      {sector(54, "FAT16   "), "vfat"},
      {sector(82, "FAT32   "), "vfat"},
      {sector(3, "mkfs.fat"), ""},  // the OEM name alone says nothing
      {sector(82, "FAT32"), ""},
      {sector(3, "EXFAT   ").substr(0, 11), "exfat"},  // no more than the signature
      {std::string("\xEB\x52\x90NTFS"), ""},           // cut short
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BootSectorFileSystemType(c.sector), c.type) << c.sector.substr(0, 12);
}

TEST(PosixMountTest, NameLimitFollowsTheTypeNotOnlyFpathconf) {
  constexpr auto kNone = NameLimit::kNoLimit;
  const struct {
    const char* type;
    long pathconf;
    std::size_t maxBytes;
    std::size_t maxUnits;
  } cases[] = {
      {"ext4", 255, 255, kNone},
      {"tmpfs", 255, 255, kNone},
      {"vfat", 1530, kNone, 255},
      {"exfat", 255, kNone, 255},
      {"ntfs", 255, kNone, 255},
      {"ntfs3", 255, kNone, 255},
      {"fuseblk.ntfs-3g", 255, kNone, 255},
      {"fuse.exfat", 255, kNone, 255},
      {"fuse.sshfs", 255, 255, kNone},
      {"fuse.bindfs", 255, 255, kNone},
      {"fuse", 1024, 1024, 255},
      {"fuseblk", 255, 255, 255},
      {"", 0, 255, 255},
  };
  for (const auto& c : cases) {
    const NameLimit limit = NameLimitForMount(c.type, c.pathconf);
    EXPECT_EQ(limit.maxBytes, c.maxBytes) << c.type;
    EXPECT_EQ(limit.maxUnits, c.maxUnits) << c.type;
  }
}

}  // namespace
}  // namespace quillon
