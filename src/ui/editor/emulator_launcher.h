#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>
#include <variant>

namespace morvane {

// Starts an emulator on a cartridge dump for test play. The command comes from the environment
// variable MORVANE_EMULATOR when it is set: a command line (words in double quotes keep their
// spaces) in which "%f" stands for the file's absolute path, or to which the path is appended
// as the last argument. Otherwise it is the first of mednafen and osmose-emulator found on PATH
// or, after it, in /usr/games, where Debian puts them and which not every PATH holds (root's, a
// service's). Bare program names in MORVANE_EMULATOR are looked up the same way.
class EmulatorLauncher {
public:
    struct Command {
        QString program;
        QStringList arguments;

        // The command as a user would type it, for messages.
        QString text() const;
    };

    // environment: where MORVANE_EMULATOR and PATH are looked up; gamesFolder: the folder tried
    // after the PATH. Tests pass their own.
    explicit EmulatorLauncher(
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment(),
        QString gamesFolder = QStringLiteral("/usr/games"));

    // The command that plays filePath (an absolute path), or the problem in words when there is
    // no emulator to run.
    std::variant<Command, QString> command(const QString& filePath) const;

    // Starts command on its own, in the folder of filePath, and returns at once: the emulator
    // outlives this call and the editor. Returns the problem in words when it could not start.
    static std::optional<QString> start(const Command& command, const QString& filePath);

private:
    QString findOnPath(const QString& name) const;

    QProcessEnvironment m_environment;
    QString m_gamesFolder;
};

}  // namespace morvane
