#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "bank_builder.h"
#include "demo_levels.h"
#include "gif_writer.h"
#include "leveldata/level_codec.h"
#include "leveldata/level_loader.h"
#include "leveldata/level_saver.h"
#include "leveldata/memory_file_system.h"
#include "tool_process.h"

namespace morvane {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class LevelsTool : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("morvane-cli-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    void write(const std::string& name, const Bytes& bytes) {
        std::ofstream(m_folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    void writeText(const std::string& name, const std::string& text) {
        std::ofstream(m_folder / name) << text;
    }
    Bytes read(const std::string& name) {
        std::ifstream in(m_folder / name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    test::ToolRun run(const std::vector<std::string>& arguments, const std::string& input = {}) {
        return test::RunTool(MORVANE_LEVELS_TOOL, arguments, m_folder.string(), input);
    }

    fs::path m_folder;
};

// A level as dump prints it: rows top to bottom, each left to right.
std::string DumpText(const LevelMap& map) {
    std::ostringstream text;
    for (int row = 0; row < 7; ++row) {
        for (int column = 0; column < 32; ++column) {
            text << (column ? " " : "") << int(map.cell(LevelMap::cellAt(column, row)));
        }
        text << "\n";
    }
    return text.str();
}

LevelMap Painted(LevelMap map, int first, int count) {
    for (int cell = first; cell < first + count; ++cell) {
        map.setCell(cell, std::uint8_t(40 + cell % 3));
    }
    return map;
}

// Bytes of the demo bank up to the end of its last stream.
int DemoBankUsed() {
    int used = 198;
    for (int index = 0; index < 99; ++index) {
        const LevelMap map = demo::MakeDemoLevel(index);
        used += int((index % 7 == 3 ? demo::PackInPairs(map) : PackLevel(map)).size());
    }
    return used;
}

int Lines(const std::string& text) {
    return int(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(LevelsTool, InfoListsEveryLevelAndTheFreeSpace) {
    const Bytes bank = demo::MakeDemoBank();
    write("cart.bin", demo::MakeCartridge(bank, SourceKind::JRom));
    const int used = DemoBankUsed();
    const auto text = run({"info", "cart.bin"});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("Kind:           JRom (1)\n"), std::string::npos);
    EXPECT_NE(text.out.find("Data offset:    98304\n"), std::string::npos);
    EXPECT_NE(text.out.find("    1        98502"), std::string::npos);
    EXPECT_NE(text.out.find("   99  "), std::string::npos);
    EXPECT_NE(text.out.find("Bank: " + std::to_string(used) + " bytes used, " +
                            std::to_string(16384 - used) + " bytes free"),
              std::string::npos)
        << text.out;

    const auto json = run({"info", "cart.bin", "--json"});
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.out.rfind("{\"kind\": \"JRom\", \"kind_value\": 1, \"data_offset\": 98304, "
                             "\"compressed\": true, \"num_maps\": 99, \"levels\": [{\"number\": 1, "
                             "\"file_offset\": 98502, \"length\": ",
                             0),
              0u)
        << json.out;
    EXPECT_NE(json.out.find("\"bank_used\": " + std::to_string(used) +
                            ", \"bank_free\": " + std::to_string(16384 - used) + "}"),
              std::string::npos);
    EXPECT_EQ(Lines(json.out), 1);
}

TEST_F(LevelsTool, InfoReportsBrokenLevelsSingleMapsAndUnknownFiles) {
    Bytes bank = demo::MakeDemoBank();
    bank[2 * 11 + 1] = 0xC4;  // level 12 points past the bank
    write("bank.bin", bank);
    const auto broken = run({"info", "bank.bin", "--json"});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.out.find("{\"number\": 12, \"file_offset\": null, \"length\": null, "
                              "\"error\": \"Level 12: its pointer at file byte 22 does not point "
                              "into the bank's level data.\"}"),
              std::string::npos)
        << broken.out;

    write("one.map", demo::MakeSingleMap(demo::MakeDemoLevel(3)));
    const auto single = run({"info", "one.map", "--json"});
    EXPECT_EQ(single.exitCode, 0);
    EXPECT_EQ(single.out,
              "{\"kind\": \"UncompressedMap\", \"kind_value\": 4, \"data_offset\": 0, "
              "\"compressed\": false, \"num_maps\": 1, \"levels\": [{\"number\": 1, "
              "\"file_offset\": 0, \"length\": 224, \"error\": null}], \"bank_used\": null, "
              "\"bank_free\": null}\n");

    writeText("notes.txt", "hello");
    const auto unknown = run({"info", "notes.txt"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.out.find("Kind:           Unknown (5)"), std::string::npos);

    const auto missing = run({"info", "absent.bin"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err,
              "morvane-levels: absent.bin: the file does not exist (No such file or "
              "directory)\n");
}

TEST_F(LevelsTool, DumpPrintsTheLevelAsTheEditorShowsIt) {
    write("bank.bin", demo::MakeDemoBank());
    const auto first = run({"dump", "bank.bin"});
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_EQ(first.out, DumpText(demo::MakeDemoLevel(0)));
    const auto last = run({"dump", "bank.bin", "99"});
    EXPECT_EQ(last.out, DumpText(demo::MakeDemoLevel(98)));

    // Cell 31 is the first number, cell 0 the 32nd.
    LevelMap marked;
    marked.setCell(31, 7);
    marked.setCell(0, 9);
    write("state.s00", demo::MakeSavestate(marked));
    const auto state = run({"dump", "state.s00"});
    EXPECT_EQ(state.out.substr(0, 2), "7 ");
    EXPECT_EQ(state.out.substr(61, 3), " 9\n");
    EXPECT_EQ(run({"dump", "state.s00", "2"}).exitCode, 1);
}

TEST_F(LevelsTool, SetWritesWhatTheCoreSaveWrites) {
    const Bytes rom = demo::MakeCartridge(demo::MakeDemoBank(), SourceKind::UeRom);
    write("cart.bin", rom);
    const LevelMap map = Painted(demo::MakeDemoLevel(20), 50, 40);
    writeText("level.txt", DumpText(map));
    const auto set = run({"set", "cart.bin", "21", "level.txt"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    EXPECT_TRUE(set.err.empty());

    auto data = std::make_shared<MemoryFileData>();
    data->bytes = rom;
    auto file = OpenMemoryFile(data, OpenMode::ReadWrite);
    const LevelLayout layout{98304, true};
    const auto level = LoadLevelFromFile(*file, layout, 20).value();
    ASSERT_TRUE(
        SaveLevelToFile(*file, layout, 20, map, level.oldPackedLength, level.levelOffset).ok());
    EXPECT_EQ(read("cart.bin"), data->bytes);

    const auto dumped = run({"dump", "cart.bin", "21"});
    EXPECT_EQ(dumped.out, DumpText(map));
    // Other levels still read as before.
    EXPECT_EQ(run({"dump", "cart.bin", "22"}).out, DumpText(demo::MakeDemoLevel(21)));

    const LevelMap fromInput = Painted(demo::MakeDemoLevel(2), 0, 10);
    // Any white space separates the numbers.
    std::string spaced = DumpText(fromInput);
    std::replace(spaced.begin(), spaced.end(), ' ', '\t');
    ASSERT_EQ(run({"set", "cart.bin", "3", "-"}, spaced).exitCode, 0);
    EXPECT_EQ(run({"dump", "cart.bin", "3"}).out, DumpText(fromInput));
}

TEST_F(LevelsTool, SetRefusesAndLeavesTheFileUntouched) {
    // A bank with 58 free bytes: 98 streams of 164 bytes and one of 56.
    LevelMap busy;
    for (int cell = 0; cell < 224; ++cell) {
        busy.setCell(cell, std::uint8_t(cell < 144 ? cell % 2 : 2));
    }
    std::vector<Bytes> streams(99, PackLevel(busy));
    streams[98] = PackLevel(LevelMap());
    Bytes full = demo::AssembleBank(streams);
    full[2 * 40 + 1] = 0x7F;  // level 41 points before the bank
    write("full.bin", full);
    write("one.map", demo::MakeSingleMap(busy));

    std::string tooMany = DumpText(busy) + "0\n";
    std::string badWord = DumpText(busy);
    badWord.replace(0, 1, "x");
    std::string outOfRange = DumpText(busy);
    outOfRange.replace(0, 1, "64");
    LevelMap speckled;
    for (int cell = 0; cell < 224; ++cell) {
        speckled.setCell(cell, std::uint8_t(cell % 2));
    }
    writeText("too-many.txt", tooMany);
    writeText("bad-word.txt", badWord);
    writeText("out-of-range.txt", outOfRange);
    writeText("good.txt", DumpText(busy));
    writeText("overflow.txt", DumpText(speckled));

    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"set", "full.bin", "1", "too-many.txt"},
         "morvane-levels: too-many.txt: expected 224 tile numbers, found 225\n"},
        {{"set", "full.bin", "1", "bad-word.txt"},
         "morvane-levels: bad-word.txt: bad text: 'x' (word 1) is not a tile number\n"},
        {{"set", "full.bin", "1", "out-of-range.txt"},
         "morvane-levels: out-of-range.txt: tile number 64 (word 1) is outside 0..63\n"},
        {{"set", "one.map", "1", "good.txt"},
         "morvane-levels: one.map: This source holds a single map and cannot be saved.\n"},
        {{"set", "full.bin", "41", "good.txt"},
         "morvane-levels: full.bin: Level 41: its pointer at file byte 80 does not point into "
         "the bank's level data.\n"},
        {{"set", "full.bin", "7", "overflow.txt"},
         "morvane-levels: full.bin: Level 7: the bank's free space is too small: 2 bytes are "
         "missing.\n"},
    };
    for (const auto& c : cases) {
        const auto result = run(c.arguments);
        EXPECT_EQ(result.exitCode, 1) << c.message;
        EXPECT_EQ(result.err, c.message);
        EXPECT_EQ(read("full.bin"), full) << c.message;
    }
    EXPECT_EQ(read("one.map"), demo::MakeSingleMap(busy));
}

TEST_F(LevelsTool, RepackKeepsEveryLevelAndReclaimsSpace) {
    write("bank.bin", demo::MakeDemoBank());
    std::vector<std::string> before;
    for (int number = 1; number <= 99; ++number) {
        before.push_back(run({"dump", "bank.bin", std::to_string(number)}).out);
    }
    const auto repack = run({"repack", "bank.bin"});
    ASSERT_EQ(repack.exitCode, 0) << repack.err;
    // Every seventh demo level is stored in runs of two, which repacking shortens.
    int reclaimed = 0;
    for (int index = 3; index < 99; index += 7) {
        reclaimed += int(demo::PackInPairs(demo::MakeDemoLevel(index)).size() -
                         PackLevel(demo::MakeDemoLevel(index)).size());
    }
    ASSERT_GT(reclaimed, 0);
    const int freeBefore = 16384 - DemoBankUsed();
    EXPECT_EQ(repack.out, "Free bytes before: " + std::to_string(freeBefore) +
                              "\nFree bytes after:  " + std::to_string(freeBefore + reclaimed) +
                              "\n");
    for (int number = 1; number <= 99; ++number) {
        EXPECT_EQ(run({"dump", "bank.bin", std::to_string(number)}).out,
                  before[std::size_t(number - 1)])
            << "level " << number;
    }

    Bytes broken = demo::MakeDemoBank();
    broken[2 * 60 + 1] = 0x20;
    write("broken.bin", broken);
    const auto refused = run({"repack", "broken.bin"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(read("broken.bin"), broken);
}

TEST_F(LevelsTool, ExportWritesPicturesBesideTheSource) {
    write("bank.bin", demo::MakeDemoBank());
    write("one.map", demo::MakeSingleMap(demo::MakeDemoLevel(3)));
    std::string error;
    ASSERT_TRUE(demo::WriteTilePictures(m_folder.string(), error)) << error;
    fs::create_directories(m_folder / "work");

    // Run from another folder: the picture still lands beside the source.
    const auto one = test::RunTool(MORVANE_LEVELS_TOOL, {"export", "../bank.bin", "12"},
                                   (m_folder / "work").string());
    ASSERT_EQ(one.exitCode, 0) << one.err;
    EXPECT_EQ(one.out, "../Level12.raw\n");
    EXPECT_EQ(fs::file_size(m_folder / "Level12.raw"), 172032u);

    const auto single = run({"export", "one.map"});
    EXPECT_EQ(single.exitCode, 0) << single.err;
    EXPECT_EQ(fs::file_size(m_folder / "one.map.raw"), 172032u);

    const auto all = run({"export", "bank.bin", "--all", "-o", "pictures", "--format", "png"});
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(Lines(all.out), 99);
    EXPECT_TRUE(fs::exists(m_folder / "pictures" / "Level99.png"));

    // Without tile pictures every cell shows a numbered placeholder; the picture is still whole.
    const auto placeholders = run({"export", "bank.bin", "2", "--tiles", "nowhere", "-o", "p.raw"});
    EXPECT_EQ(placeholders.exitCode, 0);
    EXPECT_EQ(fs::file_size(m_folder / "p.raw"), 172032u);
    EXPECT_NE(read("p.raw"), read("Level12.raw"));

    const Bytes bank = read("bank.bin");
    const auto overSource = run({"export", "bank.bin", "-o", "bank.bin"});
    EXPECT_EQ(overSource.exitCode, 1);
    EXPECT_NE(overSource.err.find("the picture would replace it"), std::string::npos);
    EXPECT_EQ(read("bank.bin"), bank);

    EXPECT_EQ(run({"export", "bank.bin", "--format", "bmp"}).exitCode, 2);
    EXPECT_EQ(run({"export", "bank.bin", "3", "--all"}).exitCode, 2);
    EXPECT_EQ(run({"export", "bank.bin", "-o"}).exitCode, 2);
    const auto unknown = run({"export", "one.map.raw"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("not a recognised source file"), std::string::npos);
}

TEST_F(LevelsTool, UsageErrorsExitWithTwo) {
    write("bank.bin", demo::MakeDemoBank());
    EXPECT_EQ(run({}).exitCode, 2);
    EXPECT_EQ(run({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(run({"dump", "bank.bin", "100"}).exitCode, 2);
    EXPECT_EQ(run({"dump", "bank.bin", "two"}).exitCode, 2);
    EXPECT_EQ(run({"set", "bank.bin", "1"}).exitCode, 2);
    EXPECT_EQ(run({"info", "bank.bin", "--yaml"}).exitCode, 2);
    const auto help = run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("usage: morvane-levels COMMAND"), std::string::npos);
    for (const char* command : {"info", "dump", "set", "repack", "export"}) {
        const auto commandHelp = run({command, "--help"});
        EXPECT_EQ(commandHelp.exitCode, 0) << command;
        EXPECT_EQ(commandHelp.out.rfind(std::string("usage: morvane-levels ") + command, 0), 0u);
    }
    const auto usage = run({"dump"});
    EXPECT_EQ(Lines(usage.err), 1);
    EXPECT_TRUE(usage.out.empty());
}

}  // namespace
}  // namespace morvane
