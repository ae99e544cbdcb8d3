// Levels to Tiled and back, and project folders, through the built tool and Debian's Tiled
// (tmxrasterizer and tiled --export-map, on Qt's offscreen platform).
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>
#include <zlib.h>
#include <zstd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "demo_levels.h"
#include "gif_writer.h"
#include "leveldata/map_text.h"
#include "nlohmann/json.hpp"
#include "tool_folder.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kRasterizer = "/usr/bin/tmxrasterizer";
constexpr const char* kTiled = "/usr/bin/tiled";

using test::ExpectRefused;

class TiledTool : public test::ToolFolder {
protected:
    void SetUp() override {
        ToolFolder::SetUp();
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        write("bank.bin", demo::MakeDemoBank());
        std::string error;
        ASSERT_TRUE(demo::WriteTilePictures(m_folder.string(), error)) << error;
    }
    // Runs one of Tiled's programs, which must be installed (scripts/test installs them).
    test::ToolRun runTiled(const char* program, const std::vector<std::string>& arguments) {
        EXPECT_TRUE(fs::exists(program)) << program << " is missing: apt-get install tiled";
        return test::RunTool(program, arguments, m_folder.string());
    }
};

// A PNG file's pixels as RGBA, or nothing.
std::optional<std::pair<png_image, Bytes>> DecodePng(const std::string& bytes) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        return std::nullopt;
    }
    image.format = PNG_FORMAT_RGBA;
    Bytes pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
        return std::nullopt;
    }
    return std::pair(image, std::move(pixels));
}

std::string Base64(const Bytes& bytes) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        const std::uint32_t group = std::uint32_t(bytes[at]) << 16 |
                                    (at + 1 < bytes.size() ? bytes[at + 1] << 8 : 0) |
                                    (at + 2 < bytes.size() ? bytes[at + 2] : 0);
        for (std::size_t digit = 0; digit < 4; ++digit) {
            text += at + digit <= bytes.size() ? kDigits[group >> (18 - 6 * digit) & 63] : '=';
        }
    }
    return text;
}

// gids compressed as Tiled's compression attribute names it: "zlib", "gzip" or "zstd".
Bytes Compress(const Bytes& raw, const std::string& compression) {
    Bytes packed(raw.size() + 1024);
    if (compression == "zstd") {
        packed.resize(ZSTD_compress(packed.data(), packed.size(), raw.data(), raw.size(), 3));
        return packed;
    }
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, compression == "gzip" ? 31 : 15, 8, Z_DEFAULT_STRATEGY);
    stream.next_in = const_cast<Bytef*>(raw.data());
    stream.avail_in = uInt(raw.size());
    stream.next_out = packed.data();
    stream.avail_out = uInt(packed.size());
    deflate(&stream, Z_FINISH);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    return packed;
}

// An exported TMX map with its CSV layer data stored as encoding and compression say ("" and
// "": one <tile> element per cell), for Tiled to read and write back in that format.
std::string Reencoded(const std::string& tmx, const std::string& encoding,
                      const std::string& compression) {
    const std::size_t open = tmx.find("<data encoding=\"csv\">");
    const std::size_t close = tmx.find("</data>");
    std::string csv = tmx.substr(open + 21, close - open - 21);
    std::vector<std::uint32_t> gids;
    for (std::size_t at = 0; at < csv.size();) {
        std::size_t used = 0;
        gids.push_back(std::uint32_t(std::stoul(csv.substr(at), &used)));
        at = csv.find_first_of("0123456789", at + used);
    }
    std::string data;
    if (encoding.empty()) {
        data = "<data>";
        for (const std::uint32_t gid : gids) {
            data += "<tile gid=\"" + std::to_string(gid) + "\"/>";
        }
    } else {
        Bytes raw;
        for (const std::uint32_t gid : gids) {
            raw.insert(raw.end(), {std::uint8_t(gid), std::uint8_t(gid >> 8), 0, 0});
        }
        const Bytes stored = compression.empty() ? raw : Compress(raw, compression);
        data = "<data encoding=\"base64\"" +
               (compression.empty() ? "" : " compression=\"" + compression + "\"") + ">" +
               Base64(stored);
    }
    return tmx.substr(0, open) + data + tmx.substr(close);
}

