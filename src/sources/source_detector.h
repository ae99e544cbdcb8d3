#pragma once

#include <string>

#include "leveldata/byte_file.h"
#include "sources/source_kind.h"

namespace morvane {

// Classifies an open file by its length and a few signature bytes, reading at most 16 bytes:
// - 131072 bytes: a cartridge dump if the header at 0x7FF0 begins "TMR SEGA" and its bytes
//   12..15 are 15 23 00 7F (UE) or 17 00 60 6F (J); otherwise Unknown;
// - 24779 bytes beginning "MEKA": a MEKA savestate;
// - 224 bytes: an uncompressed map, whatever it holds;
// - beginning C6 80 (the first pointer of a bank): extracted map data;
// - anything else, or a file that cannot be read: Unknown.
SourceKind DetectSourceKind(ByteFile& file);

// Opens path read-only, classifies it and closes it again in every case. A file that cannot be
// opened (missing, no permission, not a regular file) is Unknown. Never writes.
SourceKind DetectSourceKind(FileSystem& files, const std::string& path);

}  // namespace morvane
