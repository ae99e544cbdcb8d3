#include <gtest/gtest.h>
#ifdef _WIN32
#include <aclapi.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <thread>

#include "bank_builder.h"
#include "cli/pack_command.h"
#include "cli/text_escaping.h"
#include "cli/unpack_command.h"
#include "demo_levels.h"
#include "gif_writer.h"
#include "leveldata/crc32.h"
#include "leveldata/disk_file_system.h"
#include "leveldata/level_bank.h"
#include "leveldata/level_codec.h"
#include "leveldata/level_saver.h"
#include "leveldata/map_text.h"
#include "leveldata/unfinished_write.h"
#include "memory_file_system.h"
#include "morvane_version.h"
#include "nlohmann/json.hpp"
#include "tool_folder.h"
#ifndef _WIN32
#include "unprivileged_user.h"
#endif

namespace morvane {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

using LevelsTool = test::ToolFolder;

struct Refusal {
    std::vector<std::string> arguments;
    std::string error;
};

using test::ExpectRefused;

// Printable UTF-8 goes out as it is, the rest escaped (byte by byte for a terminal, by code
// point in JSON), at each edge of the UTF-8 ranges, overlong forms and surrogates.
TEST(TextEscaping, KeepsPrintableUtf8AndEscapesTheRestAtEachEdge) {
    const std::string rows[][3] = {
        {"\x1f \x7e\x7f\n\\\"\xc2\x80\xc2\x9f\xc2\xa0\xc1\xbf\xdf\xbf",
         "\\x1f ~\\x7f\\x0a\\\\\"\\xc2\\x80\\xc2\\x9f\xc2\xa0\\xc1\\xbf\xdf\xbf",
         "\\u001f ~\\u007f\\n\\\\\\\"\\u0080\\u009f\xc2\xa0\\u00c1\\u00bf\xdf\xbf"},
        {"\xe0\x9f\xbf\xe0\xa0\x80\xef\xbf\xbd\xed\x9f\xbf\xed\xa0\x80\xed\xbf\xbf\xee\x80\x80",
         "\\xe0\\x9f\\xbf\xe0\xa0\x80\xef\xbf\xbd\xed\x9f\xbf"
         "\\xed\\xa0\\x80\\xed\\xbf\\xbf\xee\x80\x80",
         "\\u00e0\\u009f\\u00bf\xe0\xa0\x80\xef\xbf\xbd\xed\x9f\xbf"
         "\\u00ed\\u00a0\\u0080\\u00ed\\u00bf\\u00bf\xee\x80\x80"},
        {"\xf0\x90\x80\x80\xf4\x8f\xbf\xbf\xf4\x90\x80\x80\xf0\x8f\xbf\xbf\xf5\xe2\x82",
         "\xf0\x90\x80\x80\xf4\x8f\xbf\xbf\\xf4\\x90\\x80\\x80\\xf0\\x8f\\xbf\\xbf\\xf5\\xe2\\x82",
         "\xf0\x90\x80\x80\xf4\x8f\xbf\xbf\\u00f4\\u0090\\u0080\\u0080\\u00f0\\u008f\\u00bf\\u00bf"
         "\\u00f5\\u00e2\\u0082"},
    };
    for (const auto& [text, shown, json] : rows) {
        EXPECT_EQ(PrintableText(text), shown);
        EXPECT_EQ(JsonString(text), "\"" + json + "\"");
    }
}

TEST_F(LevelsTool, InfoListsEveryLevelAndTheFreeSpaceThatRepackReclaims) {
    Bytes bank = demo::MakeDemoBank();
    write("cart.bin", demo::MakeCartridge(bank, SourceKind::JRom));
    // The bank's bytes up to the end of its last stream; every seventh demo level is stored in
    // runs of two.
    int used = 198;
    for (int index = 0; index < 99; ++index) {
        const LevelMap map = demo::MakeDemoLevel(index);
        used += int(index % 7 == 3 ? demo::PackInPairs(map).size() : PackLevel(map).size());
    }
    // (The README's first session checks the text's last line, the bank's use.)
    const auto text = run({"info", "cart.bin"});
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("Kind:           The J Rom (1)\n"), std::string::npos);
    EXPECT_NE(text.out.find("    1        98502"), std::string::npos);

    bank[2 * 11 + 1] = 0xC4;  // level 12 points past the bank
    write("bank.bin", bank);
    const auto json = run({"info", "bank.bin", "--json"});
    EXPECT_EQ(json.exitCode, 1);
    const auto info = nlohmann::json::parse(json.out);
    EXPECT_EQ(std::tuple(info["kind"], info["kind_value"], info["data_offset"], info["compressed"],
                         info["num_maps"], info["levels"].size(), info["bank_free"]),
              std::tuple("ExtractedMapData", 2, 0, true, 99, 99u, 16384 - used));
    EXPECT_EQ(info["levels"][0]["file_offset"], 198);
    EXPECT_EQ(info["levels"][0]["length"], PackLevel(demo::MakeDemoLevel(0)).size());
    EXPECT_EQ(info["levels"][11]["file_offset"], nullptr);
    EXPECT_EQ(info["levels"][11]["error"],
              "Level 12: its pointer at file byte 22 does not point into the bank's level data.");
    EXPECT_EQ(info["levels"][98]["number"], 99);
    // A bank cut short inside the data: level 41's entry is there, its stream is not.
    write("cut.bin", Bytes(bank.begin(), bank.begin() + 100));
    const auto cut = nlohmann::json::parse(run({"info", "cut.bin", "--json"}).out);
    EXPECT_EQ(cut["levels"][40]["file_offset"], bank[80] | (bank[81] - 0x80) << 8);
    // A bare map is one level of 224 one-cell runs.
    write("one.map", demo::MakeSingleMap(demo::MakeDemoLevel(3)));
    EXPECT_EQ(nlohmann::json::parse(run({"info", "one.map", "--json"}).out)["levels"],
              nlohmann::json::parse(R"([{"number": 1, "file_offset": 0, "length": 224,
                                         "error": null}])"));

    // Repacking (whose figures the README's first session shows) keeps every level.
    write("cart2.bin", read("cart.bin"));
    ASSERT_EQ(run({"repack", "cart.bin"}).exitCode, 0);
    EXPECT_EQ(run({"diff", "cart2.bin", "cart.bin"}).out, "No level differs.\n");

    write("notes.txt", std::string("hello"));
    ExpectRefused(run({"info", "notes.txt"}),
                  "notes.txt: Not a recognised source file (a cartridge dump, level bank, MEKA "
                  "savestate or 224-byte map).");
    // The reason in parentheses is the system's own wording, which differs on Windows.
    const auto absent = run({"info", "absent.bin"});
    EXPECT_EQ(absent.exitCode, 1);
    EXPECT_TRUE(absent.err.starts_with("morvane-levels: absent.bin: The file does not exist (") &&
                absent.err.ends_with(").\n"))
        << absent.err;
}