std::string Repeated(const std::string& text, int times) {
    std::string repeated;
    for (int at = 0; at < times; ++at) {
        repeated += text;
    }
    return repeated;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    return at == std::string::npos ? "(not found: " + from + ")"
                                   : text.replace(at, from.size(), to);
}

TEST_F(TiledTool, TmxrasterizerDrawsExportedMapsAsThePngExport) {
    ASSERT_EQ(run({"export", "bank.bin", "--all", "--format", "png", "-o", "png"}).exitCode, 0);
    const auto tmx = run({"export", "bank.bin", "--all", "--format", "tmx", "-o", "maps"});
    ASSERT_EQ(tmx.exitCode, 0) << tmx.err;
    EXPECT_NE(tmx.out.find("maps/Level99.tmx\nmaps/tiles.tsx\n"), std::string::npos);
    // The tileset is written when missing and replaced when different, and only then.
    EXPECT_EQ(run({"export", "bank.bin", "7", "--format", "tmx", "-o", "maps"}).out,
              "maps/Level7.tmx\n");
    const std::string tileset = text("maps/tiles.tsx");
    EXPECT_NE(tileset.find("<image width=\"16\" height=\"16\" source=\"../gif/63.gif\" />"),
              std::string::npos);
    write("maps/tiles.tsx", std::string("old"));
    EXPECT_EQ(run({"export", "bank.bin", "7", "--format", "tmx", "-o", "maps"}).out,
              "maps/Level7.tmx\nmaps/tiles.tsx\n");
    EXPECT_EQ(text("maps/tiles.tsx"), tileset);

    // The demo's every fourth tile has a clear corner, which the export fills.
    int transparent = 0;
    for (const int level : {1, 4, 58, 99}) {
        const std::string name = "Level" + std::to_string(level);
        const auto drawn = runTiled(kRasterizer, {"maps/" + name + ".tmx", name + ".drawn.png"});
        ASSERT_EQ(drawn.exitCode, 0) << drawn.err;
        const auto tiled = DecodePng(text(name + ".drawn.png"));
        const auto ours = DecodePng(text("png/" + name + ".png"));
        ASSERT_TRUE(tiled && ours);
        ASSERT_EQ(tiled->first.width, 512u);
        ASSERT_EQ(tiled->first.height, 112u);
        ASSERT_EQ(ours->first.width, 512u);
        // tmxrasterizer leaves transparent what the export fills with the grid's background.
        int differing = 0;
        for (std::size_t at = 0; at < ours->second.size(); at += 4) {
            Bytes pixel(tiled->second.begin() + long(at), tiled->second.begin() + long(at) + 4);
            if (pixel[3] == 0) {
                pixel = {0x2c, 0x3a, 0x4a, 0xff};
                ++transparent;
            }
            differing += pixel != Bytes(ours->second.begin() + long(at),
                                        ours->second.begin() + long(at) + 4);
        }
        EXPECT_EQ(differing, 0) << name;
    }
    EXPECT_GT(transparent, 0);
    // Exported pictures keep the resolution they always had, 3937 pixels a metre both ways.
    EXPECT_NE(text("png/Level4.png").find(std::string("pHYs\0\0\x0f\x61\0\0\x0f\x61\1", 13)),
              std::string::npos);
}

