#include "fuzz_seeds.h"

#include <algorithm>

#include "bank_builder.h"
#include "demo_levels.h"
#include "gif_writer.h"
#include "leveldata/level_bank.h"
#include "leveldata/level_codec.h"
#include "leveldata/map_text.h"
#include "leveldata/restore_point.h"
#include "patches/patch_codec.h"

namespace morvane::demo {

std::vector<NamedBytes> UnpackSeeds() {
    std::vector<NamedBytes> seeds;
    for (int index = 0; index < 99; index += 7) {
        const LevelMap map = MakeDemoLevel(index);
        seeds.emplace_back("level-" + std::to_string(index + 1), PackLevel(map));
        seeds.emplace_back("pairs-" + std::to_string(index + 1), PackInPairs(map));
    }
    seeds.emplace_back("plain-map", MakeSingleMap(MakeDemoLevel(5)));
    std::vector<std::uint8_t> pastEnd(55, 0xC4);
    pastEnd.push_back(0x44);
    pastEnd.push_back(0xC4);
    seeds.emplace_back("run-past-end", pastEnd);
    seeds.emplace_back("ends-early", std::vector<std::uint8_t>(20, 0x83));
    return seeds;
}

std::vector<NamedBytes> SourceSeeds() {
    // The source fuzzer's input: the wrapper's SourceKind value, then the level data.
    const auto wrapped = [](SourceKind wrapper, std::vector<std::uint8_t> data) {
        data.insert(data.begin(), std::uint8_t(wrapper));
        return data;
    };
    const auto bank = MakeDemoBank();
    std::vector<NamedBytes> seeds = {
        {"bank.bin", wrapped(SourceKind::ExtractedMapData, bank)},
        {"cartridge-ue.bin", wrapped(SourceKind::UeRom, bank)},
        {"cartridge-j.bin", wrapped(SourceKind::JRom, bank)},
        {"savestate.s00", wrapped(SourceKind::MekaSavestate, MakeSingleMap(MakeDemoLevel(41)))},
        {"single.map", wrapped(SourceKind::UncompressedMap, MakeSingleMap(MakeDemoLevel(77)))},
    };

    // Cells below `alternating` alternate tiles 0 and 1, one run each; the rest are runs of
    // four 2s. 98 streams of 164 bytes and one of 114 fill the bank to its last byte.
    const auto busy = [](int alternating) {
        LevelMap map;
        for (int cell = 0; cell < 224; ++cell) {
            map.setCell(cell, std::uint8_t(cell < alternating ? cell % 2 : 2));
        }
        return PackLevel(map);
    };
    std::vector<std::vector<std::uint8_t>> streams(99, busy(144));
    streams[98] = busy(77);
    auto full = AssembleBank(streams);
    // The fuzzer reads its choices from the input's end backwards: level 1, one paint, cell
    // 200 becomes tile 5. That splits a run of 2s, so the save is refused for want of space.
    // A cartridge ignores bytes past its bank.
    full.insert(full.end(), {5, 200, 0, 1, 0});
    seeds.emplace_back("full-bank.bin", wrapped(SourceKind::UeRom, full));

    auto broken = bank;
    broken[2 * 10 + 1] = 0x7F;        // level 11 before the bank
    broken[2 * 20 + 1] = 0xC0;        // level 21 past the bank
    broken[2 * 30] = broken[2 * 29];  // level 31 shares level 30's stream
    broken[2 * 30 + 1] = broken[2 * 29 + 1];
    seeds.emplace_back("broken-pointers.bin", wrapped(SourceKind::JRom, broken));

    auto cut = bank;
    cut.resize(5000);
    seeds.emplace_back("cut-short.bin", wrapped(SourceKind::ExtractedMapData, cut));

    // An extracted bank followed by bytes that are not part of it.
    auto trailing = bank;
    trailing.insert(trailing.end(), 64, 0x5A);
    seeds.emplace_back("trailing-bytes.bin", wrapped(SourceKind::ExtractedMapData, trailing));
    return seeds;
}

std::vector<NamedBytes> PatchSeeds() {
    const auto bank = MakeDemoBank();
    const auto map = MakeSingleMap(MakeDemoLevel(3));
    auto moved = bank;
    moved.insert(moved.begin() + 4000, {1, 2, 3, 4, 5, 6, 7, 8});
    moved.resize(bank.size());
    auto edited = map;
    edited[0] ^= 1;
    edited[100] = 63;
    auto longer = map;
    longer.insert(longer.end(), 40, 9);
    auto shorter = map;
    shorter.resize(150);
    const struct {
        const char* name;
        std::vector<std::uint8_t> original;
        std::vector<std::uint8_t> edited;
    } pairs[] = {
        {"bank-moved", bank, moved},   {"map-edited", map, edited}, {"map-longer", map, longer},
        {"map-shorter", map, shorter}, {"map-equal", map, map},
    };
    std::vector<NamedBytes> seeds;
    for (const auto& pair : pairs) {
        for (const PatchFormat format : {PatchFormat::Ips, PatchFormat::Bps}) {
            const auto patch = MakePatch(format, pair.original, pair.edited);
            for (const std::uint8_t flags : {0, 3}) {
                std::vector<std::uint8_t> input = {flags, std::uint8_t(patch.value().size()),
                                                   std::uint8_t(patch.value().size() >> 8),
                                                   std::uint8_t(patch.value().size() >> 16)};
                input.insert(input.end(), patch.value().begin(), patch.value().end());
                input.insert(input.end(), pair.original.begin(), pair.original.end());
                seeds.emplace_back(std::string(pair.name) + "." +
                                       (format == PatchFormat::Ips ? "ips" : "bps") +
                                       (flags ? "-flags" : ""),
                                   input);
            }
        }
    }
    return seeds;
}

std::vector<NamedBytes> RestorePointSeeds() {
    RestorePoint point;
    point.id = 1;
    point.time = "2026-12-06T23:59:01Z";
    point.what = "save level 12";
    point.sourceKind = 2;
    point.fileSize = LevelBank::kSize;
    point.bank = MakeDemoBank();
    point.checksum = Crc32(point.bank);
    std::vector<NamedBytes> seeds{{"bank", EncodeRestorePoint(point)}};
    RestorePoint cartridge = point;
    cartridge.sourceKind = 0;
    cartridge.dataOffset = 98304;
    cartridge.fileSize = 131072;
    seeds.emplace_back("cartridge", EncodeRestorePoint(cartridge));
    RestorePoint shortFile = point;
    shortFile.fileSize = 9000;
    std::fill(shortFile.bank.begin() + 9000, shortFile.bank.end(), 0);
    shortFile.checksum = Crc32(shortFile.bank);
    seeds.emplace_back("short-file", EncodeRestorePoint(shortFile));
    auto damagedBank = seeds[0].second;
    damagedBank.back() ^= 1;
    seeds.emplace_back("damaged-bank", damagedBank);
    auto damagedHeader = seeds[0].second;
    damagedHeader[30] = '\n';
    seeds.emplace_back("damaged-header", damagedHeader);
    return seeds;
}

std::vector<NamedBytes> MapTextSeeds() {
    const auto bytes = [](const std::string& text) {
        return std::vector<std::uint8_t>(text.begin(), text.end());
    };
    std::vector<NamedBytes> seeds;
    for (int index = 0; index < 99; index += 24) {
        seeds.emplace_back("level-" + std::to_string(index + 1),
                           bytes(FormatMapText(MakeDemoLevel(index))));
    }
    std::string text = FormatMapText(MakeDemoLevel(3));
    std::string crlf;
    for (const char c : text) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c == ' ' ? '\t' : c);
    }
    seeds.emplace_back("tabs-crlf", bytes(crlf));
    seeds.emplace_back("short-line",
                       bytes(text.substr(0, text.find(' ')) + text.substr(text.find(' ') + 2)));
    seeds.emplace_back("bad-word", bytes("x " + text));
    seeds.emplace_back("tile-64", bytes("64 " + text.substr(text.find(' ') + 1)));
    seeds.emplace_back("too-few", bytes(text.substr(0, text.size() / 2)));
    return seeds;
}

std::vector<NamedBytes> GifSeeds() {
    std::vector<NamedBytes> seeds = {{"tile-0.gif", EncodeGif(MakeTilePicture(0))},
                                     {"tile-3.gif", EncodeGif(MakeTilePicture(3))}};
    IndexedPicture interlaced = MakeTilePicture(9);
    interlaced.interlaced = true;
    seeds.emplace_back("interlaced.gif", EncodeGif(interlaced));
    IndexedPicture framed = MakeTilePicture(7);
    framed.screenWidth = 20;
    framed.screenHeight = 19;
    framed.left = 3;
    framed.top = 2;
    seeds.emplace_back("framed.gif", EncodeGif(framed));
    std::vector<std::uint8_t> cut = seeds[0].second;
    cut.resize(cut.size() / 2);
    seeds.emplace_back("cut.gif", cut);
    return seeds;
}

}  // namespace morvane::demo
