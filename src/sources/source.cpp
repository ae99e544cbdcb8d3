#include "sources/source.h"

#include "leveldata/level_failure.h"
#include "sources/source_detector.h"

namespace morvane {

std::optional<std::string> OpenSource(FileSystem& files, const std::string& path, OpenMode mode,
                                      Source& source) {
    FileStatus status;
    source.file = files.open(path, mode, status);
    if (!source.file) {
        return DescribeFileStatus(status);
    }
    source.kind = DetectSourceKind(*source.file);
    source.descriptor = DescriptorFor(source.kind);
    source.layout = LayoutFor(source.kind, source.descriptor.dataOffset);
    return std::nullopt;
}

std::optional<std::string> OpenKnownSource(FileSystem& files, const std::string& path,
                                           OpenMode mode, Source& source) {
    if (auto problem = OpenSource(files, path, mode, source)) {
        return problem;
    }
    if (!source.layout) {
        return std::string(kNotASource);
    }
    return std::nullopt;
}

std::optional<std::string> OpenBankSource(FileSystem& files, const std::string& path, OpenMode mode,
                                          Source& source) {
    if (auto problem = OpenKnownSource(files, path, mode, source)) {
        return problem;
    }
    if (!source.layout->hasBank) {
        return DescribeLevelFailure(LevelFailure{LevelError::NotABank});
    }
    return std::nullopt;
}

}  // namespace morvane