TEST_F(TiledTool, MapsTiledRewritesInEveryEncodingReadBackToTheSameBank) {
    // Level 4's map saved as level 9, once from dump's text: the bank every Tiled map must give.
    write("copy.bin", text("bank.bin"));
    ASSERT_EQ(
        run({"set", "copy.bin", "9", "-", "--no-history"}, FormatMapText(demo::MakeDemoLevel(3)))
            .exitCode,
        0);
    const std::string expected = text("copy.bin");
    ASSERT_EQ(run({"export", "bank.bin", "4", "--format", "tmx"}).exitCode, 0);
    const std::string exported = text("Level4.tmx");

    struct Encoding {
        std::string encoding, compression;
    };
    for (const auto& [encoding, compression] : std::vector<Encoding>{{"csv", ""},
                                                                     {"", ""},
                                                                     {"base64", ""},
                                                                     {"base64", "zlib"},
                                                                     {"base64", "gzip"},
                                                                     {"base64", "zstd"}}) {
        write("input.tmx",
              encoding == "csv" ? exported : Reencoded(exported, encoding, compression));
        for (const std::string output : {"out.tmx", "out.json", "embedded.tmj"}) {
            std::vector<std::string> arguments = {"--export-map", "input.tmx", output};
            if (output == "embedded.tmj") {
                arguments.insert(arguments.begin(), "--embed-tilesets");
            }
            const std::string label = encoding + "+" + compression + " as " + output;
            ASSERT_EQ(runTiled(kTiled, arguments).exitCode, 0) << label;
            // Tiled kept the layer format.
            const std::string written = text(output);
            const bool json = output != "out.tmx";
            const std::string marker =
                !compression.empty()
                    ? "compression" + std::string(json ? "\":\"" : "=\"") + compression
                : encoding == "base64" ? (json ? "\"encoding\":\"base64\"" : "\"base64\"")
                : json                 ? "\"data\":["
                : encoding == "csv"    ? "\"csv\""
                                       : "<tile gid=";
            EXPECT_NE(written.find(marker), std::string::npos) << label << "\n" << written;
            EXPECT_EQ(written.find("tiles.tsx") == std::string::npos, output == "embedded.tmj")
                << label;
            write("round.bin", text("bank.bin"));
            const auto set = run({"set", "round.bin", "9", output, "--any-level", "--no-history"});
            EXPECT_EQ(set.exitCode, 0) << label << ": " << set.err;
            EXPECT_TRUE(text("round.bin") == expected) << label;
        }
    }
}

// Each refusal's words are tested on bytes in tests/tiled; here the tool's part: the file named
// and made printable, exit status 1 and the bank untouched, hostile input refused within bounds
// of memory and time, and the level the map names.
TEST_F(TiledTool, MapsThatAreNotALevelAreRefusedNamingTheFile) {
#if defined(__SANITIZE_ADDRESS__)
    constexpr std::uint64_t kAddressSpace =
        0;  // AddressSanitizer reserves terabytes of address space
#else
    constexpr std::uint64_t kAddressSpace = std::uint64_t(256) << 20;
#endif
    ASSERT_EQ(run({"export", "bank.bin", "1", "--format", "tmx"}).exitCode, 0);
    const std::string tmx = text("Level1.tmx");
    const std::string before = text("bank.bin");
    write("empty.tmx", Replaced(tmx, "\n2,2,2,", "\n2,2,0,"));
    write("other.tmx", Replaced(tmx, "value=\"1\"", "value=\"8\""));
    write("escape.tmx", Replaced(tmx, "\"csv\"", "\"\x1b]0;x\""));
    const std::string deep = "<map width=\"32\" height=\"7\">" + Repeated("<group>", 20000) +
                             Repeated("</group>", 20000);
    const std::string deepJson = R"({"type":"map","width":32,"height":7,"layers":[)" +
                                 Repeated(R"({"type":"group","layers":[)", 20000) +
                                 Repeated("]}", 20000);
    write("deep.tmx", deep + "</map>");
    write("deep.json", deepJson + "]}");
    const std::string deepProblem = ": The map's group layers are nested more than 64 deep.";
    const struct {
        std::vector<std::string> arguments;
        std::string error;
        std::string inputPath = {};
    } rows[] = {
        {{"set", "bank.bin", "2", "empty.tmx"},
         "empty.tmx: The cell at x 2, y 0 is empty; paint a tile there."},
        {{"set", "bank.bin", "2", "other.tmx"},
         "other.tmx: The map is level 8, not level 2 (--any-level sets it as level 2 anyway)."},
        {{"set", "bank.bin", "level1.txt"},
         "level1.txt: The map does not say which level it is; give LEVEL before it."},
        {{"set", "bank.bin", "1", "escape.tmx"},
         "escape.tmx: The tile layer's data cannot be read: the encoding \"\\x1b]0;x\" is not "
         "csv or base64."},
        {{"set", "bank.bin", "1", "deep.tmx"}, "deep.tmx" + deepProblem},
        {{"set", "bank.bin", "1", "deep.json"}, "deep.json" + deepProblem},
        {{"set", "bank.bin", "1", "-"},
         "standard input: The input is too large to be a map.",
         "/dev/zero"},
    };
    write("level1.txt", run({"dump", "bank.bin", "1"}).out);
    for (const auto& row : rows) {
        ExpectRefused(test::RunTool(MORVANE_LEVELS_TOOL, row.arguments, m_folder.string(), {},
                                    nullptr, {}, {kAddressSpace, 20, row.inputPath}),
                      row.error);
        EXPECT_TRUE(text("bank.bin") == before);
    }
    // Another name for the only layer is fine; so is another level, when asked for; and
    // without a level number the map's own is set.
    write("named.tmx",
          Replaced(tmx, "layer id=\"1\" name=\"level\"", "layer id=\"1\" name=\"walls\""));
    EXPECT_EQ(run({"set", "bank.bin", "named.tmx", "--no-history"}).out,
              "Level 1 already holds that map; nothing was written.\n");
    EXPECT_EQ(run({"set", "bank.bin", "2", "other.tmx", "--any-level"}).exitCode, 0);
    EXPECT_EQ(run({"dump", "bank.bin", "2"}).out, text("level1.txt"));
}