TEST_F(LevelsTool, SetWritesWhatTheCoreSaveWritesAndDumpReadsItBack) {
    const Bytes rom = demo::MakeCartridge(demo::MakeDemoBank(), SourceKind::UeRom);
    LevelMap grown = demo::MakeDemoLevel(20);
    grown.setCell(31, 40);  // the first number of the dump
    grown.setCell(0, 41);   // the 32nd
    // A longer stream, and one of all floor that shrinks: the bank takes the bytes after it.
    for (const LevelMap& map : {grown, LevelMap()}) {
        write("cart.bin", rom);
        std::string text = FormatMapText(map);
        std::replace(text.begin(), text.end(), ' ', '\t');  // any white space separates numbers
        ASSERT_EQ(run({"set", "cart.bin", "21", "-"}, text).exitCode, 0);
        EXPECT_EQ(read("cart.bin"), SavedByCore(rom, 20, map));
        EXPECT_EQ(run({"dump", "cart.bin", "21"}).out, FormatMapText(map));
    }
    // Standard input is read up to 1 MiB: the map padded to exactly that is still read.
    std::string padded = FormatMapText(LevelMap());
    padded.resize(std::size_t(1) << 20, ' ');
    EXPECT_EQ(run({"set", "cart.bin", "21", "-"}, padded).out,
              "Level 21 already holds that map; nothing was written.\n");
    // Level 4 is stored in runs of two; its own map again changes nothing and keeps no point.
    write("cart.bin", rom);
    fs::remove_all(m_folder / "cart.bin.history");
    const auto same = run({"set", "cart.bin", "4", "-"}, run({"dump", "cart.bin", "4"}).out);
    EXPECT_EQ(same.out, "Level 4 already holds that map; nothing was written.\n");
    EXPECT_EQ(read("cart.bin"), rom);
    EXPECT_FALSE(fs::exists(m_folder / "cart.bin.history"));
}

TEST_F(LevelsTool, HistoryRestoreAndDiffTakeWritesBack) {
    const Bytes original = demo::MakeDemoBank();
    write("bank.bin", original);
    const std::string level5 = FormatMapText(demo::MakeDemoLevel(4));
    ASSERT_EQ(run({"set", "bank.bin", "4", "-"}, level5).exitCode, 0);
    const Bytes afterFirstSet = read("bank.bin");
    ASSERT_EQ(run({"set", "bank.bin", "7", "-"}, level5).exitCode, 0);
    ASSERT_EQ(run({"repack", "bank.bin"}).exitCode, 0);
    ASSERT_EQ(run({"set", "bank.bin", "9", "-", "--no-history"}, level5).exitCode, 0);

    const auto json = run({"history", "bank.bin", "--json"});
    EXPECT_EQ(json.exitCode, 0);
    auto points = nlohmann::json::parse(json.out)["points"];
    ASSERT_EQ(points.size(), 3u);  // --no-history kept none
    EXPECT_EQ(points[0]["time"].get<std::string>().size(), 20u);
    points[0].erase("time");
    EXPECT_EQ(points[0], nlohmann::json::parse(R"({"id": 1, "what": "set level 4",
        "levels_changed": [4, 7, 9], "damaged": false, "problem": null})"));
    EXPECT_EQ(std::tuple(points[2]["id"], points[2]["what"], points[2]["levels_changed"]),
              std::tuple(3, "repack", nlohmann::json::parse("[9]")));

    ASSERT_EQ(run({"restore", "bank.bin", "1"}).exitCode, 0);
    EXPECT_EQ(read("bank.bin"), original);
    ASSERT_EQ(run({"restore", "bank.bin", "2"}).exitCode, 0);
    EXPECT_EQ(read("bank.bin"), afterFirstSet);
    ASSERT_EQ(run({"restore", "bank.bin", "5"}).exitCode, 0);  // the point restore 2 made
    EXPECT_EQ(read("bank.bin"), original);

    // A damaged point, an unknown id and a point of another file are refused untouched.
    Bytes damaged = read("bank.bin.history/3.point");
    damaged[damaged.size() - 100] ^= 0x40;
    write("bank.bin.history/3.point", damaged);
    for (const std::string other : {"cart.bin", "long.bin"}) {
        fs::copy(m_folder / "bank.bin.history", m_folder / (other + ".history"));
    }
    write("cart.bin", demo::MakeCartridge(original, SourceKind::UeRom));
    write("long.bin", original);
    std::ofstream(m_folder / "long.bin", std::ios::app) << '\0';
    // A point of the other release's cartridge: the same size and bank offset.
    write("ue.bin", demo::MakeCartridge(original, SourceKind::UeRom));
    ASSERT_EQ(run({"set", "ue.bin", "4", "-"}, level5).exitCode, 0);
    fs::copy(m_folder / "ue.bin.history", m_folder / "j.bin.history");
    write("j.bin", demo::MakeCartridge(original, SourceKind::JRom));
    const Refusal refusals[] = {
        {{"restore", "bank.bin", "3"}, "Restore point 3 is damaged"},
        {{"restore", "cart.bin", "1"}, "Restore point 1 was taken from a file of another kind"},
        {{"restore", "long.bin", "1"}, "Restore point 1 was taken from a file of another kind"},
        {{"restore", "j.bin", "1"}, "Restore point 1 was taken from a file of another kind"},
    };
    for (const auto& refusal : refusals) {
        const Bytes before = read(refusal.arguments[1]);
        const auto result = run(refusal.arguments);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.err.find(refusal.error), std::string::npos) << result.err;
        EXPECT_EQ(read(refusal.arguments[1]), before);
    }
    EXPECT_NE(run({"history", "bank.bin"})
                  .out.find("    3  Restore point 3 is damaged: its bytes do not match its "
                            "checksum.\n"),
              std::string::npos);

    // What was done is shown as it may go to a terminal, and as valid JSON, whatever its bytes.
    Bytes point = read("bank.bin.history/1.point");
    const std::string what = "what: set level 4\n";
    const auto at = std::search(point.begin(), point.end(), what.begin(), what.end());
    // 25 characters shown (one of 2 bytes and one of 4 count once each), one less than the
    // column: two spaces still follow.
    const std::string odd = "what: \x1b[2J\xff\xc3\xa9\t\x7fghi\xf0\x9f\x98\x80k\n";
    point.insert(point.erase(at, at + std::ptrdiff_t(what.size())), odd.begin(), odd.end());
    write("bank.bin.history/1.point", point);
    const std::string listed = run({"history", "bank.bin"}).out;
    EXPECT_NE(listed.find("  \\x1b[2J\\xff\xc3\xa9\\x09\\x7fghi\xf0\x9f\x98\x80k  none\n"),
              std::string::npos)
        << listed;
    EXPECT_EQ(
        nlohmann::json::parse(run({"history", "bank.bin", "--json"}).out)["points"][0]["what"],
        "\x1b[2J\xc3\xbf\xc3\xa9\t\x7fghi\xf0\x9f\x98\x80k");  // the lone byte FF as U+00FF

    // diff compares a cartridge with an extracted bank level by level.
    ASSERT_EQ(run({"set", "bank.bin", "12", "-"}, level5).exitCode, 0);
    Bytes broken = read("bank.bin");
    broken[2 * 29 + 1] = 0x7F;  // level 30's pointer leaves the bank
    write("broken.bin", broken);
    int cells = 0;
    for (int cell = 0; cell < 224; ++cell) {
        cells += demo::MakeDemoLevel(4).cell(cell) != demo::MakeDemoLevel(11).cell(cell);
    }
    const auto diff = run({"diff", "cart.bin", "broken.bin", "--json"});
    EXPECT_EQ(diff.exitCode, 0);
    EXPECT_EQ(diff.out, "{\"levels\": [{\"number\": 12, \"cells\": " + std::to_string(cells) +
                            ", \"unreadable\": false}, {\"number\": 30, \"cells\": null, "
                            "\"unreadable\": true}]}\n");
    EXPECT_EQ(run({"diff", "cart.bin", "absent.bin"}).exitCode, 1);
}

