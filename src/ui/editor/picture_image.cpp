#include "ui/editor/picture_image.h"

namespace morvane {

QImage ToQImage(const Picture& picture, QImage::Format format) {
    if (picture.isNull()) {
        return QImage();
    }
    return QImage(reinterpret_cast<const uchar*>(picture.row(0)), picture.width(), picture.height(),
                  picture.width() * int(sizeof(std::uint32_t)), format)
        .copy();
}

}  // namespace morvane
