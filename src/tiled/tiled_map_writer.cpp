#include "tiled/tiled_map_writer.h"

#include <algorithm>
#include <pugixml.hpp>
#include <sstream>

#include "tiled/tiled_map_contents.h"

namespace morvane {

namespace {

// The version of the TMX format written; Tiled 1.8 reads and writes it.
constexpr const char* kFormatVersion = "1.8";
// The editor's grid background (kLevelBackground), which transparent tile pixels show.
constexpr const char* kBackgroundColour = "#2c3a4a";

std::string Saved(const pugi::xml_document& document) {
    std::ostringstream text;
    document.save(text, " ", pugi::format_default, pugi::encoding_utf8);
    return text.str();
}

pugi::xml_document NewDocument() {
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    return document;
}

}  // namespace

TileSize TilesetTileSize(std::span<const TilesetImage> images) {
    TileSize size;
    for (const TilesetImage& image : images) {
        size.width = std::max(size.width, image.width);
        size.height = std::max(size.height, image.height);
    }
    return size;
}

std::string FormatTmxMap(const LevelMap& map, TileSize tileSize, std::optional<int> level) {
    pugi::xml_document document = NewDocument();
    pugi::xml_node root = document.append_child("map");
    root.append_attribute("version") = kFormatVersion;
    root.append_attribute("orientation") = "orthogonal";
    root.append_attribute("renderorder") = "right-down";
    root.append_attribute("width") = LevelMap::kColumns;
    root.append_attribute("height") = LevelMap::kRows;
    root.append_attribute("tilewidth") = tileSize.width;
    root.append_attribute("tileheight") = tileSize.height;
    root.append_attribute("infinite") = 0;
    root.append_attribute("backgroundcolor") = kBackgroundColour;
    root.append_attribute("nextlayerid") = 2;
    root.append_attribute("nextobjectid") = 1;
    if (level) {
        pugi::xml_node property = root.append_child("properties").append_child("property");
        property.append_attribute("name") = std::string(kLevelProperty).c_str();
        property.append_attribute("type") = "int";
        property.append_attribute("value") = *level;
    }
    pugi::xml_node tileset = root.append_child("tileset");
    tileset.append_attribute("firstgid") = 1;
    tileset.append_attribute("source") = std::string(kTilesetFileName).c_str();
    pugi::xml_node layer = root.append_child("layer");
    layer.append_attribute("id") = 1;
    layer.append_attribute("name") = "level";
    layer.append_attribute("width") = LevelMap::kColumns;
    layer.append_attribute("height") = LevelMap::kRows;
    pugi::xml_node data = layer.append_child("data");
    data.append_attribute("encoding") = "csv";
    // One line per row, as Tiled writes it: every gid followed by a comma but the last.
    std::string csv = "\n";
    for (int row = 0; row < LevelMap::kRows; ++row) {
        for (int column = 0; column < LevelMap::kColumns; ++column) {
            csv += std::to_string(map.cell(LevelMap::cellAt(column, row)) + 1);
            const bool last = row == LevelMap::kRows - 1 && column == LevelMap::kColumns - 1;
            csv += last ? "" : ",";
        }
        csv += "\n";
    }
    data.append_child(pugi::node_pcdata).set_value(csv.c_str());
    return Saved(document);
}

std::string FormatTileset(std::span<const TilesetImage> images) {
    const TileSize size = TilesetTileSize(images);
    pugi::xml_document document = NewDocument();
    pugi::xml_node root = document.append_child("tileset");
    root.append_attribute("version") = kFormatVersion;
    root.append_attribute("name") = "tiles";
    root.append_attribute("tilewidth") = size.width;
    root.append_attribute("tileheight") = size.height;
    root.append_attribute("tilecount") = int(images.size());
    // An image collection has no columns: each tile is a picture of its own.
    root.append_attribute("columns") = 0;
    pugi::xml_node grid = root.append_child("grid");
    grid.append_attribute("orientation") = "orthogonal";
    grid.append_attribute("width") = 1;
    grid.append_attribute("height") = 1;
    for (std::size_t id = 0; id < images.size(); ++id) {
        pugi::xml_node tile = root.append_child("tile");
        tile.append_attribute("id") = int(id);
        pugi::xml_node image = tile.append_child("image");
        image.append_attribute("width") = images[id].width;
        image.append_attribute("height") = images[id].height;
        image.append_attribute("source") = images[id].source.c_str();
    }
    return Saved(document);
}

}  // namespace morvane
