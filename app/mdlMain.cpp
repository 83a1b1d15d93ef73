#include "mdlMain.h"

#include "PictureBox.h"
#include "frmMain.h"
#include "mdlRegion.h"

#include <QGuiApplication>
#include <QScreen>

namespace mdlMain {

frmMain *Main(const QString &animation, GifPrefetch *prefetch)
{
    auto *form = new frmMain(animation, prefetch);
    form->Form_Load();

    const QImage &skin = form->pic->picture();
    const mdlRegion::Colour key = mdlRegion::GetPixel(skin, 1, 1);
    const QRegion region = mdlRegion::MakeRegion(skin, key);
    form->setMask(region);
    // Where the window system takes the shape for input only, the skin must not paint outside
    // it either; the window's background is transparent there.
    form->pic->setMask(region.translated(-form->pic->pos()));

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        form->move(area.x() + (area.width() - form->width()) / 2,
                   area.y() + (area.height() - form->height()) / 2);
    }
    // The first activation runs just before the window maps rather than just after: an animation
    // named on the command line, its name and its frame total are then in the window's first
    // paint, instead of an empty deck that a second paint fills a moment later.
    form->Form_Activate();
    form->show();
    return form;
}

} // namespace mdlMain
