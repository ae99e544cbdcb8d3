#include "cli/json_text.h"

#include "cli/text_escaping.h"

namespace morvane {

namespace {

// nlohmann-json writes numbers, true, false and null. Containers are spaced here, which its
// dump does not offer on one line, and strings are written by JsonString: the bytes of a
// restore point's description need not be UTF-8, which dump refuses, and JsonString escapes
// every control character as \u00XX where dump writes \t or leaves DEL and C1 controls as
// they are.
void AppendJson(const JsonValue& value, std::string& text) {
    if (value.is_object() || value.is_array()) {
        text += value.is_object() ? '{' : '[';
        for (auto item = value.begin(); item != value.end(); ++item) {
            if (item != value.begin()) {
                text += ", ";
            }
            if (value.is_object()) {
                text += JsonString(item.key()) + ": ";
            }
            AppendJson(item.value(), text);
        }
        text += value.is_object() ? '}' : ']';
    } else if (value.is_string()) {
        text += JsonString(value.get_ref<const std::string&>());
    } else {
        text += value.dump();
    }
}

}  // namespace

std::string JsonText(const JsonValue& value) {
    std::string text;
    AppendJson(value, text);
    return text;
}

}  // namespace morvane