TEST_F(LevelsTool, LevelOperationsWriteWhatSetsInAscendingOrderWrite) {
    // In a cartridge a save that shrinks the bank pulls in the bytes after it, so saves in
    // another order leave other bytes at the bank's end.
    const Bytes cartridge = demo::MakeCartridge(demo::MakeDemoBank(), SourceKind::UeRom);
    const auto map = [](int number) { return demo::MakeDemoLevel(number - 1); };
    const auto replaced = [&](int number) {
        LevelMap changed = map(number);
        for (int cell = 0; cell < 224; ++cell) {
            changed.setCell(cell, changed.cell(cell) == 1 ? 9 : changed.cell(cell));
        }
        return changed;
    };
    const struct {
        std::vector<std::string> arguments;
        std::vector<std::pair<int, LevelMap>> sets;
    } cases[] = {
        {{"copy", "op.bin", "3", "40"}, {{40, map(3)}}},
        // Level 4 is stored with non-greedy runs, so its save moves every later level.
        {{"swap", "op.bin", "11", "4"}, {{4, map(11)}, {11, map(4)}}},
        {{"replace", "op.bin", "1", "9", "--levels", "5-6"}, {{5, replaced(5)}, {6, replaced(6)}}},
        // A tile replaced by itself changes no level: nothing is written, no point kept.
        {{"replace", "op.bin", "1", "1"}, {}},
        {{"copy", "op.bin", "3", "3"}, {}},
    };
    for (const auto& c : cases) {
        write("op.bin", cartridge);
        write("sets.bin", cartridge);
        fs::remove_all(m_folder / "op.bin.history");
        const auto result = run(c.arguments);
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(fs::exists(m_folder / "op.bin.history"), !c.sets.empty()) << c.arguments[0];
        for (const auto& [number, levelMap] : c.sets) {
            ASSERT_EQ(run({"set", "sets.bin", std::to_string(number), "-"}, FormatMapText(levelMap))
                          .exitCode,
                      0);
        }
        EXPECT_EQ(read("op.bin"), read("sets.bin")) << c.arguments[0];
    }
    write("op.bin", cartridge);
    const auto walls = std::ranges::count(map(5).storage(), 1);
    EXPECT_EQ(run({"copy", "op.bin", "3", "3"}).out,
              "Level 3 already holds that map; nothing was written.\n");
    EXPECT_EQ(run({"replace", "op.bin", "1", "9", "--levels", "5"}).out,
              "Level 5: " + std::to_string(walls) + " cells\n" + std::to_string(walls) +
                  " cells changed in 1 level.\n");
    LevelMap once;  // tile 0 but for one cell of tile 63
    once.setCell(0, 63);
    ASSERT_EQ(run({"set", "op.bin", "5", "-"}, FormatMapText(once)).exitCode, 0);
    EXPECT_EQ(run({"replace", "op.bin", "63", "9", "--levels", "5"}).out,
              "Level 5: 1 cell\n1 cell changed in 1 level.\n");
}

// pack looks at the manifest under the bank's lock: a set that lands as pack asks for the lock
// is seen as a change since the folder was unpacked, and not undone.
TEST(PackCommand, SeesAWriteThatLandsAsItTakesTheLock) {
    MemoryFileSystem files;
    const auto bank = files.add("bank.bin", demo::MakeDemoBank());
    std::istringstream in;
    std::ostringstream out, err;
    const CommandContext context{files, in, out, err};
    ASSERT_EQ(RunUnpackCommand(context, {"bank.bin", "work"}), 0) << err.str();
    const std::string edited = FormatMapText(demo::MakeDemoLevel(60));
    files.add("work/Level9.txt", Bytes(edited.begin(), edited.end()));
    Bytes colleague = bank->bytes;
    const auto level = LevelBank(colleague, 0).readLevel(1).value();
    colleague = SaveLevelInBank(colleague, 0, 1, demo::MakeDemoLevel(61),
                                std::uint8_t(level.length), std::int16_t(level.offset - 198))
                    .value()
                    .bank;
    bank->beforeLock = [&] { bank->bytes = colleague; };
    EXPECT_EQ(RunPackCommand(context, {"work", "bank.bin"}), 1);
    EXPECT_EQ(err.str(),
              "morvane-levels: bank.bin: Its bank is not the one work was unpacked from; its "
              "levels changed since, and packing would undo those changes (--force packs "
              "anyway).\n");
    EXPECT_EQ(bank->bytes, colleague);
    // Forced, the folder's levels win: its level 2 as unpacked, and its edited level 9.
    EXPECT_EQ(RunPackCommand(context, {"work", "bank.bin", "--force"}), 0) << err.str();
    EXPECT_EQ(out.str().substr(out.str().rfind("Levels")), "Levels changed: 2,9\n");
}

