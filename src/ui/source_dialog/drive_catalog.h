#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace morvane {

// The drives the source dialog offers, as the root paths of file systems, and the drive a path
// lies on. This is the one place that knows what a drive is on this platform. Linux has no
// drive letters: its drives are the mounted file systems a user knows (the root, a separate
// /home, removable media under /media or /run/media), read from the mount table. A system with
// drive letters would list "C:/", "D:/" here and nothing else would change.
class DriveCatalog {
public:
    // A catalog of the given root paths, cleaned, without duplicates and in natural order. The
    // file system's root ("/") is always among them, so every absolute path has a drive.
    explicit DriveCatalog(const QStringList& roots);

    // The mounted file systems a user would recognise, read now.
    static DriveCatalog Mounted();

    // Whether a mounted file system at rootPath of the given type is one a user would pick:
    // not a kernel interface (proc, sysfs, cgroup, ...), not a runtime area under /run, /sys or
    // /dev, not a packaged image (squashfs) or a container's overlay layer. The root always is.
    static bool IsUserVolume(const QString& rootPath, const QByteArray& fileSystemType);

    const QStringList& roots() const { return m_roots; }

    // The root of the drive that holds path: the longest root that is path itself or one of its
    // ancestors. Paths are compared whole component by component ("/home2" is not on "/home").
    QString driveOf(const QString& path) const;

private:
    QStringList m_roots;
};

}  // namespace morvane
