#include "ui/editor/game_gear_links.h"

#include <QFile>
#include <QFileInfo>

namespace morvane {

namespace {

const char* const kEnding = ".gg";

}  // namespace

QString GameGearLinks::nameFor(const QString& dumpPath, QString& problem) {
    if (dumpPath.endsWith(QLatin1String(kEnding))) {
        return dumpPath;
    }
    if (!m_folder) {
        m_folder = std::make_unique<QTemporaryDir>();
    }
    if (!m_folder->isValid()) {
        problem = QStringLiteral("Test play needs a temporary folder for a link named %1: %2.")
                      .arg(QFileInfo(dumpPath).fileName() + QLatin1String(kEnding),
                           m_folder->errorString());
        m_folder.reset();
        return {};
    }
    const QString link =
        m_folder->filePath(QFileInfo(dumpPath).fileName() + QLatin1String(kEnding));
    if (QFileInfo(link).symLinkTarget() == dumpPath) {
        return link;
    }
    QFile::remove(link);
    QFile target(dumpPath);
    if (!target.link(link)) {
        problem = QStringLiteral("Test play could not make the link %1 to %2: %3.")
                      .arg(link, dumpPath, target.errorString());
        return {};
    }
    return link;
}

}  // namespace morvane
