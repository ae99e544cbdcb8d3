#include "ui/editor/level_export.h"

#include <QFile>
#include <filesystem>

#include "ui/editor/level_picture.h"

namespace morvane {

QImage ExportLevelPicture(const LevelMap& map, TileImages& tiles) {
    const QImage level = RenderLevelPicture(map, tiles);
    QImage picture(kExportWidth, kExportHeight, QImage::Format_RGB32);
    for (int y = 0; y < kExportHeight; ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(level.constScanLine(2 * y));
        auto* target = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < kExportWidth; ++x) {
            target[x] = source[2 * x];
        }
    }
    return picture;
}

std::vector<std::uint8_t> RawPictureBytes(const QImage& picture) {
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(std::size_t(pixels.width()) * std::size_t(pixels.height()) * 3);
    for (int y = 0; y < pixels.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            bytes.push_back(std::uint8_t(qBlue(line[x])));
            bytes.push_back(std::uint8_t(qGreen(line[x])));
            bytes.push_back(std::uint8_t(qRed(line[x])));
        }
    }
    return bytes;
}

QString ExportFileName(const SourceSelection& selection, int levelNumber) {
    if (QString::fromStdString(selection.numMaps).toInt() == 1) {
        return QString::fromStdString(selection.fileName) + QStringLiteral(".raw");
    }
    return QStringLiteral("Level%1.raw").arg(levelNumber);
}

bool IsSameFile(const QString& path, const QString& sourcePath) {
    std::error_code error;
    return std::filesystem::equivalent(QFile::encodeName(path).toStdString(),
                                       QFile::encodeName(sourcePath).toStdString(), error) &&
           !error;
}

}  // namespace morvane