// Writers started at the same moment take their turns: every edit is in the file, and each
// keeps its own restore point.
TEST_F(LevelsTool, WritersAtTheSameMomentTakeTurns) {
    write("bank.bin", demo::MakeDemoBank());
    const Bytes before = read("bank.bin");
    // The test holds the bank's lock while the writers start, so they all wait at once.
    DiskFileSystem files;
    FileStatus status;
    auto held = files.open((m_folder / "bank.bin").string(), OpenMode::ReadWrite, status);
    ASSERT_TRUE(held && held->lock(std::chrono::milliseconds(0)).ok());
    const std::string level = FormatMapText(demo::MakeDemoLevel(60));
    std::vector<std::thread> writers;
    std::vector<test::ToolRun> runs(4);
    std::atomic<int> finished = 0;
    for (int at = 0; at < 4; ++at) {
        writers.emplace_back([&, at] {
            runs[std::size_t(at)] = run({"set", "bank.bin", std::to_string(at + 2), "-"}, level);
            ++finished;
        });
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_EQ(finished, 0);
    EXPECT_EQ(read("bank.bin"), before);
    held->unlock();
    for (auto& writer : writers) {
        writer.join();
    }
    for (const auto& result : runs) {
        EXPECT_EQ(result.exitCode, 0) << result.err;
    }
    for (int number = 2; number <= 5; ++number) {
        EXPECT_EQ(run({"dump", "bank.bin", std::to_string(number)}).out, level);
    }
    EXPECT_TRUE(fs::exists(m_folder / "bank.bin.history/4.point"));  // one for each writer
#ifndef _WIN32
    // A shell script's flock(1) holds writers off too.
    const Bytes locked = read("bank.bin");
    const int script = ::open((m_folder / "bank.bin").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(script, LOCK_EX), 0);
    std::thread writer([&] { runs[0] = run({"set", "bank.bin", "9", "-"}, level); });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(read("bank.bin"), locked);
    ::close(script);
    writer.join();
    EXPECT_EQ(runs[0].exitCode, 0) << runs[0].err;
    EXPECT_EQ(run({"dump", "bank.bin", "9"}).out, level);
#endif
}

// A save cut short that tore the bank (some pages written, others not) is reported by info and
// put right by the next write, which then goes on.
TEST_F(LevelsTool, TornBankIsPutBackByTheNextWrite) {
    const Bytes before = demo::MakeDemoBank();
    write("bank.bin", before);
    const std::string level = FormatMapText(demo::MakeDemoLevel(60));
    ASSERT_EQ(run({"set", "bank.bin", "2", "-"}, level).exitCode, 0);
    const Bytes after = read("bank.bin");
    Bytes torn = after;
    std::copy(before.begin() + 8192, before.end(), torn.begin() + 8192);
    write("bank.bin", torn);
    // The record of a write from one bank to another under way, naming the point kept first;
    // it is trusted only when no other user may write it, whatever the umask.
    const auto writeRecord = [&](std::int64_t point, const Bytes& from, const Bytes& to) {
        write("bank.bin.history/under-way",
              EncodeUnfinishedWrite({"bank.bin", point, Crc32(from), Crc32(to), PageChecksums(from),
                                     PageChecksums(to)}));
        fs::permissions(m_folder / "bank.bin.history/under-way",
                        fs::perms::owner_read | fs::perms::owner_write);
    };
    writeRecord(1, before, after);

    ExpectRefused(run({"info", "bank.bin"}),
                  "bank.bin: The last save of bank.bin was interrupted and left the bank torn; "
                  "the next write puts it back as it was before it (restore point 1). Run "
                  "'morvane-levels restore bank.bin 1' to do it now.");
    EXPECT_EQ(read("bank.bin"), torn);

    const auto set = run({"set", "bank.bin", "3", "-"}, level);
    EXPECT_EQ(set.exitCode, 0);
    EXPECT_EQ(set.err,
              "morvane-levels: The last save of bank.bin was interrupted; the bank was put back as "
              "it was before it (restore point 1).\n");
    EXPECT_EQ(run({"dump", "bank.bin", "2"}).out, FormatMapText(demo::MakeDemoLevel(1)));
    EXPECT_EQ(run({"dump", "bank.bin", "3"}).out, level);
    EXPECT_FALSE(fs::exists(m_folder / "bank.bin.history" / "under-way"));

    // Torn where every level still reads (a tile changed in place, and free space): exit 1.
    Bytes edited = before, half = before;
    edited[300] ^= 1, edited[16000] ^= 1, half[16000] ^= 1;
    write("bank.bin", half);
    writeRecord(1, before, edited);
    EXPECT_EQ(run({"info", "bank.bin", "--json"}).exitCode, 1);

    // A record naming a point that is not there stops every write but a restore, and says so,
    // naming the record; a restore of a point that is not there writes nothing.
    write("bank.bin", torn);
    writeRecord(77, before, after);
    const std::string stuck =
        "bank.bin: The last save was interrupted and left the bank torn, but its record, "
        "bank.bin.history/under-way, names restore point 77, which cannot be put back: there is "
        "no restore point 77; restore another point, or remove the record to write the bank as "
        "it is.";
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"info", "bank.bin"}, {"set", "bank.bin", "3", "-"}, {"restore", "bank.bin", "99"}}) {
        SCOPED_TRACE(arguments[0]);
        ExpectRefused(run(arguments, level), arguments[0] == "restore"
                                                 ? "bank.bin: There is no restore point 99."
                                                 : stuck);
        EXPECT_EQ(read("bank.bin"), torn);
    }
    ASSERT_EQ(run({"restore", "bank.bin", "1"}).exitCode, 0);
    EXPECT_EQ(read("bank.bin"), before);
    EXPECT_FALSE(fs::exists(m_folder / "bank.bin.history" / "under-way"));
}

