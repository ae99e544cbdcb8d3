// Tiled maps from bytes in memory: layer data in each encoding, whole TMX and JSON maps.
#include <gtest/gtest.h>

#include <algorithm>
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
        {"base64", "zstd", "KLUv/QBYgQAAAQAAAAIAAAADAACABAAAAA==", "it holds more than 3 tiles"},
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
std::string Repeated(const std::string& text, int times) {
    std::string repeated;
    for (int at = 0; at < times; ++at) {
        repeated += text;
    }
    return repeated;
}
// A JSON map with fields, and its one tile layer in depth nested groups with data (none when
// empty).
std::string Json(const std::string& fields, const std::string& data, int depth = 1) {
    return R"({"type":"map","width":32,"height":7,)" + fields + R"("layers":[)" +
           Repeated(R"({"type":"group","layers":[)", depth) +
           R"({"type":"tilelayer","name":"level")" + (data.empty() ? "" : ",\"data\":" + data) +
           "}" + Repeated("]}", depth + 1);  // each group's layers and the group, then the map's
}
const std::string kJsonTiles = R"("tilesets":[{"firstgid":1,"source":"tiles.json"}],)";

// CSV gids as TMX <tile> elements.
std::string TileElements(const std::string& csv) {
    std::string tiles;
    for (std::size_t at = 0; at < csv.size();) {
        const std::size_t end = std::min(csv.find(',', at), csv.size());
        tiles += "<tile gid=\"" + csv.substr(at, end - at) + "\"/>";
        at = end + 1;
    }
    return tiles;
}
// 224 empty cells.
const std::string kZeros = "0" + Repeated(",0", 223);
// Groups nested depth deep around the level's layer, in TMX or JSON.
std::string TmxGroups(int depth) {
    return Tmx(kTiles + Repeated("<group>", depth) + Layer(Cells(1)) + Repeated("</group>", depth));
}

