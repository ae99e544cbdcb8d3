#include "tiled/json_map_reader.h"

#include <filesystem>
#include <nlohmann/json.hpp>

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

// The tile layers in layers in file order, descending into groups.
void CollectLayers(const json& layers, std::vector<TiledLayer>& found) {
    if (!layers.is_array()) {
        return;
    }
    for (const json& entry : layers) {
        if (!entry.is_object()) {
            continue;
        }
        const std::string type = StringField(entry, "type");
        if (type == "group") {
            CollectLayers(entry.value("layers", json::array()), found);
            continue;
        }
        if (type != "tilelayer") {
            continue;
        }
        TiledLayer layer;
        layer.name = StringField(entry, "name");
        const json data = entry.value("data", json());
        if (data.is_string()) {
            layer.encoding = StringField(entry, "encoding");
            layer.compression = StringField(entry, "compression");
            layer.text = data.get<std::string>();
        } else if (data.is_array()) {
            for (const json& item : data) {
                if (!item.is_number_unsigned() || item.get<std::uint64_t>() > 0xFFFFFFFFu) {
                    layer.listProblem = "item " + std::to_string(layer.gids.size() + 1) +
                                        " of its data is not a tile";
                    break;
                }
                layer.gids.push_back(item.get<std::uint32_t>());
            }
        } else {
            layer.listProblem = "it has no data";
        }
        found.push_back(std::move(layer));
    }
}

// Reads the map object's fields into contents; json::exception when one has the wrong type.
std::optional<TiledMapProblem> ReadMapObject(const json& map, TiledMapContents& contents) {
    if (!map.is_object() || StringField(map, "type") != "map" || !map.contains("width") ||
        !map.contains("height") || !map["width"].is_number_integer() ||
        !map["height"].is_number_integer()) {
        return NotAMap("the JSON is not a map's object");
    }
    contents.width = map["width"].get<int>();
    contents.height = map["height"].get<int>();
    contents.infinite = map.value("infinite", false);
    for (const json& tileset : map.value("tilesets", json::array())) {
        if (!tileset.is_object()) {
            continue;
        }
        TilesetReference reference;
        reference.firstGid = tileset.value("firstgid", 0u);
        const std::string source = StringField(tileset, "source");
        reference.name = !source.empty() ? std::filesystem::path(source).stem().string()
                                         : StringField(tileset, "name");
        contents.tilesets.push_back(std::move(reference));
    }
    CollectLayers(map.value("layers", json::array()), contents.layers);
    return std::nullopt;
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
