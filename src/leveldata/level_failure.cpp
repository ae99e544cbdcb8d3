#include "leveldata/level_failure.h"

#include <cctype>

namespace morvane {

namespace {

std::string AtByte(std::int64_t fileByte) {
    return fileByte >= 0 ? " at file byte " + std::to_string(fileByte) : std::string();
}

std::string Problem(const LevelFailure& failure) {
    switch (failure.error) {
        case LevelError::NoSuchLevel:
            return "the source holds no such level";
        case LevelError::BadDataOffset:
            return "the data offset is not a valid file position";
        case LevelError::TableLeavesFile:
            return "the file ends inside the pointer table, before the level's entry" +
                   AtByte(failure.fileByte);
        case LevelError::PointerOutsideBank:
            return "its pointer" + AtByte(failure.fileByte) +
                   " does not point into the bank's level data";
        case LevelError::StreamLeavesBank:
            return "its packed stream runs past the end of the bank" + AtByte(failure.fileByte);
        case LevelError::StreamLeavesFile:
            return "the file ends inside its packed stream" + AtByte(failure.fileByte);
        case LevelError::RunPastEnd:
            return "the run" + AtByte(failure.fileByte) + " would pass the level's last cell";
        case LevelError::NotABank:
            return "this source holds a single map and cannot be saved";
        case LevelError::BadLevelPlace:
            return "the file was changed by another program since this level was read; load the "
                   "level again";
        case LevelError::BankOverflow:
            return "the bank's free space is too small: " + std::to_string(failure.missingBytes) +
                   (failure.missingBytes == 1 ? " byte is" : " bytes are") + " missing";
        case LevelError::FreeSpaceUnknown:
            return "the last level cannot be read, so the bank's free space is unknown and a "
                   "longer level cannot be saved";
        case LevelError::LevelWouldChange:
            return "saving would change how this level reads";
        case LevelError::ReadFailed:
            return DescribeFileStatus(failure.file);
        case LevelError::WriteFailed:
            return "the operating system refused the write: " + DescribeFileStatus(failure.file);
        case LevelError::VerifyFailed:
            return "the bank read back after writing differs from what was written";
        case LevelError::HistoryFailed:
            return "no restore point could be made in " + failure.detail + ", so nothing was " +
                   "written: " + DescribeFileStatus(failure.file);
        case LevelError::NoSuchPoint:
            return "there is no restore point " + failure.detail;
        case LevelError::PointDamaged:
            return "restore point " + failure.detail +
                   " is damaged: its bytes do not match its checksum";
        case LevelError::PointOfOtherFile:
            return "restore point " + failure.detail +
                   " was taken from a file of another kind or size";
        case LevelError::PointUnreadable:
            return "restore point " + failure.detail +
                   " cannot be read: " + DescribeFileStatus(failure.file);
        case LevelError::HistoryUnreadable:
            return "the restore points in " + failure.detail +
                   " cannot be read: " + DescribeFileStatus(failure.file);
        case LevelError::WriterBusy:
            return "another program is writing " + failure.detail;
        case LevelError::SaveInterrupted:
            return "the last save of " + failure.detail +
                   " was interrupted; the bank was put back as it was before it (restore point " +
                   std::to_string(failure.point) + ")";
        case LevelError::SaveRecordStale:
            return "the last save of " + failure.detail +
                   " was interrupted, but the bank was changed since by another program; it was "
                   "left as it is and the record of that save removed (restore point " +
                   std::to_string(failure.point) + " holds the bank from before it)";
        case LevelError::RecordUnusable:
            return "the record of an interrupted save, " + failure.detail +
                   ", cannot be used: " + DescribeFileStatus(failure.file) +
                   "; check the bank with 'morvane-levels info' and remove the record to write "
                   "again";
        case LevelError::RecordPointUnusable:
            return "the last save was interrupted and left the bank torn, but its record, " +
                   failure.detail + ", names restore point " + std::to_string(failure.point) +
                   ", which cannot be put back: " + failure.cause +
                   "; restore another point, or remove the record to write the bank as it is";
        case LevelError::SaveTorn:
            return "the last save of " + failure.detail +
                   " was interrupted and left the bank torn; the next write puts it back as it "
                   "was before it (restore point " +
                   std::to_string(failure.point) + ")";
    }
    return "unknown failure";
}

}  // namespace

std::string DescribeLevelFailure(const LevelFailure& failure) {
    std::string text = Problem(failure);
    if (failure.level > 0) {
        text = "Level " + std::to_string(failure.level) + ": " + text;
    } else if (!text.empty()) {
        text[0] = char(std::toupper(static_cast<unsigned char>(text[0])));
    }
    return text + ".";
}

}  // namespace morvane