// History folders and points that another user could have planted or could change are refused,
// naming them, with nothing written; files outside the history are never removed.
TEST_F(LevelsTool, HistoryFoldersThatCouldBeTurnedAgainstTheUserAreRefused) {
#ifdef _WIN32
    // Windows keeps who may write in access lists: write access granted to Everyone.
    fs::create_directory(m_folder / "bank.bin.history");
    EXPLICIT_ACCESS_W grant{};
    ::BuildExplicitAccessWithNameW(&grant, const_cast<wchar_t*>(L"Everyone"), GENERIC_ALL,
                                   GRANT_ACCESS, NO_INHERITANCE);
    PACL list = nullptr;
    ASSERT_EQ(::SetEntriesInAclW(1, &grant, nullptr, &list), DWORD(ERROR_SUCCESS));
    EXPECT_EQ(
        ::SetNamedSecurityInfoW((m_folder / "bank.bin.history").wstring().data(), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION, nullptr, nullptr, list, nullptr),
        DWORD(ERROR_SUCCESS));
    ::LocalFree(list);
    write("bank.bin", demo::MakeDemoBank());
    ExpectRefused(run({"set", "bank.bin", "4", "-"}, FormatMapText(demo::MakeDemoLevel(60))),
                  "bank.bin: No restore point could be made in bank.bin.history, so nothing was "
                  "written: users other than its owner may write to it (remove their write access "
                  "in its Properties, Security).");
    EXPECT_EQ(read("bank.bin"), demo::MakeDemoBank());
#else
    const std::string level = FormatMapText(demo::MakeDemoLevel(60));
    const std::string history = "bank.bin.history";
    const auto linkFolder = [&] {
        fs::create_directories(m_folder / "elsewhere");
        for (int id = 1; id <= 120; ++id) {
            write("elsewhere/" + std::to_string(id) + ".point", std::string("not a point"));
        }
        fs::create_directory_symlink("elsewhere", m_folder / history);
    };
    const struct {
        std::function<void()> setUp;
        std::vector<std::string> arguments;
        std::string error;
        bool needsRoot = false;
    } cases[] = {
        {linkFolder,
         {"set", "bank.bin", "4", "level.txt"},
         "No restore point could be made in bank.bin.history, so nothing was written: it is a "
         "symbolic link."},
        {linkFolder,
         {"history", "bank.bin"},
         "The restore points in bank.bin.history cannot be read: it is a symbolic link."},
        {[&] {
             fs::create_directory(m_folder / history);
             fs::permissions(m_folder / history, fs::perms::all);
         },
         {"set", "bank.bin", "4", "level.txt"},
         "No restore point could be made in bank.bin.history, so nothing was written: users "
         "other than its owner may write to it (chmod go-w makes it private)."},
        {[&] {
             fs::create_directory(m_folder / history);
             fs::permissions(m_folder / history, fs::perms::owner_all | fs::perms::group_all);
         },
         {"history", "bank.bin"},
         "The restore points in bank.bin.history cannot be read: users other than its owner may "
         "write to it (chmod go-w makes it private)."},
        {[&] {
             ASSERT_EQ(run({"set", "bank.bin", "4", "level.txt"}).exitCode, 0);
             fs::permissions(m_folder / history / "1.point", fs::perms::group_write,
                             fs::perm_options::add);
         },
         {"restore", "bank.bin", "1"},
         "Restore point 1 cannot be read: users other than its owner may write to it (chmod go-w "
         "makes it private)."},
        {[&] {
             fs::create_directory(m_folder / history);
             ASSERT_EQ(::chown((m_folder / history).c_str(), 65534, 65534), 0);
         },
         {"restore", "bank.bin", "1"},
         "The restore points in bank.bin.history cannot be read: another user owns it.",
         true},
        {[&] {
             ASSERT_EQ(run({"set", "bank.bin", "4", "level.txt"}).exitCode, 0);
             fs::rename(m_folder / history / "1.point", m_folder / "1.point");
             fs::create_symlink("../1.point", m_folder / history / "1.point");
         },
         {"restore", "bank.bin", "1"},
         "Restore point 1 cannot be read: it is a symbolic link."},
    };
    write("level.txt", level);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        if (c.needsRoot && ::geteuid() != 0) {
            continue;
        }
        fs::remove_all(m_folder / history);
        fs::remove_all(m_folder / "elsewhere");
        write("bank.bin", demo::MakeDemoBank());
        c.setUp();
        const Bytes before = read("bank.bin");
        ExpectRefused(run(c.arguments), "bank.bin: " + c.error);
        EXPECT_EQ(read("bank.bin"), before);
        if (fs::exists(m_folder / "elsewhere")) {
            EXPECT_EQ(std::distance(fs::directory_iterator(m_folder / "elsewhere"), {}), 120);
        }
    }
    // A new folder and its points are the user's alone, whatever the umask.
    fs::remove_all(m_folder / history);
    write("bank.bin", demo::MakeDemoBank());
    const mode_t umask = ::umask(002);
    EXPECT_EQ(run({"set", "bank.bin", "4", "level.txt"}).exitCode, 0);
    ::umask(umask);
    EXPECT_EQ(fs::status(m_folder / history).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(m_folder / history / "1.point").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    // A plain file in the history's place keeps any point out, but --no-history writes.
    fs::remove_all(m_folder / history);
    write(history, std::string("plain"));
    EXPECT_EQ(run({"set", "bank.bin", "5", "level.txt", "--no-history"}).exitCode, 0);
    EXPECT_EQ(run({"dump", "bank.bin", "5"}).out, level);
#endif
}

// The README's session carries these edits to a fresh copy in a BPS patch and shows its info;
// here the IPS patch, and refusals that leave no result behind.
TEST_F(LevelsTool, PatchesCarryEditsToAFreshCopyAndRefuseWhatDoesNotFit) {
    const Bytes untouched = demo::MakeCartridge(demo::MakeDemoBank(), SourceKind::UeRom);
    write("cart.bin", untouched);
    write("fresh.bin", untouched);
    ASSERT_EQ(run({"copy", "cart.bin", "3", "40"}).exitCode, 0);
    ASSERT_EQ(run({"swap", "cart.bin", "1", "2"}).exitCode, 0);
    for (const std::string format : {"bps", "ips"}) {
        ASSERT_EQ(run({"patch", "make", "fresh.bin", "cart.bin", "-o", "edit." + format}).exitCode,
                  0);
    }
    ASSERT_EQ(run({"patch", "apply", "edit.ips", "fresh.bin", "-o", "out.bin"}).exitCode, 0);
    EXPECT_EQ(read("out.bin"), read("cart.bin"));
    fs::remove(m_folder / "out.bin");

    const Refusal refusals[] = {
        {{"patch", "apply", "edit.bps", "cart.bin", "-o", "out.bin"}, "CRC-32 does not match"},
        {{"patch", "apply", "edit.bps", "fresh.bin", "-o", "fresh.bin"}, "must be a new file"},
        {{"patch", "make", "fresh.bin", "cart.bin", "-o", "edit.txt"}, "must end in .bps or .ips"},
    };
    for (const auto& refusal : refusals) {
        const auto result = run(refusal.arguments);
        EXPECT_NE(result.exitCode, 0);
        EXPECT_NE(result.err.find(refusal.error), std::string::npos) << result.err;
        EXPECT_FALSE(fs::exists(m_folder / "out.bin"));
    }
    EXPECT_EQ(read("fresh.bin"), untouched);
}