TEST_F(TiledTool, PackWritesWhatSequentialSetsWriteAndRefusesAStaleBank) {
    write("cart.bin", demo::MakeCartridge(demo::MakeDemoBank(), SourceKind::UeRom));
    const std::string original = text("cart.bin");
    const auto unpack = run({"unpack", "cart.bin", "work"});
    ASSERT_EQ(unpack.exitCode, 0) << unpack.err;
    EXPECT_EQ(unpack.out, "work: 99 levels, 100 files written\n");
    EXPECT_EQ(text("work/Level12.txt"), run({"dump", "cart.bin", "12"}).out);
    EXPECT_EQ(text("work/manifest.txt").substr(0, 53),
              "Morvane level folder\nkind: UeRom\nsize: 131072\nbank-cr");

    // Level 30 grows, level 3 shrinks (every later level moves twice), level 60 comes from a
    // Tiled map, level 80's file is gone and level 11's equals the bank's.
    LevelMap grown = demo::MakeDemoLevel(29);
    for (int cell = 0; cell < 224; cell += 3) {
        grown.setCell(cell, std::uint8_t(cell % 64));
    }
    write("work/Level30.txt", FormatMapText(grown));
    write("work/Level3.txt", FormatMapText(LevelMap()));
    fs::remove(m_folder / "work/Level60.txt");
    ASSERT_EQ(run({"export", "cart.bin", "5", "--format", "tmx", "-o", "level5.tmx"}).exitCode, 0);
    write("work/Level60.tmx", Replaced(text("level5.tmx"), "value=\"5\"", "value=\"60\""));
    fs::remove(m_folder / "work/Level80.txt");

    write("sets.bin", original);
    for (const auto& [level, file] : std::vector<std::pair<std::string, std::string>>{
             {"3", "work/Level3.txt"}, {"30", "work/Level30.txt"}, {"60", "work/Level60.tmx"}}) {
        ASSERT_EQ(run({"set", "sets.bin", level, file}).exitCode, 0) << level;
    }
    const auto pack = run({"pack", "work", "cart.bin"});
    ASSERT_EQ(pack.exitCode, 0) << pack.err;
    EXPECT_EQ(pack.out, "Levels changed: 3,30,60\n");
    EXPECT_TRUE(text("cart.bin") == text("sets.bin"));
    EXPECT_EQ(run({"pack", "work", "cart.bin"}).out, "No level differs; nothing was written.\n");
    for (const std::string name : {"Level7.TXT", "Level0.txt", "Level100.txt", "Level7x.txt"}) {
        write("work/" + name, FormatMapText(LevelMap()));
        EXPECT_EQ(run({"pack", "work", "cart.bin"}).err,
                  "morvane-levels: work/" + name +
                      ": Not read: a level file is named Level1 to Level99 with .txt, .tmx, .tmj "
                      "or .json, in those letters.\n");
        fs::remove(m_folder / "work" / name);
    }

    // Refused whole, the file untouched: a bad file, two files of one level, a bank changed
    // since (until --force).
    const std::string packed = text("cart.bin");
    write("work/Level7.txt", std::string("1 2 3"));
    EXPECT_EQ(run({"pack", "work", "cart.bin"}).err,
              "morvane-levels: work/Level7.txt: Found 3 numbers, not 224.\n");
    write("work/Level7.txt", FormatMapText(LevelMap()));
    write("work/Level07.json", text("work/Level60.tmx"));
    EXPECT_EQ(run({"pack", "work", "cart.bin"}).err,
              "morvane-levels: work/Level07.json: The map is level 60, but its file's name gives "
              "level 7.\n");
    write("work/Level07.json", text("work/Level7.txt"));
    EXPECT_EQ(run({"pack", "work", "cart.bin"}).err,
              "morvane-levels: work/Level7.txt: Level 7 is also given by work/Level07.json.\n");
    fs::remove(m_folder / "work/Level07.json");
    ASSERT_EQ(run({"copy", "cart.bin", "1", "2"}).exitCode, 0);
    const std::string edited = text("cart.bin");
    ExpectRefused(run({"pack", "work", "cart.bin"}),
                  "cart.bin: Its bank is not the one work was unpacked from; its levels changed "
                  "since, and packing would undo those changes (--force packs anyway).");
    EXPECT_TRUE(text("cart.bin") == edited);
    EXPECT_EQ(run({"pack", "work", "cart.bin", "--force"}).out, "Levels changed: 2,7\n");
    EXPECT_TRUE(text("cart.bin") != packed);

    // unpack names ten edited files; of eleven, the first ten and how many more.
    ASSERT_EQ(run({"unpack", "cart.bin", "edits"}).exitCode, 0);
    for (int level = 20; level <= 29; ++level) {
        write("edits/Level" + std::to_string(level) + ".txt", std::string("x"));
    }
    EXPECT_NE(run({"unpack", "cart.bin", "edits"}).err.find("Level29.txt; unpacking"),
              std::string::npos);
    write("edits/Level30.txt", std::string("x"));
    EXPECT_NE(run({"unpack", "cart.bin", "edits"}).err.find("Level29.txt and 1 more; unpacking"),
              std::string::npos);
}

