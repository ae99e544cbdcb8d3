#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "leveldata/byte_file.h"
#include "leveldata/level_layout.h"
#include "sources/source_descriptor.h"
#include "sources/source_kind.h"

namespace morvane {

// An open source file with its kind; layout is empty when the kind is not recognised.
struct Source {
    SourceKind kind = SourceKind::Unknown;
    SourceDescriptor descriptor;
    std::optional<LevelLayout> layout;
    std::unique_ptr<ByteFile> file;
};

// What is wrong with a file of no known kind.
inline constexpr std::string_view kNotASource =
    "not a recognised source file (a cartridge dump, level bank, MEKA savestate or 224-byte map)";

// Opens path and classifies it. Returns the problem in words when the file cannot be opened;
// an unrecognised file opens fine and has no layout (OpenKnownSource refuses it).
std::optional<std::string> OpenSource(FileSystem& files, const std::string& path, OpenMode mode,
                                      Source& source);
std::optional<std::string> OpenKnownSource(FileSystem& files, const std::string& path,
                                           OpenMode mode, Source& source);

// Opens path as a recognised source that holds a bank; a single map is refused, since it is
// never written. Returns the problem in words.
std::optional<std::string> OpenBankSource(FileSystem& files, const std::string& path, OpenMode mode,
                                          Source& source);

}  // namespace morvane
