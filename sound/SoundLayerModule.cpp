// Entry point of the loadable sound module: the whole media-command layer, with the sound
// libraries it needs, behind one C function.
#include "MediaLayer.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT MediaCommandTarget *qx_create_media_layer()
{
    return new MediaLayer;
}
