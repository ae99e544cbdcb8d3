#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace morvane {

// Names for cartridge dumps that emulators take: Debian's osmose-emulator refuses any file
// whose name does not end in ".sms" or ".gg", and mednafen picks its system by the ending, so
// a dump named "cartridge-ue.bin" is handed to them as a symbolic link "cartridge-ue.bin.gg".
// The links lie in a private temporary folder (only its owner may enter it), made on first use
// and removed with this object; the editor keeps one until it quits, since an emulator may
// still be reading through a link after test play has started it.
class GameGearLinks {
public:
    // The name to hand an emulator for the dump at dumpPath (absolute): dumpPath itself when it
    // ends in ".gg", else a link to it named after it with ".gg" added. Returns an empty string
    // and sets problem, in words, when the link cannot be made.
    QString nameFor(const QString& dumpPath, QString& problem);

private:
    std::unique_ptr<QTemporaryDir> m_folder;
};

}  // namespace morvane