// A designer's session with Debian's Tiled: maps Tiled saved, with a second layer, with the
// tileset of another folder's map, and the project's command; unpack never overwrites edits.
TEST_F(TiledTool, UnpackKeepsEditsAndTheProjectWritesTheCurrentMap) {
    const auto unpack = [&](std::vector<std::string> more = {}) {
        std::vector<std::string> arguments = {"unpack", "bank.bin", "work", "--format", "tmx"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return run(arguments);
    };
    // Run by a relative path, the tool names itself in the project by its absolute path.
    const auto first =
        test::RunTool(fs::relative(MORVANE_LEVELS_TOOL, m_folder).string(),
                      {"unpack", "bank.bin", "work", "--format", "tmx"}, m_folder.string());
    ASSERT_EQ(first.out, "work: 99 levels, 102 files written\n");
    // The project's command: the tool by its path, set, the bank by its absolute path, the map.
    const auto command = nlohmann::json::parse(text("work/morvane.tiled-project"))["commands"][0];
    EXPECT_EQ(command["command"], MORVANE_LEVELS_TOOL);
    const std::string bank = (m_folder / "bank.bin").string();
    EXPECT_EQ(command["arguments"], "set \"" + bank + "\" %mapfile");
    EXPECT_EQ(std::tuple(command["saveBeforeExecute"], command["enabled"], command["showOutput"]),
              std::tuple(true, true, true));
    // A key bound in Tiled changes the project, which unpack then leaves as it is, every time.
    write("work/morvane.tiled-project", Replaced(text("work/morvane.tiled-project"),
                                                 "\"shortcut\": \"\"", "\"shortcut\": \"F5\""));
    const std::string bound = text("work/morvane.tiled-project");
    const std::string left =
        "morvane-levels: work/morvane.tiled-project: Left as it is, since "
        "it changed after unpack wrote it.\n";
    EXPECT_EQ(unpack().err + unpack().err, left + left);
    EXPECT_EQ(text("work/morvane.tiled-project"), bound);

    // Debian's Tiled opens the project, its session reopening a map edited on disk; a script of
    // ours runs the project's command as the designer's key would, waits for it and leaves a
    // mark, and the shell ends Tiled (which cannot quit before its event loop runs).
    write("work/Level12.tmx", Replaced(text("work/Level12.tmx"), "\n2,1,1,", "\n2,10,10,"));
    write("work/morvane.tiled-session",
          std::string(R"({"activeFile": "Level12.tmx", "openFiles": ["Level12.tmx"],)"
                      R"( "project": "morvane.tiled-project"})"));
    fs::create_directories(m_folder / "home/.config/tiled/extensions");
    write("home/.config/tiled/extensions/write.js",
          R"(tiled.activeAssetChanged.connect(function () {
    tiled.executeCommand("Write level to bank", false);
    for (var until = Date.now() + 3000; Date.now() < until;) {}
    new TextFile(")" +
              (m_folder / "done").string() +
              R"(", TextFile.WriteOnly).commit();
});
)");
    ::setenv("HOME", (m_folder / "home").c_str(), 1);
    const std::string script = std::string(kTiled) +
                               " work/morvane.tiled-project & tiled=$!; for i in $(seq 600); do "
                               "[ -e done ] && break; sleep 0.1; done; kill $tiled; wait $tiled";
    test::RunTool("/bin/sh", {"-c", script}, m_folder.string());
    EXPECT_TRUE(fs::exists(m_folder / "done"));
    const std::string dumped = run({"dump", "bank.bin", "12"}).out;
    EXPECT_EQ(dumped.substr(dumped.find('\n') + 1, 6), "1 9 9 ");

    // A map Tiled saved again holds its level in other bytes: while the bank lacks that level,
    // unpack refuses to replace it; once it is set, unpack leaves it as it is.
    write("edit.tmx", Replaced(text("work/Level12.tmx"), "\n2,10,10,", "\n2,11,11,"));
    ASSERT_EQ(runTiled(kTiled, {"--export-map", "edit.tmx", "work/Level12.tmx"}).exitCode, 0);
    const std::string saved = text("work/Level12.tmx");
    ExpectRefused(unpack(),
                  "work: A level file changed since unpack wrote it, or unpack did not "
                  "write it: Level12.tmx; unpacking would replace or remove it (--force does).");
    ASSERT_EQ(run({"set", bank, (m_folder / "work/Level12.tmx").string()}).exitCode, 0);
    EXPECT_EQ(unpack().out, "work: 99 levels, 1 files written\n");  // the manifest
    EXPECT_EQ(text("work/Level12.tmx"), saved);
    EXPECT_EQ(unpack().out, "work: 99 levels, 0 files written\n");

    // A JSON copy beside it is not unpack's to remove, until --force.
    ASSERT_EQ(runTiled(kTiled, {"--export-map", "work/Level12.tmx", "work/Level12.tmj"}).exitCode,
              0);
    EXPECT_NE(unpack().err.find("it: Level12.tmj;"), std::string::npos);
    EXPECT_EQ(unpack({"--force"}).out, "work: 99 levels, 0 files written\n");
    EXPECT_FALSE(fs::exists(m_folder / "work/Level12.tmj"));

    // Tiles in a second layer are refused, naming it; tiles of a second "tiles" tileset are
    // the level's tiles.
    const std::string layer2 =
        "<layer id=\"2\" name=\"Tile Layer 2\" width=\"32\" height=\"7\"><data "
        "encoding=\"csv\">5" +
        Repeated(",0", 223) + "</data></layer>\n</map>";
    write("work/edit.tmx", Replaced(text("work/Level13.tmx"), "</map>", layer2));
    ASSERT_EQ(runTiled(kTiled, {"--export-map", "work/edit.tmx", "work/Level13.tmx"}).exitCode, 0);
    EXPECT_EQ(run({"set", "bank.bin", "work/Level13.tmx"}).err,
              "morvane-levels: work/Level13.tmx: The tile layer \"Tile Layer 2\" holds tiles too, "
              "and only the layer \"level\" is the level; move them into it (select tile layer "
              "\"Tile Layer 2\" and use Layer > Merge Layer Down) or delete the layer.\n");
    fs::create_directories(m_folder / "proj");
    fs::copy_file(m_folder / "work/tiles.tsx", m_folder / "proj/tiles.tsx");
    write("work/edit.tmx",
          Replaced(Replaced(text("work/Level14.tmx"), "\n2,", "\n72,"), "<layer",
                   "<tileset firstgid=\"65\" source=\"../proj/tiles.tsx\"/>\n <layer"));
    ASSERT_EQ(runTiled(kTiled, {"--export-map", "work/edit.tmx", "work/Level14.tmx"}).exitCode, 0);
    EXPECT_NE(text("work/Level14.tmx").find("firstgid=\"65\""), std::string::npos);
    const std::string before = run({"dump", "bank.bin", "14"}).out;
    ASSERT_EQ(run({"set", "bank.bin", "work/Level14.tmx"}).exitCode, 0);
    EXPECT_EQ(run({"dump", "bank.bin", "14"}).out, "7" + before.substr(1));
}

}  // namespace
}  // namespace morvane
