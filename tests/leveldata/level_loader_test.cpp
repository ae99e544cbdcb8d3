#include "leveldata/level_loader.h"

#include <gtest/gtest.h>

#include "bank_builder.h"
#include "demo_levels.h"
#include "leveldata/level_codec.h"
#include "memory_file_system.h"

namespace morvane {
namespace {

constexpr std::int64_t kCartridgeBank = 98304;

struct Open {
    explicit Open(std::vector<std::uint8_t> bytes) { data->bytes = std::move(bytes); }
    std::shared_ptr<MemoryFileData> data = std::make_shared<MemoryFileData>();
    std::unique_ptr<ByteFile> file = OpenMemoryFile(data, OpenMode::ReadWrite);
};

TEST(LoadLevel, SingleMapsAreOneStreamWithoutTable) {
    const LevelMap map = demo::MakeDemoLevel(7);
    for (const auto& [bytes, layout] :
         {std::pair{demo::MakeSavestate(map), LevelLayout{489, false}},
          {demo::MakeSingleMap(map), LevelLayout{0, false}}}) {
        auto source = Open(bytes);
        const auto loaded = LoadLevelFromFile(*source.file, layout, 0);
        ASSERT_TRUE(loaded.ok());
        EXPECT_EQ(loaded.value().map, map);
        EXPECT_EQ(LoadLevelFromFile(*source.file, layout, 1).failure().error,
                  LevelError::NoSuchLevel);
    }
}

TEST(LoadLevel, RefusesLevelsOutsideTheFormatAndNamesThem) {
    const auto good = demo::MakeDemoBank();
    const struct {
        const char* name;
        int index;
        std::uint8_t low, high;
        std::size_t fileLength;
        LevelError error;
        std::int64_t fileByte;
    } cases[] = {
        // (Pointers below the bank, into its table and past it are named, with their file byte,
        // by the tool's and the editor's tests.)
        {"stream leaves the bank", 9, 0xF0, 0xBF, 16384, LevelError::StreamLeavesBank, 16368},
        {"file ends in the stream", 0, 0xC6, 0x80, 230, LevelError::StreamLeavesFile, 198},
        {"file ends in the table", 98, 0xC6, 0x80, 100, LevelError::TableLeavesFile, 100},
        {"file ends after the entry", 1, 0xC6, 0x80, 4, LevelError::StreamLeavesFile, 198},
    };
    for (const auto& c : cases) {
        auto bytes = good;
        bytes[2 * std::size_t(c.index)] = c.low;
        bytes[2 * std::size_t(c.index) + 1] = c.high;
        // A stream that runs to the bank's end without completing the level.
        std::fill(bytes.begin() + 16368, bytes.end(), std::uint8_t{0x00});
        bytes.resize(c.fileLength);
        auto source = Open(bytes);
        const auto loaded = LoadLevelFromFile(*source.file, {0, true}, c.index);
        ASSERT_FALSE(loaded.ok()) << c.name;
        EXPECT_EQ(loaded.failure().error, c.error) << c.name;
        EXPECT_EQ(loaded.failure().fileByte, c.fileByte) << c.name;
        const std::string text = DescribeLevelFailure(loaded.failure());
        EXPECT_EQ(text.rfind("Level " + std::to_string(c.index + 1) + ": ", 0), 0u) << text;
    }
    // A file that cannot be read names the level asked for too.
    auto source = Open(good);
    source.data->clock->operationsLeft = 0;
    EXPECT_EQ(LoadLevelFromFile(*source.file, {0, true}, 6).failure().level, 7);
}

}  // namespace
}  // namespace morvane
