// Tiled maps from bytes in memory: layer data in each encoding, whole TMX and JSON maps.
#include <gtest/gtest.h>

#include <map>

#include "tiled/layer_data.h"
#include "tiled/tiled_map_reader.h"
#include "tiled/tiled_map_writer.h"

namespace morvane {
namespace {

TEST(DecodeLayerData, ReadsEachEncodingAndWordsWhatIsWrong) {
    // Base64 rows hold gids 1, 2 and 0x80000003 (12 bytes), cut to 8, grown to 13 or 16 bytes.
    const struct {
        std::string encoding, compression, text;
        std::string problem;  // empty: the gids are 1, 2, 0x80000003
    } rows[] = {
        {"csv", "", "\n1, 2,\n2147483651,\n", ""},
        {"csv", "", "1,,3", "CSV item 2 is not a tile"},
        {"csv", "", "1,2,4294967296", "CSV item 3 is not a tile"},
        {"csv", "", "1,2,3x", "CSV item 3 is not a tile"},
        {"csv", "", "1,2,3,4", "it holds 4 tiles, not 3"},
        {"base64", "", " AQAAAAIA\n  AAADAACA ", ""},
        {"base64", "", "AQAAAAIAAAA=", "it holds 2 tiles, not 3"},
        {"base64", "", "AQAAAAIAAAADAACAAA==", "it holds more than 3 tiles"},
        {"base64", "", "AQAAAAIAAA=AAACA", "the base64 text is not valid"},
        {"base64", "", "AQAAAAIAAAADAACA A===", "the base64 text is not valid"},
        {"base64", "zlib", "eNpjZGBgYAJiZgaGBgAAtACH", ""},
        {"base64", "gzip", "H4sIAAAAAAACA2NkYGBgAmJmBoYGALOhWF0MAAAA", ""},
        {"base64", "zstd", "KLUv/SAMYQAAAQAAAAIAAAADAACA", ""},
        {"base64", "zlib", "eNpjZGBgYAJiAAAYAAQ=", "it holds 2 tiles, not 3"},
        {"base64", "zlib", "eNpjZGBgYAJiZgaGBgYAATsAhw==", "it holds more than 3 tiles"},
        {"base64", "zlib", "eNpjZGBgYAJiZgaGBhYgDQAC4ACL", "it holds more than 3 tiles"},
        {"base64", "gzip", "eNpjZGBgYAJiZgaGBgAAtACH", "the gzip data is damaged or cut short"},
        {"base64", "zstd", "KLUv/SANaQAAAQAAAAIAAAADAACAAA==", "it holds more than 3 tiles"},
        {"base64", "zstd", "AAAAAAAA", "the zstd data cannot be read (Src size is incorrect)"},
        {"base64", "lzma", "", "the compression \"lzma\" is not zlib, gzip or zstd"},
        {"xml", "", "1,2,3", "the encoding \"xml\" is not csv or base64"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.encoding + " " + row.compression + " " + row.text);
        const TiledLayer layer{"", row.encoding, row.compression, row.text, {}, ""};
        std::vector<std::uint32_t> gids;
        EXPECT_EQ(DecodeLayerData(layer, 3, gids).value_or(""), row.problem);
        if (row.problem.empty()) {
            EXPECT_EQ(gids, (std::vector<std::uint32_t>{1, 2, 0x80000003}));
        }
    }
}

// 224 gids as CSV: first + 7 everywhere, first + 63 at x 1, y 0 and first at x 31, y 6, but
// where cells (by index x + 32 y) say otherwise.
std::string Cells(std::uint32_t first, std::map<int, std::uint32_t> cells = {}) {
    cells.insert({{1, first + 63}, {223, first}});
    std::string csv;
    for (int at = 0; at < 224; ++at) {
        csv += (at ? "," : "") + std::to_string(cells.contains(at) ? cells[at] : first + 7);
    }
    return csv;
}
std::string Tmx(const std::string& inside, const std::string& map = "width=\"32\" height=\"7\"") {
    return "<?xml version=\"1.0\"?>\n<map " + map + ">" + inside + "</map>";
}
std::string Layer(const std::string& csv, const std::string& name = "level") {
    return "<layer name=\"" + name + "\"><data encoding=\"csv\">" + csv + "</data></layer>";
}
const std::string kTiles = "<tileset firstgid=\"1\" source=\"../tiles.tsx\"/>";
// A JSON map with fields, and its one tile layer in a group with data (none when empty).
std::string Json(const std::string& fields, const std::string& data) {
    return R"({"type":"map","width":32,"height":7,)" + fields +
           R"("layers":[{"type":"group","layers":[{"type":"tilelayer","name":"level")" +
           (data.empty() ? "" : ",\"data\":" + data) + "}]}]}";
}
const std::string kJsonTiles = R"("tilesets":[{"firstgid":1,"source":"tiles.json"}],)";

TEST(ReadTiledMap, ReadsLevelsFromTmxAndJsonAndRefusesOtherMapsNamingTheCell) {
    const std::string bom = "\xEF\xBB\xBF \r\n\t";
    const std::string two =
        "<tileset firstgid=\"1\" name=\"walls\"/><tileset firstgid=\"65\" "
        "source=\"tiles.tsx\"/><tileset firstgid=\"200\" name=\"x\"/>";
    const struct {
        std::string bytes, problem;  // problem empty: the level of Cells()
    } rows[] = {
        {bom + Tmx(kTiles + Layer(Cells(1))), ""},
        {Tmx(two + Layer(Cells(65), "walls") + "<group>" + Layer(Cells(65)) + "</group>"), ""},
        {bom +
             Json(
                 R"("tilesets":[{"firstgid":1,"name":"a"},{"firstgid":65,"source":"../tiles.json"}],)",
                 "[" + Cells(65) + "]"),
         ""},
        {Json(R"("tilesets":[{"firstgid":3,"name":"other"},{"firstgid":1,"name":"tiles"}],)",
              "[" + Cells(1) + "]"),
         "the tile at x 0, y 0 (gid 8) is not one of the level's tileset"},
        {"1 2 3", "this is not a Tiled map (it starts with neither '<' nor '{')"},
        {"<map", "this is not a Tiled map (XML: Error parsing start element tag at byte 3)"},
        {"{\"type\":", "this is not a Tiled map (the JSON is not valid)"},
        {R"({"type":"tileset","width":32,"height":7})",
         "this is not a Tiled map (the JSON is not a map's object)"},
        {Json(R"("infinite":"no",)", "[1]"),
         "this is not a Tiled map (a field of the JSON map has the wrong type)"},
        {Tmx(kTiles + Layer(Cells(1)), "width=\"32\" height=\"7\" infinite=\"1\""),
         "the map is infinite; a level is a fixed map of 32 x 7 tiles"},
        {Tmx(kTiles + Layer(Cells(1)), "width=\"31\" height=\"7\""),
         "the map is 31 x 7 tiles, not 32 x 7"},
        {Tmx(kTiles), "the map has no tile layer"},
        {Tmx(kTiles + Layer("1", "a") + "<group>" + Layer("1", "b") + "</group>"),
         "the map has 2 tile layers and not exactly one of them is named \"level\""},
        {Tmx(Layer(Cells(1))), "the map has no tileset"},
        {Tmx(kTiles + kTiles + Layer(Cells(1))),
         "the map has several tilesets and not exactly one of them is named \"tiles\""},
        {Tmx(kTiles + Layer(Cells(1).substr(2))),
         "the tile layer's data cannot be read: it holds 223 tiles, not 224"},
        {Json(kJsonTiles, "[1,1.5]"),
         "the tile layer's data cannot be read: item 2 of its data is not a tile"},
        {Json(kJsonTiles, ""), "the tile layer's data cannot be read: it has no data"},
        {Tmx(kTiles + Layer(Cells(1, {{67, 0}}))), "the cell at x 3, y 2 is empty"},
        {Tmx(kTiles + Layer(Cells(1, {{223, 0x10000001}}))),
         "the tile at x 31, y 6 is flipped or rotated"},
        {Tmx(kTiles + Layer(Cells(1, {{32, 65}}))),
         "the tile at x 0, y 1 is tile 64 of the tileset; tile numbers go up to 63"},
        {Tmx(two + Layer(Cells(65, {{33, 64}}))),
         "the tile at x 1, y 1 (gid 64) is not one of the level's tileset"},
    };
    LevelMap level;
    for (int cell = 0; cell < LevelMap::kCellCount; ++cell) {
        level.setCell(cell, 7);
    }
    level.setCell(LevelMap::cellAt(1, 0), 63), level.setCell(LevelMap::cellAt(31, 6), 0);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.bytes.substr(0, 300));
        const std::span bytes(reinterpret_cast<const std::uint8_t*>(row.bytes.data()),
                              row.bytes.size());
        const TiledMapResult read = ReadTiledMap(bytes);
        EXPECT_EQ(read.ok() ? "" : DescribeTiledMapProblem(read.failure()), row.problem);
        EXPECT_TRUE(!read.ok() || read.value() == level);
        EXPECT_EQ(LooksLikeTiledMap(bytes), row.bytes[0] != '1');
    }

    // Written maps read back as the level; like Tiled, no comma follows the last gid.
    const std::string written = FormatTmxMap(level, {16, 16});
    for (const char* line : {"\">\n8,64,8,8,", ",8,\n8,8,", ",8,1\n</data>"}) {
        EXPECT_NE(written.find(line), std::string::npos) << line << "\n" << written;
    }
    const auto read =
        ReadTiledMap({reinterpret_cast<const std::uint8_t*>(written.data()), written.size()});
    EXPECT_TRUE(read.ok() && read.value() == level);
}

}  // namespace
}  // namespace morvane
