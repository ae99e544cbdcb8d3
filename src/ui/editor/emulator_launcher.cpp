#include "ui/editor/emulator_launcher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace morvane {

namespace {

const char* const kVariable = "MORVANE_EMULATOR";
const char* const kPlaceholder = "%f";
// Emulators packaged by Debian that run Game Gear cartridge dumps, in the order they are tried.
const char* const kKnownEmulators[] = {"mednafen", "osmose-emulator"};

QString Quoted(const QString& word) {
    if (!word.isEmpty() && !word.contains(QLatin1Char(' ')) && !word.contains(QLatin1Char('"'))) {
        return word;
    }
    return QLatin1Char('"') + QString(word).replace(QLatin1Char('"'), QStringLiteral("\\\"")) +
           QLatin1Char('"');
}

}  // namespace

QString EmulatorLauncher::Command::text() const {
    QStringList words{Quoted(program)};
    for (const QString& argument : arguments) {
        words << Quoted(argument);
    }
    return words.join(QLatin1Char(' '));
}

EmulatorLauncher::EmulatorLauncher(QProcessEnvironment environment, QString gamesFolder)
    : m_environment(std::move(environment)), m_gamesFolder(std::move(gamesFolder)) {}

QString EmulatorLauncher::findOnPath(const QString& name) const {
    QStringList folders = m_environment.value(QStringLiteral("PATH"))
                              .split(QDir::listSeparator(), Qt::SkipEmptyParts);
    folders << m_gamesFolder;
    return QStandardPaths::findExecutable(name, folders);
}

std::variant<EmulatorLauncher::Command, QString> EmulatorLauncher::command(
    const QString& filePath) const {
    const QString variable = QString::fromLatin1(kVariable);
    if (m_environment.contains(variable)) {
        QStringList words = QProcess::splitCommand(m_environment.value(variable));
        if (words.isEmpty()) {
            return QStringLiteral("%1 is set but holds no command.").arg(variable);
        }
        Command command{words.takeFirst(), {}};
        // A bare name is looked up on the PATH given; one that is not found is tried as it is,
        // so that the failure to start names it.
        if (!command.program.contains(QLatin1Char('/'))) {
            if (const QString found = findOnPath(command.program); !found.isEmpty()) {
                command.program = found;
            }
        }
        bool placed = false;
        for (QString& word : words) {
            if (word.contains(QLatin1String(kPlaceholder))) {
                word.replace(QLatin1String(kPlaceholder), filePath);
                placed = true;
            }
        }
        if (!placed) {
            words << filePath;
        }
        command.arguments = words;
        return command;
    }
    for (const char* name : kKnownEmulators) {
        if (const QString found = findOnPath(QString::fromLatin1(name)); !found.isEmpty()) {
            return Command{found, {filePath}};
        }
    }
    return QStringLiteral(
               "No emulator was found for test play: %1 is not set, and neither %2 nor %3 is on "
               "the PATH or in %4.")
        .arg(variable, QString::fromLatin1(kKnownEmulators[0]),
             QString::fromLatin1(kKnownEmulators[1]), m_gamesFolder);
}

std::optional<QString> EmulatorLauncher::start(const Command& command, const QString& filePath) {
    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    process.setWorkingDirectory(QFileInfo(filePath).absolutePath());
    if (!process.startDetached()) {
        return QStringLiteral("The emulator could not be started: %1\n%2.")
            .arg(command.text(), process.errorString());
    }
    return std::nullopt;
}

}  // namespace morvane
