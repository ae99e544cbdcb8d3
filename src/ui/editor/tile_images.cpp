#include "ui/editor/tile_images.h"

#include <QDir>
#include <QFileInfo>
#include <array>
#include <utility>

namespace morvane {

namespace {

// Digits 0..9 in a 3 x 5 font, one row per entry, bit 2 the left column. The placeholder draws
// its number with these so that it needs no font and looks the same everywhere.
constexpr std::array<std::array<std::uint8_t, 5>, 10> kDigits = {{
    {7, 5, 5, 5, 7},
    {2, 6, 2, 2, 7},
    {7, 1, 7, 4, 7},
    {7, 1, 7, 1, 7},
    {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7},
    {7, 1, 1, 1, 1},
    {7, 5, 7, 5, 7},
    {7, 5, 7, 1, 7},
}};

constexpr int kDigitWidth = 3;
constexpr int kDigitHeight = 5;

void DrawDigit(QImage& image, int digit, int left, int top) {
    for (int row = 0; row < kDigitHeight; ++row) {
        for (int column = 0; column < kDigitWidth; ++column) {
            if (kDigits[std::size_t(digit)][std::size_t(row)] & (4 >> column)) {
                image.setPixel(left + column, top + row, TileImages::kPlaceholderInk);
            }
        }
    }
}

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
            DrawDigit(image, digit.digitValue(), left, top);
        }
        left += kDigitWidth + 1;
    }
    return image;
}

}  // namespace morvane
