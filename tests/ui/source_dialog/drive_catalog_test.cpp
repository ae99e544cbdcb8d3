#include "ui/source_dialog/drive_catalog.h"

#include <gtest/gtest.h>

#include <QFileInfo>

namespace morvane {
namespace {

TEST(DriveCatalog, OffersOnlyFileSystemsAUserKeepsFilesOn) {
    const struct {
        const char* root;
        const char* type;
        bool offered;
    } cases[] = {
        {"/", "ext4", true},
        {"/", "overlay", true},
        {"/home", "ext4", true},
        {"/mnt/data", "btrfs", true},
        {"/media/ann/STICK", "vfat", true},
        {"/run/media/ann/STICK", "exfat", true},
        {"/boot/efi", "vfat", true},
        {"/tmp", "tmpfs", true},
        {"/proc", "proc", false},
        {"/sys", "sysfs", false},
        {"/sys/fs/cgroup", "tmpfs", false},
        {"/sys/fs/cgroup/memory", "cgroup", false},
        {"/dev", "devtmpfs", false},
        {"/dev/shm", "tmpfs", false},
        {"/dev/pts", "devpts", false},
        {"/run", "tmpfs", false},
        {"/run/user/1000", "tmpfs", false},
        {"/snap/core/1234", "squashfs", false},
        {"/var/lib/docker/overlay2/abc/merged", "overlay", false},
        {"/proc/sys/fs/binfmt_misc", "binfmt_misc", false},
        {"/running", "ext4", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DriveCatalog::IsUserVolume(QString::fromLatin1(c.root), c.type), c.offered)
            << c.root << " (" << c.type << ")";
    }
}

TEST(DriveCatalog, AlwaysHoldsTheRootAndListsEachDriveOnceInNaturalOrder) {
    const DriveCatalog catalog(
        {"/media/disk10", "/home/", "/media/disk2", "/home", "/media//disk2", "/Data"});
    EXPECT_EQ(catalog.roots(),
              QStringList({"/", "/Data", "/home", "/media/disk2", "/media/disk10"}));
    EXPECT_EQ(DriveCatalog({}).roots(), QStringList({"/"}));
}

TEST(DriveCatalog, APathLiesOnTheDriveOfItsLongestWholeRoot) {
    const DriveCatalog catalog({"/home", "/home/ann/usb", "/media/disk"});
    EXPECT_EQ(catalog.driveOf("/"), "/");
    EXPECT_EQ(catalog.driveOf("/etc/fonts"), "/");
    EXPECT_EQ(catalog.driveOf("/home"), "/home");
    EXPECT_EQ(catalog.driveOf("/home/ann"), "/home");
    EXPECT_EQ(catalog.driveOf("/home/ann/usb/levels"), "/home/ann/usb");
    EXPECT_EQ(catalog.driveOf("/home2/ann"), "/");
    EXPECT_EQ(catalog.driveOf("/media/diskette"), "/");
    EXPECT_EQ(catalog.driveOf("/media/disk/"), "/media/disk");
}

TEST(DriveCatalog, MountedDrivesOfThisMachineAreRealDirectoriesWithoutSystemAreas) {
    const DriveCatalog mounted = DriveCatalog::Mounted();
    ASSERT_TRUE(mounted.roots().contains("/"));
    for (const QString& root : mounted.roots()) {
        EXPECT_TRUE(QFileInfo(root).isDir()) << root.toStdString();
        for (const char* area : {"/proc", "/sys", "/dev", "/run/user"}) {
            EXPECT_FALSE(root == area || root.startsWith(QString::fromLatin1(area) + '/'))
                << root.toStdString();
        }
    }
}

}  // namespace
}  // namespace morvane
