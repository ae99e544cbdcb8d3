#include "ui/source_dialog/drive_catalog.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

TEST(DriveCatalog, OffersOnlyFileSystemsAUserKeepsFilesOn) {
    const struct {
        const char* root;
        const char* type;
        bool offered;
    } cases[] = {
        {"/", "overlay", true},
        {"/home", "ext4", true},
        {"/run/media/ann/STICK", "exfat", true},
        {"/running", "ext4", true},
        {"/proc", "proc", false},
        {"/sys/fs/cgroup", "tmpfs", false},
        {"/dev/shm", "tmpfs", false},
        {"/run/user/1000", "tmpfs", false},
        {"/snap/core/1234", "squashfs", false},
        {"/var/lib/docker/overlay2/abc/merged", "overlay", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DriveCatalog::IsUserVolume(QString::fromLatin1(c.root), c.type), c.offered)
            << c.root << " (" << c.type << ")";
    }
}

}  // namespace
}  // namespace morvane
