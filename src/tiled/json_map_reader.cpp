#include "tiled/json_map_reader.h"

#include <filesystem>
#include <nlohmann/json.hpp>

#include "tiled/map_numbers.h"

namespace morvane {

namespace {

using nlohmann::json;

TiledMapProblem NotAMap(std::string detail) {
    return TiledMapProblem{.error = TiledMapError::NotAMap, .detail = std::move(detail)};
}

std::string StringField(const json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : "";
}

// The field key of object, or null when it is missing; a reference, never a copy, since a
// field may hold a large part of the file.
const json& Field(const json& object, const char* key) {
    static const json missing;
    const auto found = object.find(key);
    return found != object.end() ? *found : missing;
}

// A JSON number as a map number: its text as the file would show it, its value when whole.
MapNumber NumberOf(const json& value) {
    if (value.is_number_integer()) {
        return ReadMapNumber(value.dump());
    }
    return {value.is_string() ? "\"" + value.get<std::string>() + "\"" : value.dump(),
            std::nullopt};
}

TiledLayer ReadLayer(const json& entry) {
    TiledLayer layer;
    layer.name = StringField(entry, "name");
    const json& data = Field(entry, "data");
    if (data.is_string()) {
        layer.encoding = StringField(entry, "encoding");
        layer.compression = StringField(entry, "compression");
        layer.text = data.get<std::string>();
    } else if (data.is_array()) {
        for (const json& item : data) {
            if (!item.is_number_unsigned() || item.get<std::uint64_t>() > 0xFFFFFFFFu) {
                layer.listProblem =
                    "item " + std::to_string(layer.gids.size() + 1) + " of its data is not a tile";
                break;
            }
            layer.gids.push_back(item.get<std::uint32_t>());
        }
    } else {
        layer.listProblem = "it has no data";
    }
    return layer;
}

// The tile layers in layers in file order, descending into groups, without recursion: a file
// may nest groups far deeper than any stack allows.
std::optional<TiledMapProblem> CollectLayers(const json& layers, std::vector<TiledLayer>& found) {
    // At each depth, a layer array and the index of its next entry.
    std::vector<std::pair<const json*, std::size_t>> next{{&layers, 0}};
    while (!next.empty()) {
        auto& [array, index] = next.back();
        if (!array->is_array() || index >= array->size()) {
            next.pop_back();
            continue;
        }
        const json& entry = (*array)[index++];
        if (!entry.is_object()) {
            continue;
        }
        const std::string type = StringField(entry, "type");
        if (type == "group") {
            if (next.size() > std::size_t(kMaxGroupDepth)) {
                return TiledMapProblem{.error = TiledMapError::GroupsTooDeep};
            }
            next.emplace_back(&Field(entry, "layers"), 0);
        } else if (type == "tilelayer") {
            found.push_back(ReadLayer(entry));
        }
    }
    return std::nullopt;
}

// Reads the map object's fields into contents; json::exception when one has the wrong type.
std::optional<TiledMapProblem> ReadMapObject(const json& map, TiledMapContents& contents) {
    if (!map.is_object() || StringField(map, "type") != "map" || !map.contains("width") ||
        !map.contains("height")) {
        return NotAMap("the JSON is not a map's object");
    }
    if (auto problem = CheckSize("width", NumberOf(map["width"]), contents.width)) {
        return problem;
    }
    if (auto problem = CheckSize("height", NumberOf(map["height"]), contents.height)) {
        return problem;
    }
    contents.infinite = map.value("infinite", false);
    for (const json& property : Field(map, "properties")) {
        if (property.is_object() && StringField(property, "name") == kLevelProperty) {
            if (auto problem = CheckLevel(NumberOf(Field(property, "value")), contents.level)) {
                return problem;
            }
        }
    }
    for (const json& tileset : Field(map, "tilesets")) {
        if (!tileset.is_object()) {
            continue;
        }
        TilesetReference reference;
        const std::string source = StringField(tileset, "source");
        reference.name = !source.empty() ? std::filesystem::path(source).stem().string()
                                         : StringField(tileset, "name");
        if (auto problem = CheckFirstGid(reference.name, NumberOf(Field(tileset, "firstgid")),
                                         reference.firstGid)) {
            return problem;
        }
        contents.tilesets.push_back(std::move(reference));
    }
    return CollectLayers(Field(map, "layers"), contents.layers);
}

}  // namespace

std::optional<TiledMapProblem> ReadJsonContents(std::span<const std::uint8_t> bytes,
                                                TiledMapContents& contents) {
    const json map = json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (map.is_discarded()) {
        return NotAMap("the JSON is not valid");
    }
    // Field lookups throw on a field of the wrong type; such a file is no map Tiled wrote.
    try {
        return ReadMapObject(map, contents);
    } catch (const json::exception&) {
        return NotAMap("a field of the JSON map has the wrong type");
    }
}

}  // namespace morvane