TEST(ReadTiledMap, ReadsLevelsFromTmxAndJsonAndRefusesOtherMapsNamingTheCells) {
    const std::string bom = "\xEF\xBB\xBF \r\n\t";
    const std::string two =
        "<tileset firstgid=\"1\" name=\"walls\"/><tileset firstgid=\"65\" "
        "source=\"tiles.tsx\"/><tileset firstgid=\"200\" name=\"x\"/>";
    const std::string level7 = "<properties><property name=\"level\" value=\"7\"/></properties>";
    const struct {
        std::string bytes, problem;  // problem empty: the level of Cells()
        std::optional<int> level = std::nullopt;
    } rows[] = {
        {bom + Tmx(kTiles + Layer(Cells(1))), ""},
        {Tmx(two + Layer(Cells(65), "walls") + "<group>" + Layer(Cells(65)) + "</group>"),
         "the tile layer \"walls\" holds tiles too, and only the layer \"level\" is the level; "
         "move them into it (select tile layer \"walls\" and use Layer > Merge Layer Down) or "
         "delete the layer"},
        {Tmx(level7 + two + Layer(kZeros, "walls") + "<group>" + Layer(Cells(65)) + "</group>"), "",
         7},
        {Tmx(kTiles + Layer("1", "walls") + Layer(Cells(1))),
         "the tile layer \"walls\"'s data cannot be read: it holds 1 tiles, not 224"},
        // Any tileset named "tiles" is the level's: Tiled adds one when another folder's is used.
        {Tmx(kTiles + "<tileset firstgid=\"65\" source=\"proj/tiles.tsx\"/>" +
             Layer(Cells(1, {{5, 72}, {6, 72}}))),
         ""},
        {bom +
             Json(
                 R"("tilesets":[{"firstgid":1,"name":"a"},{"firstgid":65,"source":"../tiles.json"}],"properties":[{"name":"by","value":"x"},{"name":"level","type":"int","value":99}],)",
                 "[" + Cells(65) + "]"),
         "", 99},
        {Json(R"("tilesets":[{"firstgid":64,"name":"other"},{"firstgid":1,"name":"tiles"}],)",
              "[" + Cells(1) + "]"),
         "the cell at x 1, y 0 holds gid 64, not a tile of the level's tileset; paint it from the "
         "tileset \"tiles\""},
        {Tmx(kTiles + Layer(kZeros)),
         "224 cells hold no tile the level can use: x 0, y 0 is empty; x 1, y 0 is empty; x 2, y 0 "
         "is empty; x 3, y 0 is empty; x 4, y 0 is empty; x 5, y 0 is empty; x 6, y 0 is empty; x "
         "7, y 0 is empty; x 8, y 0 is empty; x 9, y 0 is empty; and 214 more; paint a tile in "
         "each empty cell"},
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
        {Tmx(kTiles, "width=\"32.9\" height=\"7\""),
         "the map's width is \"32.9\", not a whole number of tiles"},
        {Tmx(kTiles, "width=\"32\" height=\"7abc\""),
         "the map's height is \"7abc\", not a whole number of tiles"},
        {Tmx(kTiles, "width=\"32\""), "the map's height is \"\", not a whole number of tiles"},
        {R"({"type":"map","width":4294967328,"height":7})",
         "the map is 4294967328 x 7 tiles, not 32 x 7"},
        {R"({"type":"map","width":32,"height":-7})",
         "the map's height is \"-7\", not a whole number of tiles"},
        {R"({"type":"map","width":32.0,"height":7})",
         "the map's width is \"32.0\", not a whole number of tiles"},
        {R"({"type":"map","width":"32","height":7})",
         "the map's width is \"\"32\"\", not a whole number of tiles"},
        {Tmx("<tileset source=\"tiles.tsx\"/>" + Layer(Cells(1))),
         "the firstgid of the tileset \"tiles\" is \"\", not a whole number from 1"},
        {Tmx("<tileset firstgid=\"0\" name=\"a\"/>"),
         "the firstgid of the tileset \"a\" is \"0\", not a whole number from 1"},
        {Tmx("<tileset firstgid=\"4294967296\" name=\"a\"/>"),
         "the firstgid of the tileset \"a\" is \"4294967296\", not a whole number from 1"},
        {Json(R"("tilesets":[{"source":"tiles.json"}],)", "[1]"),
         "the firstgid of the tileset \"tiles\" is \"null\", not a whole number from 1"},
        {Tmx("<properties><property name=\"level\" value=\"100\"/></properties>"),
         "the map property \"level\" is \"100\", not a level number from 1 to 99"},
        {Json(R"("properties":[{"name":"level","value":"7"}],)", "[1]"),
         "the map property \"level\" is \"\"7\"\", not a level number from 1 to 99"},
        {Tmx(kTiles), "the map has no tile layer"},
        {Tmx(kTiles + Layer("1", "a") + "<group>" + Layer("1", "b") + "</group>"),
         "the map has 2 tile layers and not exactly one of them is named \"level\""},
        {Tmx(Layer(Cells(1))), "the map has no tileset"},
        {Tmx("<tileset firstgid=\"1\" name=\"a\"/><tileset firstgid=\"65\" name=\"b\"/>" +
             Layer(Cells(1))),
         "the map has several tilesets and none of them is named \"tiles\""},
        {Tmx(kTiles + Layer(Cells(1).substr(2))),
         "the tile layer's data cannot be read: it holds 223 tiles, not 224"},
        {Json(kJsonTiles, "[" + Cells(1, {{0, 0xFFFFFFFF}}) + "]"),
         "the cell at x 0, y 0 is flipped or rotated; undo the flip (press X, Y or Z again)"},
        // Of two tilesets at one firstgid, the first owns the gids.
        {Tmx(kTiles + "<tileset firstgid=\"1\" name=\"walls\"/>" + Layer(Cells(1))), ""},
        {Json(kJsonTiles, "[1,1.5]"),
         "the tile layer's data cannot be read: item 2 of its data is not a tile"},
        {Tmx(kTiles + "<layer name=\"level\"><data>" + TileElements(Cells(1, {{0, 0xFFFFFFFF}})) +
             "</data></layer>"),
         "the cell at x 0, y 0 is flipped or rotated; undo the flip (press X, Y or Z again)"},
        {Tmx(kTiles + "<layer name=\"level\"><data><tile gid=\"1\"/><tile/><tile "
                      "gid=\"abc\"/></data></layer>"),
         "the tile layer's data cannot be read: item 3 of its data is not a tile"},
        {Json(kJsonTiles, ""), "the tile layer's data cannot be read: it has no data"},
        {Tmx("<tileset firstgid=\"1\" name=\"walls\"/>" + Layer(Cells(1))), ""},
        {Tmx(kTiles + Layer(Cells(1, {{67, 0}}))),
         "the cell at x 3, y 2 is empty; paint a tile there"},
        {Tmx(kTiles + Layer(Cells(1, {{223, 0x10000001}}))),
         "the cell at x 31, y 6 is flipped or rotated; undo the flip (press X, Y or Z again)"},
        {Tmx(kTiles + Layer(Cells(1, {{32, 65}}))),
         "the cell at x 0, y 1 holds tile 64 of the tileset; tile numbers go up to 63; paint it "
         "with a tile from 0 to 63"},
        {Tmx(two + Layer(Cells(65, {{33, 64}}))),
         "the cell at x 1, y 1 holds gid 64, not a tile of the level's tileset; paint it from "
         "the tileset \"tiles\""},
        {Tmx(kTiles + Layer(Cells(1, {{0, 0}, {40, 0x80000002}, {41, 0}, {223, 0}}))),
         "4 cells hold no tile the level can use: x 0, y 0 is empty; x 8, y 1 is flipped or "
         "rotated; x 9, y 1 is empty; x 31, y 6 is empty; paint a tile in each empty cell, and "
         "undo each flip (press X, Y or Z again)"},
        {TmxGroups(64), ""},
        {TmxGroups(65), "the map's group layers are nested more than 64 deep"},
        {Json(kJsonTiles, "[" + Cells(1) + "]", 64), ""},
        {Json(kJsonTiles, "[" + Cells(1) + "]", 65),
         "the map's group layers are nested more than 64 deep"},
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
        EXPECT_TRUE(!read.ok() || (read.value().map == level && read.value().level == row.level));
        EXPECT_EQ(LooksLikeTiledMap(bytes), row.bytes[0] != '1');
    }

    // Written maps read back as the level and its number; like Tiled, no comma follows the
    // last gid.
    for (const std::optional<int> number : {std::optional(12), std::optional<int>()}) {
        const std::string written = FormatTmxMap(level, {16, 16}, number);
        for (const char* line : {"\">\n8,64,8,8,", ",8,\n8,8,", ",8,1\n</data>"}) {
            EXPECT_NE(written.find(line), std::string::npos) << line << "\n" << written;
        }
        const auto read =
            ReadTiledMap({reinterpret_cast<const std::uint8_t*>(written.data()), written.size()});
        EXPECT_TRUE(read.ok() && read.value().map == level && read.value().level == number);
    }
}

}  // namespace
}  // namespace morvane