// patch apply refuses an existing TARGET without --force; every write by a part file and a
// rename replaces only a regular file, never a FIFO, folder or symbolic link. An IPS
// cut past the result's end is left undone with a warning.
TEST_F(LevelsTool, WritesReplaceOnlyRegularFilesAndPatchApplyNeedsForce) {
    const Bytes bank = demo::MakeDemoBank();
    write("bank.bin", bank);
    // One record, 'x' at offset 0; cut.ips also cuts the result to 65536 bytes, past its end.
    const Bytes ips = {'P', 'A', 'T', 'C', 'H', 0, 0, 0, 0, 1, 'x', 'E', 'O', 'F'};
    Bytes cut = ips, patched = bank;
    cut.insert(cut.end(), {1, 0, 0});
    patched[0] = 'x';
    write("edit.ips", ips);
    write("cut.ips", cut);
    const Bytes kept = {'k', 'e', 'p', 't'};
    const auto file = [&](const fs::path& at) { write(at.filename().string(), kept); };
    const auto folder = [](const fs::path& at) { fs::create_directory(at); };
#ifndef _WIN32
    const auto fifo = [](const fs::path& at) { ASSERT_EQ(::mkfifo(at.c_str(), 0644), 0); };
    const auto link = [&](const fs::path& at) {
        write("kept.bin", kept);
        fs::create_symlink("kept.bin", at);
    };
#endif
    const auto nothing = [](const fs::path&) {};
    const std::vector<std::string> apply = {"patch", "apply", "edit.ips", "bank.bin", "-o", "out"};
    const std::vector<std::string> applyCut = {"patch",    "apply", "cut.ips",
                                               "bank.bin", "-o",    "out"};
    const std::vector<std::string> make = {"patch",    "make", "bank.bin",
                                           "edit.ips", "-o",   "out.ips"};
    const std::vector<std::string> exportPicture = {"export", "bank.bin", "-o", "out"};
    const auto with = [](std::vector<std::string> arguments, const std::string& more) {
        return arguments.push_back(more), arguments;
    };
    const struct {
        const char* name;
        std::function<void(const fs::path&)> place;  // what stands at the name after -o
        std::vector<std::string> arguments;
        int exitCode;
        std::string err;
        fs::file_type typeAfter;
        std::optional<Bytes> bytesAfter;  // read through a link; never read from a FIFO
    } cases[] = {
        {"existing file", file, apply, 1, "out: It already exists; give --force to replace it.",
         fs::file_type::regular, kept},
        {"folder", folder, with(apply, "--force"), 1, "out: It is not a regular file.",
         fs::file_type::directory, std::nullopt},
        {"forced over a file", file, with(apply, "--force"), 0, "", fs::file_type::regular,
         patched},
        {"cut past the end", nothing, applyCut, 0,
         "cut.ips: warning: The patch cuts the result to 65536 bytes, past its end at 16384 "
         "bytes; the size was left as it is.",
         fs::file_type::regular, patched},
#ifndef _WIN32
        // FIFOs are Linux's alone; MinGW's std::filesystem makes no links.
        {"FIFO", fifo, with(apply, "--force"), 1, "out: It is not a regular file.",
         fs::file_type::fifo, std::nullopt},
        {"link to a file", link, with(apply, "--force"), 1, "out: It is a symbolic link.",
         fs::file_type::symlink, kept},
        {"patch made over a link", link, make, 1, "out.ips: It is a symbolic link.",
         fs::file_type::symlink, kept},
        {"picture over a FIFO", fifo, exportPicture, 1, "out: It is not a regular file.",
         fs::file_type::fifo, std::nullopt},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string name = *(std::find(c.arguments.begin(), c.arguments.end(), "-o") + 1);
        c.place(m_folder / name);
        const auto result = run(c.arguments);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.err, c.err.empty() ? "" : "morvane-levels: " + c.err + "\n");
        EXPECT_EQ(fs::symlink_status(m_folder / name).type(), c.typeAfter);
        if (c.bytesAfter) {
            EXPECT_EQ(read(name), *c.bytesAfter);
        }
        EXPECT_FALSE(fs::exists(m_folder / (name + ".part")));
        fs::remove_all(m_folder / name);
    }
    EXPECT_EQ(read("bank.bin"), bank);
}

TEST_F(LevelsTool, RefusalsLeaveTheFileUntouched) {
    // Cells below `alternating` alternate tiles 0 and 1, one run each; the rest are runs of four
    // 2s. 98 levels of busy(144), 164 bytes, and one of 56 leave 58 bytes free: level 99 grown by
    // exactly those, busy(77), fits; busy(78) does not.
    const auto busy = [](int alternating) {
        LevelMap map;
        for (int cell = 0; cell < 224; ++cell) {
            map.setCell(cell, std::uint8_t(cell < alternating ? cell % 2 : 2));
        }
        return map;
    };
    std::vector<Bytes> streams(99, PackLevel(busy(144)));
    streams[98] = PackLevel(LevelMap());
    Bytes full = demo::AssembleBank(streams);
    full[2 * 40 + 1] = 0x7F;  // level 41 points before the bank
    write("full.bin", full);
    write("one.map", demo::MakeSingleMap(busy(144)));
    write("good.txt", FormatMapText(busy(144)));
    write("overflow.txt", FormatMapText(busy(224)));
    write("short.txt", FormatMapText(busy(144)).substr(2));
    write("fills.txt", FormatMapText(busy(77)));
    write("over.txt", FormatMapText(busy(78)));

    const std::string level41 =
        "Level 41: its pointer at file byte 80 does not point into the bank's level data.";
    const Refusal cases[] = {
        {{"set", "full.bin", "1", "short.txt"}, "short.txt: Line 1 has 31 numbers."},
        {{"set", "one.map", "1", "good.txt"},
         "one.map: This source holds a single map and cannot be saved."},
        {{"set", "full.bin", "41", "good.txt"}, "full.bin: " + level41},
        {{"set", "full.bin", "7", "overflow.txt"},
         "full.bin: Level 7: the bank's free space is too small: 2 bytes are missing."},
        {{"copy", "full.bin", "1", "99"},
         "full.bin: Level 99: the bank's free space is too small: 50 bytes are missing."},
        {{"repack", "full.bin"}, "full.bin: " + level41},
        {{"export", "full.bin", "-o", "./full.bin"},
         "./full.bin: This is the source file; the picture would replace it."},
        {{"set", "full.bin", "99", "over.txt"},
         "full.bin: Level 99: the bank's free space is too small: 1 byte is missing."},
        {{"swap", "full.bin", "1", "41"}, "full.bin: " + level41},
        {{"dump", "one.map", "2"}, "one.map: Level 2: the source holds no such level."},
    };
    for (const auto& c : cases) {
        ExpectRefused(run(c.arguments), c.error);
        EXPECT_EQ(read("full.bin"), full) << c.error;
    }
    EXPECT_EQ(read("one.map"), demo::MakeSingleMap(busy(144)));
    // dump --all: every level under its number, or why it cannot be read (then exit status 1).
    std::string all;
    for (int level = 1; level <= 99; ++level) {
        all += (level > 1 ? "\nLevel " : "Level ") + std::to_string(level) + "\n" +
               (level == 41 ? level41 + "\n" : FormatMapText(level == 99 ? LevelMap() : busy(144)));
    }
    const auto dumped = run({"dump", "full.bin", "--all"});
    EXPECT_EQ(std::pair(dumped.exitCode, dumped.out), std::pair(1, all));
    EXPECT_EQ(run({"set", "full.bin", "99", "fills.txt"}).exitCode, 0);
    EXPECT_EQ(run({"dump", "full.bin", "99"}).out, text("fills.txt"));
}

