#include "ui/source_dialog/drive_catalog.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

#include "ui/source_dialog/natural_order.h"

namespace morvane {

namespace {

// File system types that are kernel interfaces, packaged images or layers of a container,
// never a place where a user keeps files.
const QByteArrayList kPseudoTypes = {
    "autofs",      "binfmt_misc",     "bpf",      "cgroup",   "cgroup2",
    "configfs",    "debugfs",         "devpts",   "devtmpfs", "efivarfs",
    "fusectl",     "hugetlbfs",       "mqueue",   "nsfs",     "overlay",
    "proc",        "pstore",          "ramfs",    "rootfs",   "rpc_pipefs",
    "securityfs",  "selinuxfs",       "squashfs", "sysfs",    "tracefs",
    "fuse.portal", "fuse.gvfsd-fuse",
};

// True when path is area itself or lies below it.
bool IsWithin(const QString& path, const QString& area) {
    if (area == QDir::rootPath()) {
        return path.startsWith(area);
    }
    return path == area || path.startsWith(area + u'/');
}

}  // namespace

DriveCatalog::DriveCatalog(const QStringList& roots) {
    m_roots.append(QDir::rootPath());
    for (const QString& root : roots) {
        const QString clean = QDir::cleanPath(root);
        if (!clean.isEmpty() && !m_roots.contains(clean)) {
            m_roots.append(clean);
        }
    }
    std::sort(m_roots.begin(), m_roots.end(), NaturalLess);
}

DriveCatalog DriveCatalog::Mounted() {
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady()) {
            continue;
        }
        const QString root = volume.rootPath();
        // Containers bind single files (/etc/hosts) over the tree; only directories are drives.
        if (IsUserVolume(root, volume.fileSystemType()) && QFileInfo(root).isDir()) {
            roots.append(root);
        }
    }
    return DriveCatalog(roots);
}

bool DriveCatalog::IsUserVolume(const QString& rootPath, const QByteArray& fileSystemType) {
    const QString root = QDir::cleanPath(rootPath);
    if (root == QDir::rootPath()) {
        return true;
    }
    if (kPseudoTypes.contains(fileSystemType)) {
        return false;
    }
    // Removable media are mounted below /run/media by some desktops; the rest of /run, and all
    // of /proc, /sys and /dev, is the system's own runtime state.
    if (IsWithin(root, QStringLiteral("/run/media"))) {
        return true;
    }
    for (const QString& area :
         {QStringLiteral("/proc"), QStringLiteral("/sys"), QStringLiteral("/dev"),
          QStringLiteral("/run"), QStringLiteral("/var/run"), QStringLiteral("/snap")}) {
        if (IsWithin(root, area)) {
            return false;
        }
    }
    return true;
}

QString DriveCatalog::driveOf(const QString& path) const {
    const QString clean = QDir::cleanPath(path);
    QString best;
    for (const QString& root : m_roots) {
        if (IsWithin(clean, root) && root.size() > best.size()) {
            best = root;
        }
    }
    return best;
}

}  // namespace morvane
