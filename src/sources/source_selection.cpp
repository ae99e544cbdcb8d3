#include "sources/source_selection.h"

#include <charconv>

#include "sources/source_descriptor.h"

namespace morvane {

std::optional<SourceKind> SourceSelection::kind() const {
    int value = 0;
    const char* const end = tag.data() + tag.size();
    const auto [stop, error] = std::from_chars(tag.data(), end, value);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return SourceKindFromValue(value);
}

std::optional<LevelLayout> SourceSelection::layout() const {
    const auto named = kind();
    if (!named) {
        return std::nullopt;
    }
    return LayoutFor(*named, dataOffset);
}

}  // namespace morvane