// unpack and export look at every file they would write or remove first: their own source, a
// link or the tileset's place refuses the whole command, naming it, with nothing written.
TEST_F(LevelsTool, UnpackAndExportWriteNothingWhenATargetIsTheSourceOrALink) {
#ifdef _WIN32
    GTEST_SKIP()
        << "each case stands on a symbolic link, which MinGW's std::filesystem cannot make";
#else
    const auto own = [](const std::string& name) {
        return name + ": This is the source file; unpacking would replace it.";
    };
    const Refusal cases[] = {
        {{"unpack", "Level5.json", "."}, own("./Level5.json")},
        {{"unpack", "manifest.txt", "."}, own("./manifest.txt")},
        {{"unpack", "levels/Level3.txt", "levels"}, own("levels/Level3.txt")},
        {{"unpack", "tiles.tsx", ".", "--format", "tmx"}, own("./tiles.tsx")},
        {{"unpack", "morvane.tiled-project", ".", "--format", "tmx"},
         own("./morvane.tiled-project")},
        {{"unpack", "bank.bin", "levels"}, "levels/Level50.txt: It is a symbolic link."},
        {{"export", "bank.bin", "12", "--format", "tmx", "-o", "tiles.tsx"},
         "tiles.tsx: This is where the maps' tileset goes; the tileset would replace the map."},
    };
    for (const auto& c : cases) {
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "levels");
        write(c.arguments[1], demo::MakeDemoBank());
        fs::create_symlink("../elsewhere.txt", m_folder / "levels" / "Level50.txt");
        ExpectRefused(run(c.arguments), c.error);
        EXPECT_EQ(read(c.arguments[1]), demo::MakeDemoBank());
        EXPECT_EQ(std::distance(fs::recursive_directory_iterator(m_folder), {}), 3) << c.error;
    }
#endif
}

TEST_F(LevelsTool, ExportWritesPicturesBesideTheSource) {
    write("bank.bin", demo::MakeDemoBank());
    std::string error;
    ASSERT_TRUE(demo::WriteTilePictures(m_folder.string(), error)) << error;
    fs::create_directories(m_folder / "work");
    const auto one = test::RunTool(MORVANE_LEVELS_TOOL, {"export", "../bank.bin", "12"},
                                   (m_folder / "work").string());
    ASSERT_EQ(one.exitCode, 0) << one.err;
    EXPECT_EQ(one.out, "../Level12.raw\n");
    EXPECT_EQ(fs::file_size(m_folder / "Level12.raw"), 172032u);

    // An existing folder as OUT gets the picture under its own name.
    fs::create_directory(m_folder / "pictures");
    const auto into = run({"export", "bank.bin", "4", "-o", "pictures"});
    EXPECT_EQ(into.out, "pictures/Level4.raw\n");
    EXPECT_EQ(fs::file_size(m_folder / "pictures" / "Level4.raw"), 172032u);
    ExpectRefused(run({"export", "bank.bin", "4", "--tiles", "nosuchdir"}),
                  "nosuchdir: There is no folder of tile pictures of that name.");
}

// Refusals that only permissions cause, run as a user they bind: the command fails with the
// reason, the source keeps its bytes and nothing is left beside it.
using LevelsToolPermissions = LevelsTool;
TEST_F(LevelsToolPermissions, ReadOnlySourceOrFolderRefusesAndWritesNothing) {
#ifdef _WIN32
    GTEST_SKIP() << "runs the tool as another Linux user, whom POSIX modes bind";
#else
    if (test::RerunAsUnprivilegedUser({MORVANE_LEVELS_TOOL})) {
        return;
    }
    const struct {
        int modes[2];  // the source's and the folder's
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{0444, 0755},
         {"set", "cart.bin", "1", "level.txt"},
         "cart.bin: Access to the file was denied (Permission denied)."},
        {{0444, 0555},
         {"export", "cart.bin", "1"},
         "Level1.raw: The file could not be created (Permission denied)."},
        {{0644, 0555},
         {"set", "cart.bin", "1", "level.txt"},
         "cart.bin: No restore point could be made in cart.bin.history, so nothing was written: "
         "access to the file was denied (Permission denied)."},
    };
    const Bytes cartridge = demo::MakeCartridge(demo::MakeDemoBank(), SourceKind::UeRom);
    write("level.txt", FormatMapText(demo::MakeDemoLevel(30)));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        write("cart.bin", cartridge);
        const test::TemporaryMode source(m_folder / "cart.bin", fs::perms(c.modes[0]));
        const test::TemporaryMode folderMode(m_folder, fs::perms(c.modes[1]));
        ExpectRefused(
            test::RunTool(test::ProgramToRun(MORVANE_LEVELS_TOOL), c.arguments, m_folder.string()),
            c.message);
        EXPECT_EQ(read("cart.bin"), cartridge);
        // Nothing but cart.bin and level.txt.
        EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), {}), 2);
    }

    // A point or a history folder that cannot be read is listed as what it is.
    const auto tool = test::ProgramToRun(MORVANE_LEVELS_TOOL);
    ASSERT_EQ(
        test::RunTool(tool, {"set", "cart.bin", "1", "level.txt"}, m_folder.string()).exitCode, 0);
    const auto history = m_folder / "cart.bin.history";
    {
        const test::TemporaryMode point(history / "1.point", fs::perms::none);
        const auto listed = test::RunTool(tool, {"history", "cart.bin"}, m_folder.string());
        EXPECT_EQ(listed.exitCode, 0);
        EXPECT_NE(listed.out.find("    1  Restore point 1 cannot be read: access to the file was "
                                  "denied (Permission denied).\n"),
                  std::string::npos)
            << listed.out;
    }
    const test::TemporaryMode folder(history, fs::perms::none);
    ExpectRefused(test::RunTool(tool, {"history", "cart.bin"}, m_folder.string()),
                  "cart.bin: The restore points in cart.bin.history cannot be read: access to the "
                  "file was denied (Permission denied).");
