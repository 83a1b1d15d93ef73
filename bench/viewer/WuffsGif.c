#define WUFFS_IMPLEMENTATION
#define WUFFS_CONFIG__MODULES
#define WUFFS_CONFIG__MODULE__BASE
#define WUFFS_CONFIG__MODULE__GIF
#include "WuffsGif.h"

#include "wuffs-v0.4.c"

#include <stdlib.h>
#include <string.h>

static int start(wuffs_gif__decoder *dec, wuffs_base__image_config *config,
                 wuffs_base__io_buffer *src, const uint8_t *data, size_t size)
{
    wuffs_base__status status =
        wuffs_gif__decoder__initialize(dec, sizeof__wuffs_gif__decoder(), WUFFS_VERSION, 0);
    if (!wuffs_base__status__is_ok(&status))
        return 0;
    *src = wuffs_base__ptr_u8__reader((uint8_t *)data, size, true);
    status = wuffs_gif__decoder__decode_image_config(dec, config, src);
    return wuffs_base__status__is_ok(&status);
}

int wuffs_gif_canvas_size(const uint8_t *data, size_t size, uint32_t *width, uint32_t *height)
{
    wuffs_gif__decoder *dec = wuffs_gif__decoder__alloc();
    wuffs_base__image_config config;
    wuffs_base__io_buffer src;
    const int ok = dec && start(dec, &config, &src, data, size);
    if (ok) {
        *width = wuffs_base__pixel_config__width(&config.pixcfg);
        *height = wuffs_base__pixel_config__height(&config.pixcfg);
    }
    free(dec);
    return ok;
}

static void fill_rect(uint8_t *canvas, uint32_t stride, wuffs_base__rect_ie_u32 r,
                      const uint8_t *from)
{
    for (uint32_t y = r.min_incl_y; y < r.max_excl_y; ++y) {
        uint8_t *row = canvas + (size_t)y * stride + (size_t)r.min_incl_x * 4;
        const size_t bytes = (size_t)(r.max_excl_x - r.min_incl_x) * 4;
        if (from)
            memcpy(row, from + (size_t)y * stride + (size_t)r.min_incl_x * 4, bytes);
        else
            memset(row, 0, bytes);
    }
}

int64_t wuffs_gif_play(const uint8_t *data, size_t size, uint8_t *canvas,
                       void (*shown)(void *context, int64_t frame), void *context)
{
    wuffs_gif__decoder *dec = wuffs_gif__decoder__alloc();
    wuffs_base__image_config config;
    wuffs_base__io_buffer src;
    if (!dec || !start(dec, &config, &src, data, size)) {
        free(dec);
        return -1;
    }
    const uint32_t width = wuffs_base__pixel_config__width(&config.pixcfg);
    const uint32_t height = wuffs_base__pixel_config__height(&config.pixcfg);
    const size_t bytes = (size_t)width * height * 4;
    wuffs_base__pixel_config__set(&config.pixcfg, WUFFS_BASE__PIXEL_FORMAT__BGRA_PREMUL,
                                  WUFFS_BASE__PIXEL_SUBSAMPLING__NONE, width, height);
    wuffs_base__pixel_buffer pixels;
    wuffs_base__pixel_buffer__set_from_slice(&pixels, &config.pixcfg,
                                             wuffs_base__make_slice_u8(canvas, bytes));
    const size_t workLength = (size_t)wuffs_gif__decoder__workbuf_len(dec).max_incl;
    uint8_t *work = malloc(workLength ? workLength : 1);
    uint8_t *saved = NULL;
    memset(canvas, 0, bytes);
    int64_t frames = 0;
    wuffs_base__frame_config previous;
    for (;; ++frames) {
        wuffs_base__frame_config frame;
        wuffs_base__status status = wuffs_gif__decoder__decode_frame_config(dec, &frame, &src);
        if (!wuffs_base__status__is_ok(&status))
            break;
        if (frames > 0) {
            const wuffs_base__rect_ie_u32 r = wuffs_base__frame_config__bounds(&previous);
            switch (wuffs_base__frame_config__disposal(&previous)) {
            case WUFFS_BASE__ANIMATION_DISPOSAL__RESTORE_BACKGROUND:
                fill_rect(canvas, width * 4, r, NULL);
                break;
            case WUFFS_BASE__ANIMATION_DISPOSAL__RESTORE_PREVIOUS:
                fill_rect(canvas, width * 4, r, saved);
                break;
            }
        }
        if (wuffs_base__frame_config__disposal(&frame) ==
            WUFFS_BASE__ANIMATION_DISPOSAL__RESTORE_PREVIOUS) {
            if (!saved)
                saved = malloc(bytes);
            if (saved)
                memcpy(saved, canvas, bytes);
        }
        status = wuffs_gif__decoder__decode_frame(
            dec, &pixels, &src,
            wuffs_base__frame_config__overwrite_instead_of_blend(&frame)
                ? WUFFS_BASE__PIXEL_BLEND__SRC
                : WUFFS_BASE__PIXEL_BLEND__SRC_OVER,
            wuffs_base__make_slice_u8(work, workLength), NULL);
        previous = frame;
        if (shown)
            shown(context, frames);
        if (!wuffs_base__status__is_ok(&status)) {
            ++frames;
            break;
        }
    }
    free(saved);
    free(work);
    free(dec);
    return frames;
}
