// Wuffs' GIF decoder, for the engine benchmark only: composes every frame of a GIF in memory
// onto one BGRA premultiplied canvas, as Wuffs' own example player does (the canvas starts
// transparent; disposal 2 clears the frame's rectangle, disposal 3 puts back what was under it).
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// The canvas size, or 0 when Wuffs refuses the file.
int wuffs_gif_canvas_size(const uint8_t *data, size_t size, uint32_t *width, uint32_t *height);

// Decodes every frame onto `canvas` (width * height * 4 bytes), calling `shown` (when not
// null) after each frame with its number. Returns the frames decoded, -1 on an error before
// the first.
int64_t wuffs_gif_play(const uint8_t *data, size_t size, uint8_t *canvas,
                       void (*shown)(void *context, int64_t frame), void *context);

#ifdef __cplusplus
}
#endif
