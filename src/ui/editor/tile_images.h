#pragma once

#include <QColor>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QString>

namespace morvane {

// The pictures of the 64 tile numbers: GIF files "<n>.gif" in the folder "gif" of a directory.
// Folders copied from Windows may spell the folder or the files in capitals ("GIF", "0.GIF");
// those are found too. Decoded pictures are kept by path, modification time and size, so a
// picture is decoded once however often it is shown, and a file changed on disk is decoded
// again at its next use. A missing or unreadable picture gives a placeholder, never an error.
class TileImages {
public:
    // The size of a grid cell, to which the grid scales every picture.
    static constexpr int kCellSize = 32;
    // The size of a placeholder at its own size.
    static constexpr int kPlaceholderSize = 16;
    static constexpr QRgb kPlaceholderFill = 0xFF505050;
    static constexpr QRgb kPlaceholderInk = 0xFFFFFFFF;

    // directory: the folder that holds (or should hold) the "gif" folder.
    explicit TileImages(QString directory);

    // Pictures taken from tileFolder itself ("<n>.gif", any letter case), for tools that are
    // told where the pictures are.
    static TileImages FromTileFolder(QString tileFolder);

    const QString& directory() const { return m_directory; }

    // The file that holds tile's picture, or an empty string when there is none.
    QString picturePath(int tile) const;

    // The picture of tile at its own size, in Format_ARGB32: transparent pixels have alpha 0.
    QImage tile(int tile);

    // The picture of tile scaled to kCellSize x kCellSize by nearest neighbour: the tiles are
    // pixel art and must keep hard pixel edges.
    QImage scaledTile(int tile);

    // How many picture files have been decoded so far (successfully or not).
    int decodeCount() const { return m_decodes; }

    // The placeholder for tile: its number drawn on a plain square.
    static QImage Placeholder(int tile);

private:
    struct Entry {
        QDateTime modified;
        qint64 size = -1;
        QImage picture;
        QImage scaled;
    };

    // The cache entry for tile's file, decoding the file when it is new or has changed; nullptr
    // when there is no file.
    const Entry* entryFor(int tile);

    QString m_directory;
    // Set when the pictures lie in this folder rather than in "gif" of m_directory.
    QString m_tileFolder;
    QHash<QString, Entry> m_cache;
    int m_decodes = 0;
};

}  // namespace morvane
