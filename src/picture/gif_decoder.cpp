#include "picture/gif_decoder.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace morvane {

namespace {

constexpr std::uint32_t kTransparent = 0x00000000;
constexpr std::uint32_t kOpaque = 0xFF000000;
constexpr std::uint32_t kWhite = 0xFFFFFFFF;

// giflib reads through this: the bytes and how far it has read.
struct Input {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

int ReadInput(GifFileType* gif, GifByteType* buffer, int length) {
    auto& input = *static_cast<Input*>(gif->UserData);
    const std::size_t count =
        std::min(std::size_t(std::max(length, 0)), input.bytes.size() - input.position);
    std::memcpy(buffer, input.bytes.data() + input.position, count);
    input.position += count;
    return int(count);
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int status = 0;
        DGifCloseFile(gif, &status);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

GifError ErrorOf(int status) {
    switch (status) {
        case D_GIF_ERR_NOT_GIF_FILE:
            return GifError::NotAGif;
        // giflib reports a descriptor it could not read whole as missing.
        case D_GIF_ERR_READ_FAILED:
        case D_GIF_ERR_EOF_TOO_SOON:
        case D_GIF_ERR_NO_SCRN_DSCR:
        case D_GIF_ERR_NO_IMAG_DSCR:
            return GifError::EndsEarly;
        default:
            return GifError::Damaged;
    }
}

// Skips extension blocks up to the first image descriptor, keeping the transparent colour of
// the last graphic control extension (NO_TRANSPARENT_COLOR when there is none).
std::optional<GifError> FindFirstFrame(GifFileType& gif, int& transparent) {
    transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(&gif, &record) == GIF_ERROR) {
            return ErrorOf(gif.Error);
        }
        if (record == IMAGE_DESC_RECORD_TYPE) {
            return std::nullopt;
        }
        if (record != EXTENSION_RECORD_TYPE) {
            return record == TERMINATE_RECORD_TYPE ? GifError::NoPicture : GifError::Damaged;
        }
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(&gif, &code, &block) == GIF_ERROR) {
            return ErrorOf(gif.Error);
        }
        GraphicsControlBlock control;
        // block[0] is the block's length; a control block must be exactly 4 bytes.
        if (code == GRAPHICS_EXT_FUNC_CODE && block &&
            DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
            transparent = control.TransparentColor;
        }
        while (block) {
            if (DGifGetExtensionNext(&gif, &block) == GIF_ERROR) {
                return ErrorOf(gif.Error);
            }
        }
    }
}

// The frame's palette indices in row order. Interlaced frames store rows in four passes:
// every eighth row from 0, every eighth from 4, every fourth from 2, every second from 1.
std::optional<GifError> ReadIndices(GifFileType& gif, std::vector<GifPixelType>& indices) {
    const GifImageDesc& frame = gif.Image;
    indices.assign(std::size_t(frame.Width) * std::size_t(frame.Height), 0);
    constexpr std::array<int, 4> kPassStart = {0, 4, 2, 1};
    constexpr std::array<int, 4> kPassStep = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = frame.Interlace ? kPassStart[std::size_t(pass)] : 0;
        const int step = frame.Interlace ? kPassStep[std::size_t(pass)] : 1;
        for (int y = start; y < frame.Height; y += step) {
            if (DGifGetLine(&gif, indices.data() + std::size_t(y) * std::size_t(frame.Width),
                            frame.Width) == GIF_ERROR) {
                return ErrorOf(gif.Error);
            }
        }
    }
    return std::nullopt;
}

}  // namespace

GifResult DecodeGif(std::span<const std::uint8_t> bytes) {
    Input input{bytes};
    int status = 0;
    const GifHandle gif(DGifOpen(&input, ReadInput, &status));
    if (!gif) {
        return ErrorOf(status);
    }
    int transparent = NO_TRANSPARENT_COLOR;
    if (auto error = FindFirstFrame(*gif, transparent)) {
        return *error;
    }
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
        return ErrorOf(gif->Error);
    }
    const GifImageDesc& frame = gif->Image;
    // A screen size of 0 means the screen is as large as the frame reaches.
    const int screenWidth = gif->SWidth > 0 ? gif->SWidth : frame.Left + frame.Width;
    const int screenHeight = gif->SHeight > 0 ? gif->SHeight : frame.Top + frame.Height;
    if (frame.Width <= 0 || frame.Height <= 0) {
        return GifError::EmptyPicture;
    }
    if (screenWidth > kMaxGifSide || screenHeight > kMaxGifSide || frame.Width > kMaxGifSide ||
        frame.Height > kMaxGifSide) {
        return GifError::TooLarge;
    }
    if (frame.Left + frame.Width > screenWidth || frame.Top + frame.Height > screenHeight) {
        return GifError::FrameOutsideScreen;
    }
    const ColorMapObject* colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!colours) {
        return GifError::NoColourTable;
    }
    std::vector<GifPixelType> indices;
    if (auto error = ReadIndices(*gif, indices)) {
        return *error;
    }

    const bool hasTransparency = transparent != NO_TRANSPARENT_COLOR;
    const auto colourOf = [&](int index) {
        if (index == transparent) {
            return kTransparent;
        }
        if (index >= colours->ColorCount) {
            return hasTransparency ? kTransparent : kWhite;
        }
        const GifColorType& c = colours->Colors[index];
        return kOpaque | std::uint32_t(c.Red) << 16 | std::uint32_t(c.Green) << 8 | c.Blue;
    };
    // What shows around a frame smaller than its screen. The background colour is an index
    // into the file's own colour table, looked up in the table the frame uses.
    std::uint32_t around = kOpaque;
    if (hasTransparency) {
        around = kTransparent;
    } else if (gif->SColorMap) {
        around = colourOf(gif->SBackGroundColor);
    }
    Picture picture(screenWidth, screenHeight, around);
    for (int y = 0; y < frame.Height; ++y) {
        std::uint32_t* row = picture.row(frame.Top + y) + frame.Left;
        const GifPixelType* source = indices.data() + std::size_t(y) * std::size_t(frame.Width);
        for (int x = 0; x < frame.Width; ++x) {
            row[x] = colourOf(source[x]);
        }
    }
    return picture;
}

}  // namespace morvane
