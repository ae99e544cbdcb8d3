#include "leveldata/byte_file.h"

#include <algorithm>

namespace morvane {

FileStatus ReadZeroPadded(ByteFile& file, std::int64_t offset, std::span<std::uint8_t> buffer,
                          std::size_t& bytesPresent) {
    bytesPresent = 0;
    std::fill(buffer.begin(), buffer.end(), std::uint8_t{0});
    return file.readAt(offset, buffer, bytesPresent);
}

}  // namespace morvane
