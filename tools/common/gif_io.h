// Animated GIF pictures for the authoring tools, written frame by frame with giflib.
#pragma once

#include <cstdint>
#include <string>

// An animated GIF being written; frames go to the file as they are added.
struct GifWriter;

// The longest delay one GIF frame can hold, in hundredths of a second.
constexpr uint32_t kLongestGifDelay = 65535;

// Starts an animated GIF of width × height pixels (1 to 65535 each way) that
// plays once through and then repeats. `rgb` holds the 256 colours of the
// file's one colour table as red, green, blue. Returns the writer (the caller
// ends it with CloseGif), or nullptr with *error set.
GifWriter* OpenGif(const std::string& path, uint32_t width, uint32_t height, const uint8_t rgb[768],
                   std::string* error);

// Adds a frame: `pixels` holds width × height colour indices, top row first,
// placed at left, top of the picture (the frame must lie inside it). Pixels of
// index `transparent` are not drawn (-1: every pixel is drawn). The frame is
// shown for `delay` hundredths of a second (at most kLongestGifDelay); then
// its area is cleared, so each frame shows exactly its own pixels. Returns 1,
// or 0 with *error set; after a failure only CloseGif is useful.
int AddGifFrame(GifWriter* gif, uint32_t left, uint32_t top, uint32_t width, uint32_t height,
                const uint8_t* pixels, int transparent, uint32_t delay, std::string* error);

// Ends the file and frees the writer (nullptr is ignored). Returns 1 when
// every frame and the end were written, or 0 with *error set (the file is
// then incomplete and left as it is: the path may name something that is not
// ours to delete).
int CloseGif(GifWriter* gif, std::string* error);
