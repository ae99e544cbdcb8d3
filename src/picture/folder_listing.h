#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace morvane {

// Finds entries of a folder by name apart from letter case ("GIF", "0.GIF"), as folders copied
// from Windows spell them. The folder is read once and read again only when its modification
// time changes (an entry added, removed or renamed), so that looking up the 64 tile pictures
// of a level in a folder of thousands of other files costs one read, not one per cell.
class FolderListing {
public:
    // The path of folder's entry named name apart from letter case, preferring the exact name,
    // then the first in byte order; a folder when directories is set, else a regular file.
    // Empty when there is none.
    std::string find(const std::filesystem::path& folder, const std::string& name,
                     bool directories);

private:
    struct Listing {
        std::filesystem::file_time_type modified;
        // By lower-case name: the first folder and the first file of that name in byte order.
        std::map<std::string, std::string> folders;
        std::map<std::string, std::string> files;
    };

    std::map<std::string, Listing> m_listings;
};

}  // namespace morvane