#endif
}

TEST_F(LevelsTool, UsageErrorsExitWithTwoHelpAndVersionWithZero) {
    write("bank.bin", demo::MakeDemoBank());
    const Refusal cases[] = {
        {{}, "no command given (see 'morvane-levels --help')"},
        {{"frobnicate"}, "unknown command 'frobnicate' (see 'morvane-levels --help')"},
        {{"set", "bank.bin", "-1", "-"}, "set: LEVEL must be a level number 1..99, not '-1'"},
        {{"copy", "bank.bin", "3", "0"}, "copy: TO must be a level number 1..99, not '0'"},
        {{"swap", "bank.bin", "-2", "3"}, "swap: A must be a level number 1..99, not '-2'"},
        {{"replace", "bank.bin", "64", "5"}, "replace: OLD must be a tile number 0..63, not '64'"},
        {{"set", "bank.bin"}, "set: the arguments are FILE [LEVEL] MAPFILE"},
        {{"swap", "bank.bin", "1", "2", "3"}, "swap: the arguments are FILE A B"},
        {{"patch", "make", "bank.bin", "bank.bin"}, "patch: make takes ORIGINAL EDITED -o OUT"},
        {{"restore", "bank.bin", "x1"}, "restore: ID must be a restore point's number, not 'x1'"},
        {{"restore", "bank.bin"}, "restore: the arguments are FILE and ID"},
        {{"info", "bank.bin", "--yaml"}, "info: unknown option '--yaml'"},
        {{"info", "-"}, "info: unknown option '-'"},
        {{"export", "bank.bin", "--format"}, "export: --format needs a value"},
        {{"export", "bank.bin", "--format", "bmp"},
         "export: --format is raw, png or tmx, not 'bmp'"},
    };
    for (const auto& c : cases) {
        const auto result = run(c.arguments);
        EXPECT_EQ(result.exitCode, 2);
        const std::string help = c.arguments.empty() || c.arguments[0] == "frobnicate"
                                     ? ""
                                     : " (see 'morvane-levels " + c.arguments[0] + " --help')";
        EXPECT_EQ(result.err, "morvane-levels: " + c.error + help + "\n");
    }
    for (const char* command : {"info", "dump", "set", "repack", "export", "history", "restore",
                                "diff", "copy", "swap", "replace", "patch"}) {
        EXPECT_EQ(
            run({command, "--help"}).out.rfind(std::string("usage: morvane-levels ") + command, 0),
            0u);
    }
    for (const char* help : {"--help", "-h", "help"}) {
        EXPECT_NE(run({help}).out.find("\n  dump FILE [LEVEL|--all]   a level's 224 tile numbers"),
                  std::string::npos);
    }
    const auto version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("morvane-levels ") + kVersion + "\n");
}

#ifdef MORVANE_EDITOR_PROGRAM
TEST_F(LevelsTool, EditorTellsItsVersionAndWithoutADisplayHowToRunIt) {
    const std::vector<std::string> noDisplay{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    const auto version =
        test::RunTool(MORVANE_EDITOR_PROGRAM, {"--version"}, m_folder.string(), {}, nullptr);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("morvane-editor ") + kVersion + "\n");
    const auto started =
        test::RunTool(MORVANE_EDITOR_PROGRAM, {}, m_folder.string(), {}, nullptr, noDisplay);
    EXPECT_EQ(started.exitCode, 1);
    EXPECT_EQ(started.err,
              "morvane-editor: no graphical display (DISPLAY or WAYLAND_DISPLAY is not set); run "
              "it on a desktop, with QT_QPA_PLATFORM=offscreen, or use the command-line tool "
              "morvane-levels\n");
    // A platform named on the command line is Qt's to try, display or not.
    for (const char* option : {"-platform", "--platform"}) {
        const auto named = test::RunTool(MORVANE_EDITOR_PROGRAM, {option, "nosuchplatform"},
                                         m_folder.string(), {}, nullptr, noDisplay);
        EXPECT_NE(named.err.find("platform plugin \"nosuchplatform\""), std::string::npos)
            << named.err;
    }
}
#endif

TEST_F(LevelsTool, MakeDemoWritesWhatIsMissingAndNeverOverOtherBytes) {
    const auto makeDemo = [&] {
        return test::RunTool(MORVANE_MAKE_DEMO_TOOL, {"demo"}, m_folder.string());
    };
    // (What a fresh folder gets is the README's first session.)
    ASSERT_EQ(makeDemo().exitCode, 0);
    const Bytes bank = demo::MakeDemoBank();
    EXPECT_EQ(read("demo/bank.bin"), bank);

    // An edited bank keeps the missing map and picture from being written too.
    Bytes edited = bank;
    edited[600] ^= 0xFF;
    write("demo/bank.bin", edited);
    fs::remove(m_folder / "demo/single.map");
    fs::remove(m_folder / "demo/gif/5.gif");
    const auto refused = makeDemo();
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(refused.err,
              "morvane-make-demo: demo/bank.bin: holds other bytes than the demo's\n"
              "morvane-make-demo: demo: nothing was written\n");
    EXPECT_EQ(read("demo/bank.bin"), edited);
    EXPECT_FALSE(fs::exists(m_folder / "demo/single.map"));
    EXPECT_FALSE(fs::exists(m_folder / "demo/gif/5.gif"));

    write("demo/bank.bin", bank);
    const auto filled = makeDemo();
    EXPECT_EQ(filled.exitCode, 0) << filled.err;
    EXPECT_EQ(filled.out,
              "wrote demo/single.map\nwrote 1 tile picture in demo/gif\n"
              "left 68 files that were there already as they were\n");
    EXPECT_EQ(read("demo/single.map"), demo::MakeSingleMap(demo::MakeDemoLevel(77)));
    EXPECT_TRUE(fs::exists(m_folder / "demo/gif/5.gif"));
    EXPECT_EQ(makeDemo().out, "nothing to write: every demo file in demo is there already\n");

    // Restore points of a bank that is gone are not handed to the new one.
    fs::remove(m_folder / "demo/bank.bin");
    fs::create_directory(m_folder / "demo/bank.bin.history");
    const auto stale = makeDemo();
    EXPECT_EQ(stale.exitCode, 1);
    EXPECT_EQ(stale.err,
              "morvane-make-demo: demo/bank.bin.history: holds the restore points of an earlier "
              "bank.bin, which is missing\nmorvane-make-demo: demo: nothing was written\n");
    EXPECT_FALSE(fs::exists(m_folder / "demo/bank.bin"));
}

}  // namespace
}  // namespace morvane
