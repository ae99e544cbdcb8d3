#include "ui/editor/level_list_pictures.h"

#include <QPainter>

#include "leveldata/level_codec.h"
#include "picture/level_picture.h"
#include "ui/editor/level_document.h"
#include "ui/editor/picture_image.h"

namespace morvane {

namespace {

QString SizeText(int bytes) {
    return QStringLiteral("%1 bytes").arg(bytes);
}

}  // namespace

LevelListPictures::LevelListPictures(const LevelDocument& document, TileSet& tiles)
    : m_document(document), m_tiles(tiles) {}

QImage LevelListPictures::UnreadablePicture() {
    QImage picture(kSmallPictureWidth, kSmallPictureHeight, QImage::Format_RGB32);
    picture.fill(QColor(0xE0, 0xE0, 0xE0));
    QPainter painter(&picture);
    painter.setPen(QColor(0xA0, 0x20, 0x20));
    const QRect box = picture.rect().adjusted(0, 0, -1, -1);
    painter.drawRect(box);
    painter.drawLine(box.topLeft(), box.bottomRight());
    painter.drawLine(box.bottomLeft(), box.topRight());
    return picture;
}

void LevelListPictures::refresh() {
    const auto bank = m_document.readBank();
    for (int index = 0; index < LevelBank::kLevelCount; ++index) {
        Entry& entry = m_entries[std::size_t(index)];
        const LevelResult<BankLevel> level =
            bank.ok() ? bank.value().readLevel(index) : LevelResult<BankLevel>(bank.failure());
        std::vector<std::uint8_t> stream;
        if (level.ok()) {
            const auto bytes = bank.value().bytes().subspan(std::size_t(level.value().offset),
                                                            std::size_t(level.value().length));
            stream.assign(bytes.begin(), bytes.end());
        }
        if (entry.drawn && entry.readable == level.ok() && entry.stream == stream) {
            continue;
        }
        entry.readable = level.ok();
        entry.stream = std::move(stream);
        entry.map = level.ok() ? level.value().map : LevelMap();
        entry.drawn = false;
    }
    // Tile pictures changed on disk show in the rows drawn from now on.
    m_cells.reset();
    m_editedMap.reset();
}

const std::array<Picture, LevelMap::kTileCount>& LevelListPictures::cells() {
    if (!m_cells) {
        m_cells = SmallCellPictures(m_tiles);
    }
    return *m_cells;
}

QImage LevelListPictures::smallPicture(const LevelMap& map) {
    return ToQImage(RenderSmallLevelPicture(map, cells()), QImage::Format_RGB32);
}

void LevelListPictures::draw(Entry& entry, int index) {
    entry.row.number = QString::number(index + 1);
    if (entry.readable) {
        entry.row.picture = smallPicture(entry.map);
        entry.row.size = SizeText(int(entry.stream.size()));
    } else {
        entry.row.picture = UnreadablePicture();
        entry.row.size = QStringLiteral("unreadable");
    }
    entry.drawn = true;
    ++m_drawCount;
}

const LevelListPictures::Row& LevelListPictures::row(int index) {
    if (m_document.isDirty() && m_document.hasLevel() && index == m_document.shownLevel()) {
        if (m_editedMap != m_document.map()) {
            m_editedMap = m_document.map();
            m_editedRow = {QString::number(index + 1), smallPicture(*m_editedMap),
                           SizeText(int(PackLevel(*m_editedMap).size()))};
            ++m_drawCount;
        }
        return m_editedRow;
    }
    Entry& entry = m_entries[std::size_t(index)];
    if (!entry.drawn) {
        draw(entry, index);
    }
    return entry.row;
}

}  // namespace morvane
