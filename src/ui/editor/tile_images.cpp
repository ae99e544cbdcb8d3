#include "ui/editor/tile_images.h"

#include <QDir>
#include <QFileInfo>
#include <array>
#include <utility>

#include "ui/editor/digit_font.h"

namespace morvane {

namespace {

// The entry of dir whose name equals name apart from letter case, preferring the exact name.
QString FindIgnoringCase(const QDir& dir, const QString& name, QDir::Filters filters) {
    if (QFileInfo(dir.filePath(name)).exists()) {
        return dir.filePath(name);
    }
    const QStringList entries = dir.entryList(filters | QDir::Hidden);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) {
            return dir.filePath(entry);
        }
    }
    return {};
}

QImage ScaleToCell(const QImage& picture) {
    return picture.scaled(TileImages::kCellSize, TileImages::kCellSize, Qt::IgnoreAspectRatio,
                          Qt::FastTransformation);
}

}  // namespace

TileImages::TileImages(QString directory) : m_directory(std::move(directory)) {}

TileImages TileImages::FromTileFolder(QString tileFolder) {
    TileImages tiles(QFileInfo(tileFolder).path());
    tiles.m_tileFolder = std::move(tileFolder);
    return tiles;
}

QString TileImages::picturePath(int tile) const {
    const QString folder =
        m_tileFolder.isEmpty()
            ? FindIgnoringCase(QDir(m_directory), QStringLiteral("gif"), QDir::Dirs)
            : m_tileFolder;
    if (folder.isEmpty()) {
        return {};
    }
    const QString path =
        FindIgnoringCase(QDir(folder), QString::number(tile) + QStringLiteral(".gif"), QDir::Files);
    return QFileInfo(path).isFile() ? path : QString();
}

const TileImages::Entry* TileImages::entryFor(int tile) {
    const QString path = picturePath(tile);
    if (path.isEmpty()) {
        return nullptr;
    }
    const QFileInfo info(path);
    Entry& entry = m_cache[path];
    if (entry.size == info.size() && entry.modified == info.lastModified()) {
        return &entry;
    }
    ++m_decodes;
    entry.modified = info.lastModified();
    entry.size = info.size();
    QImage decoded(path);
    if (decoded.isNull()) {
        entry.picture = QImage();
        entry.scaled = QImage();
        return &entry;
    }
    entry.picture = decoded.convertToFormat(QImage::Format_ARGB32);
    entry.scaled = ScaleToCell(entry.picture);
    return &entry;
}

QImage TileImages::tile(int tile) {
    const Entry* entry = entryFor(tile);
    return entry && !entry->picture.isNull() ? entry->picture : Placeholder(tile);
}

QImage TileImages::scaledTile(int tile) {
    const Entry* entry = entryFor(tile);
    return entry && !entry->scaled.isNull() ? entry->scaled : ScaleToCell(Placeholder(tile));
}

QImage TileImages::Placeholder(int tile) {
    QImage image(kPlaceholderSize, kPlaceholderSize, QImage::Format_ARGB32);
    image.fill(kPlaceholderFill);
    const QString digits = QString::number(tile);
    const int width = int(digits.size()) * (kDigitWidth + 1) - 1;
    int left = (kPlaceholderSize - width) / 2;
    const int top = (kPlaceholderSize - kDigitHeight) / 2;
    for (const QChar digit : digits) {
        if (digit.isDigit()) {
            DrawDigit(digit.digitValue(), left, top,
                      [&](int x, int y) { image.setPixel(x, y, kPlaceholderInk); });
        }
        left += kDigitWidth + 1;
    }
    return image;
}

}  // namespace morvane
