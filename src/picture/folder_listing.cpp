#include "picture/folder_listing.h"

#include <algorithm>
#include <cctype>

namespace morvane {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// Keeps the first name in byte order for each lower-case name.
void Keep(std::map<std::string, std::string>& names, const std::string& name) {
    auto [at, added] = names.emplace(Lower(name), name);
    if (!added && name < at->second) {
        at->second = name;
    }
}

}  // namespace

std::string FolderListing::find(const fs::path& folder, const std::string& name, bool directories) {
    std::error_code error;
    if (fs::exists(folder / name, error)) {
        return (folder / name).string();
    }
    const auto modified = fs::last_write_time(folder, error);
    if (error) {
        return {};
    }
    const auto known = m_listings.find(folder.string());
    if (known == m_listings.end() || known->second.modified != modified) {
        Listing listing{modified, {}, {}};
        for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator();
             it.increment(error)) {
            std::error_code typeError;
            if (it->is_directory(typeError)) {
                Keep(listing.folders, it->path().filename().string());
            } else if (it->is_regular_file(typeError)) {
                Keep(listing.files, it->path().filename().string());
            }
        }
        m_listings[folder.string()] = std::move(listing);
    }
    const Listing& listing = m_listings[folder.string()];
    const auto& names = directories ? listing.folders : listing.files;
    const auto found = names.find(Lower(name));
    return found == names.end() ? std::string() : (folder / found->second).string();
}

}  // namespace morvane
