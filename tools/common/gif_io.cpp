// Animated GIF pictures through giflib's encoder (no hand-made LZW coding).
#include "tools/common/gif_io.h"

#include <gif_lib.h>

#include <cstdio>
#include <cstring>

struct GifWriter {
    GifFileType* file;
    std::FILE* stream;  // the file giflib writes through
    uint32_t width;
    uint32_t height;
    bool failed;  // a write failed: the file is incomplete
};

namespace {

std::string GifReason(int code) {
    const char* text = GifErrorString(code);
    return text ? text : "GIF error " + std::to_string(code);
}

// giflib's own file opening makes files only their owner can read; the
// stream opened here gets the usual permissions.
int WriteToStream(GifFileType* file, const GifByteType* bytes, int length) {
    return static_cast<int>(std::fwrite(bytes, 1, static_cast<size_t>(length), static_cast<std::FILE*>(file->UserData)));
}

// The loop extension: "NETSCAPE2.0" with a repeat count of 0 (for ever).
int PutLoopExtension(GifFileType* file) {
    static const unsigned char kName[] = "NETSCAPE2.0";
    static const unsigned char kRepeat[] = {1, 0, 0};
    return EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
           EGifPutExtensionBlock(file, 11, kName) == GIF_OK && EGifPutExtensionBlock(file, 3, kRepeat) == GIF_OK &&
           EGifPutExtensionTrailer(file) == GIF_OK;
}

int Fail(GifWriter* gif, std::string* error, const std::string& what) {
    gif->failed = true;
    *error = what;
    return 0;
}

}  // namespace

GifWriter* OpenGif(const std::string& path, uint32_t width, uint32_t height, const uint8_t rgb[768],
                   std::string* error) {
    if (width < 1 || height < 1 || width > 65535 || height > 65535) {
        *error = "picture size outside 1..65535 pixels";
        return nullptr;
    }
    std::FILE* stream = std::fopen(path.c_str(), "wb");
    if (!stream) {
        *error = "cannot create the file";
        return nullptr;
    }
    int code = 0;
    GifFileType* file = EGifOpen(stream, WriteToStream, &code);
    if (!file) {
        std::fclose(stream);
        *error = "cannot start the file (" + GifReason(code) + ")";
        return nullptr;
    }
    ColorMapObject* colors = GifMakeMapObject(256, nullptr);
    if (!colors) {
        EGifCloseFile(file, &code);
        std::fclose(stream);
        *error = "out of memory";
        return nullptr;
    }
    for (int i = 0; i < 256; i++) colors->Colors[i] = GifColorType{rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
    // Frames with a delay, transparency and the loop extension need GIF89a.
    EGifSetGifVersion(file, true);
    bool ok = EGifPutScreenDesc(file, static_cast<int>(width), static_cast<int>(height), 8, 0, colors) == GIF_OK &&
              PutLoopExtension(file);
    GifFreeMapObject(colors);
    if (!ok) {
        *error = "cannot write the file (" + GifReason(file->Error) + ")";
        EGifCloseFile(file, &code);
        std::fclose(stream);
        return nullptr;
    }
    return new GifWriter{file, stream, width, height, false};
}

int AddGifFrame(GifWriter* gif, uint32_t left, uint32_t top, uint32_t width, uint32_t height,
                const uint8_t* pixels, int transparent, uint32_t delay, std::string* error) {
    if (gif->failed) return Fail(gif, error, "an earlier frame failed");
    if (width < 1 || height < 1 || left > gif->width || top > gif->height || width > gif->width - left ||
        height > gif->height - top || delay > kLongestGifDelay)
        return Fail(gif, error, "frame outside the picture");
    GraphicsControlBlock control;
    control.DisposalMode = DISPOSE_BACKGROUND;
    control.UserInputFlag = false;
    control.DelayTime = static_cast<int>(delay);
    control.TransparentColor = transparent >= 0 && transparent < 256 ? transparent : NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    size_t length = EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif->file, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) != GIF_OK ||
        EGifPutImageDesc(gif->file, static_cast<int>(left), static_cast<int>(top), static_cast<int>(width),
                         static_cast<int>(height), false, nullptr) != GIF_OK)
        return Fail(gif, error, "cannot write a frame (" + GifReason(gif->file->Error) + ")");
    for (uint32_t y = 0; y < height; y++) {
        // giflib takes non-const rows but only reads them.
        GifPixelType* row = const_cast<GifPixelType*>(pixels + static_cast<size_t>(y) * width);
        if (EGifPutLine(gif->file, row, static_cast<int>(width)) != GIF_OK)
            return Fail(gif, error, "cannot write a frame (" + GifReason(gif->file->Error) + ")");
    }
    return 1;
}

int CloseGif(GifWriter* gif, std::string* error) {
    if (!gif) return 1;
    int code = 0;
    bool closed = EGifCloseFile(gif->file, &code) == GIF_OK;
    closed = std::fclose(gif->stream) == 0 && closed;
    bool ok = closed && !gif->failed;
    if (!closed && !gif->failed) *error = "cannot finish the file";
    delete gif;
    return ok ? 1 : 0;
}
