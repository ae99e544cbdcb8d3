#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <cstdint>
#include <memory>
#include <optional>

#include "leveldata/bank_history.h"
#include "leveldata/byte_file.h"
#include "leveldata/level_bank.h"
#include "leveldata/level_failure.h"
#include "leveldata/level_map.h"
#include "leveldata/save_space.h"
#include "sources/source_selection.h"

namespace morvane {

// The caption of a shown level: the dialog's caption, then in brackets the source's path with
// the platform's separator and, for a source of many levels, " - Level " and levelNumber.
// levelNumber 0 leaves the level out (a source of one level).
QString ComposeLevelTitle(const SourceSelection& selection, int levelNumber);

// The editor's working state for one open source: the shown level's map, its state byte, where
// its stream lies in the file, and the caption. Loading and saving go through the level core on
// the source file, which the document holds open from open() to close(). Views listen to the
// signals; the document knows no widget.
//
// The state byte: 0..98 the index of the shown level, no unsaved edits; the same with bit 7 set
// (128..226) when a cell has been painted since the level was loaded or saved; kAdopt while the
// level combo box is being put back after a cancelled load; kQuitting once the editor may close.
//
// The history holds the paints of the shown level (PaintCommand), so that they can be undone
// and redone. It starts empty with every level read completely; saving keeps it.
class LevelDocument : public QObject {
    Q_OBJECT

public:
    explicit LevelDocument(SourceSelection selection, QObject* parent = nullptr);
    ~LevelDocument() override;

    const SourceSelection& selection() const { return m_selection; }

    // True unless the source holds exactly one level ("1" in the dialog's level count).
    bool holdsManyLevels() const;

    // Opens the selected file, by its bare name against the current directory, for reading and
    // writing. On failure the status says why and no file is open. files must outlive the
    // document: saves keep their restore points through it.
    FileStatus open(FileSystem& files);
    // Puts right a save of the open bank that was cut short (a crash, a power cut) and left it
    // torn: the bank goes back as its restore point holds it, and interruptedSavePutBack() is
    // emitted. A bank that was not torn is not touched. Returns the failure when it could not be
    // put right.
    std::optional<LevelFailure> repairInterruptedWrite();
    // Closes the source file; nothing is loaded or saved afterwards.
    void close();
    bool isOpen() const { return m_file != nullptr; }

    // Reads level index from the file. Only a level read completely is taken: it replaces the
    // map, the stream's place and length, the state (clean, index) and the title, empties the
    // history, and then levelLoaded() and captionChanged() are emitted. On failure nothing
    // changes, the history included.
    std::optional<LevelFailure> load(int index);

    // Saves the shown level (index from the state byte) into the file, keeping the bank as it
    // was as a restore point beside the file first. On success the level is clean, the stream's
    // new length is kept and captionChanged() is emitted; on failure (the restore point
    // included) the file is left as the core leaves it (unchanged) and so is every field here,
    // the unsaved mark included.
    std::optional<LevelFailure> save();

    // Writes restore point id back as the bank of the open file, through the core's one write
    // path, keeping the bank it replaces as a new point. The shown level's edits were made
    // against the bank now replaced, so they are dropped: the level is marked clean, the caption
    // announced, and the caller reads the level again. On failure nothing changes, the file
    // included.
    std::optional<LevelFailure> restore(std::int64_t id);

    // The open source's restore points, or nullptr while no file is open.
    BankHistory* restorePoints() { return m_restorePoints.get(); }

    // Paints cell with tile: marks the level dirty, announces the caption, then changes the
    // cell and announces it. Done even when the cell already holds tile. This is the step that
    // painting, undo and redo share; it does not enter the history itself.
    void paint(int cell, std::uint8_t tile);

    // Paints every cell of the shown level with map's tiles, as one edit: marks the level dirty,
    // announces the caption, then replaces the map and announces every cell. Like paint(), it
    // does not enter the history itself (a PasteCommand does).
    void paintMap(const LevelMap& map);

    // The bank as the open file holds it now, read through the core. Fails when no file is open,
    // the source has no bank or the file cannot be read; the file is only read.
    LevelResult<LevelBank> readBank() const;

    // What saving the shown level as it is now would do to the bank's free space, measured by
    // the core on the bank as the file holds it. Fails as readBank() does, or when the shown
    // level cannot be read from the file.
    LevelResult<SaveSpace> saveSpace() const;

    // The undo history of the shown level. A paint the user makes is pushed onto it as a
    // PaintCommand, which paints the cell as it is pushed.
    QUndoStack& history() { return m_history; }

    bool hasLevel() const { return m_hasLevel; }
    const LevelMap& map() const { return m_map; }
    std::uint8_t levelState() const { return m_levelState; }
    bool isDirty() const { return (m_levelState & kDirtyBit) != 0 && m_levelState < kQuitting; }
    int shownLevel() const { return m_levelState & kLevelMask; }

    // The level list is being put back to the shown level after a cancelled load: the selection
    // it reports next is adopted, not loaded.
    void adoptSelection() { m_levelState = kAdopt; }
    // While a selection is to be adopted: takes index, the list's selection, as the shown level
    // with its unsaved edits and returns true. Otherwise returns false and changes nothing.
    bool takeAdoptedSelection(int index);
    // Quit has been answered: the editor may close, and no edit counts as unsaved any more.
    void markQuitting() { m_levelState = kQuitting; }
    bool isQuitting() const { return m_levelState == kQuitting; }

    std::uint8_t oldPackedLength() const { return m_oldPackedLength; }
    std::int16_t levelOffset() const { return m_levelOffset; }
    const QString& title() const { return m_title; }
    // The window caption: the title, with "*" appended while there are unsaved edits.
    QString caption() const;

signals:
    // A level has been read; every cell of the map is new.
    void levelLoaded();
    // Cell 0..223 of the map has been painted.
    void cellChanged(int cell);
    // A paint, an undo, a redo or a paste has changed the map; sent once per edit, after its
    // cells were announced.
    void mapEdited();
    // The caption is to be shown again (it may be the same text).
    void captionChanged(const QString& caption);
    // The shown level was written into the file, with a restore point kept.
    void saved();
    // A save cut short earlier had left the bank torn, and it was put back as it was before
    // that save; message says so in a sentence.
    void interruptedSavePutBack(const QString& message);

private:
    static constexpr std::uint8_t kDirtyBit = 0x80;
    static constexpr std::uint8_t kLevelMask = 0x7F;
    static constexpr std::uint8_t kQuitting = 254;
    static constexpr std::uint8_t kAdopt = 255;

    void announceRepair(const LevelFailure& notice);

    SourceSelection m_selection;
    std::unique_ptr<ByteFile> m_file;
    std::unique_ptr<BankHistory> m_restorePoints;
    LevelMap m_map;
    bool m_hasLevel = false;
    std::uint8_t m_levelState = 0;
    std::uint8_t m_oldPackedLength = 0;
    std::int16_t m_levelOffset = 0;
    QString m_title;
    QUndoStack m_history;
};

}  // namespace morvane
