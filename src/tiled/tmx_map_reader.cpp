#include "tiled/tmx_map_reader.h"

#include <filesystem>
#include <pugixml.hpp>

#include "tiled/map_numbers.h"

namespace morvane {

namespace {

TiledLayer ReadLayer(const pugi::xml_node& node) {
    TiledLayer layer;
    layer.name = node.attribute("name").value();
    const pugi::xml_node data = node.child("data");
    layer.encoding = data.attribute("encoding").value();
    layer.compression = data.attribute("compression").value();
    if (!layer.encoding.empty()) {
        layer.text = data.text().get();
        return layer;
    }
    // The oldest layout: one <tile gid="..."/> per cell, a missing gid an empty cell.
    for (const pugi::xml_node& tile : data.children("tile")) {
        const pugi::xml_attribute gid = tile.attribute("gid");
        const MapNumber number = ReadMapNumber(gid.value());
        if (gid && (!number.value || *number.value < 0 || *number.value > 0xFFFFFFFF)) {
            layer.listProblem =
                "item " + std::to_string(layer.gids.size() + 1) + " of its data is not a tile";
            break;
        }
        layer.gids.push_back(gid ? std::uint32_t(*number.value) : 0);
    }
    return layer;
}

// The tile layers under map in file order, descending into groups, without recursion: a file
// may nest groups far deeper than any stack allows.
std::optional<TiledMapProblem> CollectLayers(const pugi::xml_node& map,
                                             std::vector<TiledLayer>& layers) {
    // The next node to visit at each depth, the map's children at the bottom.
    std::vector<pugi::xml_node> next{map.first_child()};
    while (!next.empty()) {
        const pugi::xml_node node = next.back();
        if (!node) {
            next.pop_back();
            continue;
        }
        next.back() = node.next_sibling();
        const std::string_view kind = node.name();
        if (kind == "group") {
            if (next.size() > std::size_t(kMaxGroupDepth)) {
                return TiledMapProblem{.error = TiledMapError::GroupsTooDeep};
            }
            next.push_back(node.first_child());
        } else if (kind == "layer") {
            layers.push_back(ReadLayer(node));
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<TiledMapProblem> ReadTmxContents(std::span<const std::uint8_t> bytes,
                                               TiledMapContents& contents) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(bytes.data(), bytes.size());
    if (!parsed) {
        return TiledMapProblem{.error = TiledMapError::NotAMap,
                               .detail = std::string("XML: ") + parsed.description() + " at byte " +
                                         std::to_string(parsed.offset)};
    }
    const pugi::xml_node map = document.document_element();
    if (std::string_view(map.name()) != "map") {
        return TiledMapProblem{
            .error = TiledMapError::NotAMap,
            .detail = "the XML's root is <" + std::string(map.name()) + ">, not <map>"};
    }
    if (auto problem =
            CheckSize("width", ReadMapNumber(map.attribute("width").value()), contents.width)) {
        return problem;
    }
    if (auto problem =
            CheckSize("height", ReadMapNumber(map.attribute("height").value()), contents.height)) {
        return problem;
    }
    contents.infinite = map.attribute("infinite").as_int() != 0;
    const pugi::xml_node level =
        map.child("properties").find_child_by_attribute("property", "name", kLevelProperty.data());
    if (level) {
        if (auto problem =
                CheckLevel(ReadMapNumber(level.attribute("value").value()), contents.level)) {
            return problem;
        }
    }
    for (const pugi::xml_node& tileset : map.children("tileset")) {
        TilesetReference reference;
        const pugi::xml_attribute source = tileset.attribute("source");
        reference.name = source ? std::filesystem::path(source.value()).stem().string()
                                : tileset.attribute("name").value();
        if (auto problem =
                CheckFirstGid(reference.name, ReadMapNumber(tileset.attribute("firstgid").value()),
                              reference.firstGid)) {
            return problem;
        }
        contents.tilesets.push_back(std::move(reference));
    }
    return CollectLayers(map, contents.layers);
}

}  // namespace morvane
