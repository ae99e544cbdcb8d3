#include "tiled/tmx_map_reader.h"

#include <filesystem>
#include <pugixml.hpp>

namespace morvane {

namespace {

// The tile layers under node in file order, descending into groups.
void CollectLayers(const pugi::xml_node& node, std::vector<TiledLayer>& layers) {
    for (const pugi::xml_node& child : node.children()) {
        const std::string_view kind = child.name();
        if (kind == "group") {
            CollectLayers(child, layers);
            continue;
        }
        if (kind != "layer") {
            continue;
        }
        TiledLayer layer;
        layer.name = child.attribute("name").value();
        const pugi::xml_node data = child.child("data");
        layer.encoding = data.attribute("encoding").value();
        layer.compression = data.attribute("compression").value();
        if (layer.encoding.empty()) {
            // The oldest layout: one <tile gid="..."/> per cell, a missing gid an empty cell.
            for (const pugi::xml_node& tile : data.children("tile")) {
                layer.gids.push_back(tile.attribute("gid").as_uint(0));
            }
        } else {
            layer.text = data.text().get();
        }
        layers.push_back(std::move(layer));
    }
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
    contents.width = map.attribute("width").as_int();
    contents.height = map.attribute("height").as_int();
    contents.infinite = map.attribute("infinite").as_int() != 0;
    for (const pugi::xml_node& tileset : map.children("tileset")) {
        TilesetReference reference;
        reference.firstGid = tileset.attribute("firstgid").as_uint();
        const pugi::xml_attribute source = tileset.attribute("source");
        reference.name = source ? std::filesystem::path(source.value()).stem().string()
                                : tileset.attribute("name").value();
        contents.tilesets.push_back(std::move(reference));
    }
    CollectLayers(map, contents.layers);
    return std::nullopt;
}

}  // namespace morvane
