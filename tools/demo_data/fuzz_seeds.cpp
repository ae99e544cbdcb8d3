#include "fuzz_seeds.h"

#include "bank_builder.h"
#include "demo_levels.h"
#include "leveldata/level_codec.h"

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

}  // namespace morvane::demo
