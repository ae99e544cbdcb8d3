#include "tiled/layer_data.h"

#include <zlib.h>
#include <zstd.h>
#include <zstd_errors.h>

#include <charconv>

namespace morvane {

namespace {

// The value of a base64 digit, or -1.
int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    return c == '+' ? 62 : c == '/' ? 63 : -1;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string CountProblem(std::size_t found, std::size_t expected) {
    return "it holds " + std::to_string(found) + " tiles, not " + std::to_string(expected);
}

// CountProblem for size bytes of gids where count gids were expected. Decompression stops one
// byte past the expected size, and a part of a gid is no tile, so any size past the expected
// one is worded as more tiles rather than as a count of whole ones.
std::string SizeProblem(std::size_t size, std::size_t count) {
    if (size > count * 4) {
        return "it holds more than " + std::to_string(count) + " tiles";
    }
    return CountProblem(size / 4, count);
}

// CSV: gids separated by commas, whitespace around them allowed.
std::optional<std::string> DecodeCsv(std::string_view text, std::size_t count,
                                     std::vector<std::uint32_t>& gids) {
    std::size_t items = 0;
    while (true) {
        while (!text.empty() && IsSpace(text.front())) {
            text.remove_prefix(1);
        }
        std::size_t end = text.find(',');
        std::string_view item = text.substr(0, end);
        while (!item.empty() && IsSpace(item.back())) {
            item.remove_suffix(1);
        }
        // A trailing comma, which ends Tiled's rows, leaves an empty last item.
        if (item.empty() && end == std::string_view::npos && items > 0) {
            break;
        }
        ++items;
        std::uint32_t gid = 0;
        const auto [at, error] = std::from_chars(item.data(), item.data() + item.size(), gid);
        if (item.empty() || error != std::errc() || at != item.data() + item.size()) {
            return "CSV item " + std::to_string(items) + " is not a tile";
        }
        gids.push_back(gid);
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    if (gids.size() != count) {
        return CountProblem(gids.size(), count);
    }
    return std::nullopt;
}

}  // namespace

bool DecodeBase64(std::string_view text, std::vector<std::uint8_t>& bytes) {
    std::uint32_t bits = 0;
    int bitCount = 0;
    int digits = 0;
    int padding = 0;
    for (const char c : text) {
        if (IsSpace(c)) {
            continue;
        }
        if (c == '=') {
            ++padding;
            ++digits;
            continue;
        }
        const int value = Base64Value(c);
        if (value < 0 || padding > 0) {
            return false;
        }
        ++digits;
        bits = bits << 6 | std::uint32_t(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes.push_back(std::uint8_t(bits >> bitCount));
        }
    }
    return digits % 4 == 0 && padding <= 2;
}

std::optional<std::string> Inflate(std::span<const std::uint8_t> input, bool gzip,
                                   std::size_t expected, std::vector<std::uint8_t>& output) {
    const char* name = gzip ? "gzip" : "zlib";
    z_stream stream{};
    // 15 is the largest window; 16 more reads a gzip member instead of a zlib stream.
    if (inflateInit2(&stream, gzip ? 15 + 16 : 15) != Z_OK) {
        return std::string(name) + " could not start";
    }
    // One byte more than expected tells data that is too long from data that fits.
    output.assign(expected + 1, 0);
    stream.next_in = const_cast<Bytef*>(input.data());
    stream.avail_in = uInt(input.size());
    stream.next_out = output.data();
    stream.avail_out = uInt(output.size());
    const int result = inflate(&stream, Z_FINISH);
    const std::size_t produced = output.size() - stream.avail_out;
    inflateEnd(&stream);
    if (result != Z_STREAM_END) {
        return produced > expected ? SizeProblem(produced, expected / 4)
                                   : std::string("the ") + name + " data is damaged or cut short";
    }
    if (produced != expected) {
        return SizeProblem(produced, expected / 4);
    }
    output.resize(expected);
    return std::nullopt;
}

std::optional<std::string> DecompressZstd(std::span<const std::uint8_t> input, std::size_t expected,
                                          std::vector<std::uint8_t>& output) {
    output.assign(expected + 1, 0);
    const std::size_t produced =
        ZSTD_decompress(output.data(), output.size(), input.data(), input.size());
    // Data that does not fit one byte past the expected size holds more tiles.
    if (ZSTD_isError(produced) && ZSTD_getErrorCode(produced) == ZSTD_error_dstSize_tooSmall) {
        return SizeProblem(output.size() + 1, expected / 4);
    }
    if (ZSTD_isError(produced)) {
        return std::string("the zstd data cannot be read (") + ZSTD_getErrorName(produced) + ")";
    }
    if (produced != expected) {
        return SizeProblem(produced, expected / 4);
    }
    output.resize(expected);
    return std::nullopt;
}

std::optional<std::string> DecodeLayerData(const TiledLayer& layer, std::size_t count,
                                           std::vector<std::uint32_t>& gids) {
    gids.clear();
    if (layer.encoding.empty()) {
        if (!layer.listProblem.empty()) {
            return layer.listProblem;
        }
        if (layer.gids.size() != count) {
            return CountProblem(layer.gids.size(), count);
        }
        gids = layer.gids;
        return std::nullopt;
    }
    if (layer.encoding == "csv") {
        return DecodeCsv(layer.text, count, gids);
    }
    if (layer.encoding != "base64") {
        return "the encoding \"" + layer.encoding + "\" is not csv or base64";
    }
    std::vector<std::uint8_t> packed;
    if (!DecodeBase64(layer.text, packed)) {
        return "the base64 text is not valid";
    }
    // Each gid is 4 bytes, least significant first.
    const std::size_t expected = count * 4;
    std::vector<std::uint8_t> bytes;
    if (layer.compression.empty()) {
        if (packed.size() != expected) {
            return SizeProblem(packed.size(), count);
        }
        bytes = std::move(packed);
    } else if (layer.compression == "zlib" || layer.compression == "gzip") {
        if (auto problem = Inflate(packed, layer.compression == "gzip", expected, bytes)) {
            return problem;
        }
    } else if (layer.compression == "zstd") {
        if (auto problem = DecompressZstd(packed, expected, bytes)) {
            return problem;
        }
    } else {
        return "the compression \"" + layer.compression + "\" is not zlib, gzip or zstd";
    }
    for (std::size_t at = 0; at < expected; at += 4) {
        gids.push_back(std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 |
                       std::uint32_t(bytes[at + 2]) << 16 | std::uint32_t(bytes[at + 3]) << 24);
    }
    return std::nullopt;
}

}  // namespace morvane
