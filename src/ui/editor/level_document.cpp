#include "ui/editor/level_document.h"

#include <QDir>
#include <utility>

#include "leveldata/bank_restorer.h"
#include "leveldata/level_codec.h"
#include "leveldata/level_loader.h"
#include "leveldata/level_saver.h"
#include "sources/source_kind.h"

namespace morvane {

QString ComposeLevelTitle(const SourceSelection& selection, int levelNumber) {
    QString path = QDir::toNativeSeparators(QString::fromStdString(selection.directory));
    // A root directory already ends with the separator.
    if (!path.isEmpty() && !path.endsWith(QDir::separator())) {
        path += QDir::separator();
    }
    path += QString::fromStdString(selection.fileName);
    QString title = QString::fromStdString(selection.caption) + QStringLiteral(" [") + path;
    if (levelNumber > 0) {
        title += QStringLiteral(" - Level ") + QString::number(levelNumber);
    }
    return title + QStringLiteral("]");
}

LevelDocument::LevelDocument(SourceSelection selection, QObject* parent)
    : QObject(parent),
      m_selection(std::move(selection)),
      // Until a level is read the caption names the program and the source, so a window whose
      // first level cannot be read still tells which file it holds.
      m_title(ComposeLevelTitle(m_selection, 0)) {}

LevelDocument::~LevelDocument() = default;

bool LevelDocument::holdsManyLevels() const {
    return m_selection.numMaps != "1";
}

FileStatus LevelDocument::open(FileSystem& files) {
    FileStatus status;
    m_file = files.open(m_selection.fileName, OpenMode::ReadWrite, status);
    if (!m_file) {
        return status.ok() ? FileStatus{FileError::OpenFailed, {}} : status;
    }
    // Restore points record the source's kind. A tag that names no kind gives no layout, so
    // nothing is ever written, and no point kept, under the Unknown it stands for here.
    const SourceKind kind = m_selection.kind().value_or(SourceKind::Unknown);
    m_restorePoints = std::make_unique<BankHistory>(files, m_selection.fileName, int(kind));
    return status;
}

std::optional<LevelFailure> LevelDocument::repairInterruptedWrite() {
    const auto where = m_selection.layout();
    if (!m_file || !where || !where->hasBank ||
        !FindInterruptedWrite(*m_file, where->dataOffset, *m_restorePoints)) {
        return std::nullopt;
    }
    const auto settled = RepairInterruptedWrite(*m_file, where->dataOffset, *m_restorePoints);
    if (!settled.ok()) {
        return settled.failure();
    }
    if (settled.value()) {
        announceRepair(*settled.value());
    }
    return std::nullopt;
}

void LevelDocument::announceRepair(const LevelFailure& notice) {
    emit interruptedSavePutBack(QString::fromStdString(DescribeLevelFailure(notice)));
}

void LevelDocument::close() {
    if (m_file) {
        m_file->close();
        m_file.reset();
        m_restorePoints.reset();
    }
}

std::optional<LevelFailure> LevelDocument::load(int index) {
    const auto where = m_selection.layout();
    if (!where) {
        return LevelFailure{LevelError::BadDataOffset, index + 1};
    }
    if (!m_file) {
        return LevelFailure{LevelError::ReadFailed, index + 1, -1, {FileError::Closed, {}}};
    }
    auto loaded = LoadLevelFromFile(*m_file, *where, index);
    if (!loaded.ok()) {
        return loaded.failure();
    }
    m_map = loaded.value().map;
    m_hasLevel = true;
    m_oldPackedLength = loaded.value().oldPackedLength;
    m_levelOffset = loaded.value().levelOffset;
    m_levelState = std::uint8_t(index);
    m_title = ComposeLevelTitle(m_selection, holdsManyLevels() ? index + 1 : 0);
    // The paints in the history belong to the map just replaced, even when the same level was
    // read again.
    m_history.clear();
    emit levelLoaded();
    emit captionChanged(caption());
    return std::nullopt;
}

std::optional<LevelFailure> LevelDocument::save() {
    const int index = shownLevel();
    const auto where = m_selection.layout();
    if (!where) {
        return LevelFailure{LevelError::BadDataOffset, index + 1};
    }
    if (!m_file) {
        return LevelFailure{LevelError::WriteFailed, index + 1, -1, {FileError::Closed, {}}};
    }
    const BankWriteOptions note{m_restorePoints.get(), "save level " + std::to_string(index + 1),
                                true,
                                [this](const LevelFailure& notice) { announceRepair(notice); }};
    const auto saved =
        SaveLevelToFile(*m_file, *where, index, m_map, m_oldPackedLength, m_levelOffset, note);
    if (!saved.ok()) {
        return saved.failure();
    }
    // The unsaved mark goes only now that the file holds the level.
    m_levelState = std::uint8_t(index);
    m_oldPackedLength = saved.value();
    emit captionChanged(caption());
    emit this->saved();
    return std::nullopt;
}

std::optional<LevelFailure> LevelDocument::restore(std::int64_t id) {
    const auto where = m_selection.layout();
    if (!where || !where->hasBank) {
        return LevelFailure{LevelError::NotABank};
    }
    if (!m_file) {
        return LevelFailure{LevelError::WriteFailed, 0, -1, {FileError::Closed, {}}};
    }
    const BankWriteOptions note{
        m_restorePoints.get(), {}, true, [this](const LevelFailure& notice) {
            announceRepair(notice);
        }};
    if (auto failure = RestoreBankFromHistory(*m_file, *where, note, id)) {
        return failure;
    }
    m_levelState = std::uint8_t(shownLevel());
    emit captionChanged(caption());
    return std::nullopt;
}

bool LevelDocument::takeAdoptedSelection(int index) {
    if (m_levelState != kAdopt) {
        return false;
    }
    m_levelState = std::uint8_t(index) | kDirtyBit;
    return true;
}

void LevelDocument::paint(int cell, std::uint8_t tile) {
    m_levelState |= kDirtyBit;
    emit captionChanged(caption());
    m_map.setCell(cell, tile);
    emit cellChanged(cell);
    emit mapEdited();
}

void LevelDocument::paintMap(const LevelMap& map) {
    m_levelState |= kDirtyBit;
    emit captionChanged(caption());
    m_map = map;
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        emit cellChanged(cell);
    }
    emit mapEdited();
}

LevelResult<LevelBank> LevelDocument::readBank() const {
    const auto where = m_selection.layout();
    if (!where || !where->hasBank) {
        return LevelFailure{LevelError::NotABank};
    }
    if (!m_file) {
        return LevelFailure{LevelError::ReadFailed, 0, -1, {FileError::Closed, {}}};
    }
    return ReadBankFromFile(*m_file, where->dataOffset);
}

LevelResult<SaveSpace> LevelDocument::saveSpace() const {
    const auto bank = readBank();
    if (!bank.ok()) {
        return bank.failure();
    }
    return MeasureSaveSpace(bank.value(), shownLevel(), int(PackLevel(m_map).size()));
}

QString LevelDocument::caption() const {
    return isDirty() ? m_title + QStringLiteral("*") : m_title;
}

}  // namespace morvane
