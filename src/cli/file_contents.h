#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/command_context.h"
#include "leveldata/byte_file.h"

namespace morvane {

// Reads the text at path into text, or all of the context's input when path is "-". A file
// goes through the file layer, which refuses FIFOs and devices; a file or input larger than
// 1 MiB is refused, the problem then saying it is too large to be what. Returns the problem in
// words.
std::optional<std::string> ReadTextInput(const CommandContext& context, const std::string& path,
                                         std::string_view what, std::string& text);

// Reads the whole file at path through the file layer into bytes, which refuses FIFOs and
// devices; a file larger than maxBytes is refused with the problem tooLarge. Returns the
// problem in words.
std::optional<std::string> ReadInputFile(FileSystem& files, const std::string& path,
                                         std::int64_t maxBytes, const std::string& tooLarge,
                                         std::vector<std::uint8_t>& bytes);

// A file to write and the bytes it gets, as ReplaceFilesInFolder takes them.
using FileContents = std::pair<std::string, std::span<const std::uint8_t>>;

// Adds (path, bytes) to contents unless the file at path already holds exactly bytes: such a
// file is written when missing and replaced when different. contents keeps a view of bytes,
// which must outlive it.
void AddFileIfChanged(FileSystem& files, const std::string& path,
                      std::span<const std::uint8_t> bytes, std::vector<FileContents>& contents);

// The bytes of text, as a view.
std::span<const std::uint8_t> BytesOf(std::string_view text);

// The path of the file name in folder, joined with '/', which Windows takes too, so that the
// names the commands print are the same on every system.
std::string PathInFolder(const std::string& folder, std::string_view name);

}  // namespace morvane
