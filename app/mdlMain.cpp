#include "mdlMain.h"

#include "PictureBox.h"
#include "frmMain.h"
#include "mdlRegion.h"

#include <QGuiApplication>
#include <QScreen>

namespace mdlMain {

frmMain *Main()
{
    auto *form = new frmMain;
    form->Form_Load();

    const QImage &skin = form->pic->picture();
    const mdlRegion::Colour key = mdlRegion::GetPixel(skin, 1, 1);
    form->setMask(mdlRegion::MakeRegion(skin, key));
    form->pic->setTransparentColour(skin.pixel(1, 1));

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        form->move(area.x() + (area.width() - form->width()) / 2,
                   area.y() + (area.height() - form->height()) / 2);
    }
    form->show();
    form->Form_Activate();
    return form;
}

} // namespace mdlMain
