#pragma once

#include "AniGIF.h"
#include "AnimationViewer.h"
#include "PlayList.h"
#include "TransportButtons.h"

#include <QAction>
#include <QTreeWidget>
#include <utility>

// Makes the viewer and the transport buttons over the window's controls and connects them: the
// display's frame changes, the list's double click, the pass-count menu's entries, the clicks of
// the eject, repeat and play-list buttons, and the presses and releases of the transport
// buttons. `Button` is the window's image control, which reports clicked(), mousePressed() and
// mouseReleased(); buttons left out are not connected.
class ViewerWiring
{
public:
    template <class Button> struct Buttons
    {
        Button *eject = nullptr, *repeat = nullptr, *playList = nullptr;
        Button *stop = nullptr, *play = nullptr, *next = nullptr, *previous = nullptr,
               *pause = nullptr;
    };

    struct Made
    {
        AnimationViewer *viewer = nullptr;
        TransportButtons *transport = nullptr;
    };

    template <class Button>
    static Made make(const AnimationViewer::Controls &controls, const Buttons<Button> &buttons,
                     QObject *parent)
    {
        auto *viewer = new AnimationViewer(controls, parent);
        auto *transport = new TransportButtons(
            {controls.display, controls.im1, controls.lb2, buttons.stop, buttons.play, buttons.next,
             buttons.previous, buttons.pause, [viewer] { viewer->frameChanged(); }},
            parent);

        QObject::connect(controls.display, &AniGIF::FrameChanged, viewer,
                         &AnimationViewer::frameChanged);
        if (QTreeWidget *list = controls.playList ? controls.playList->view() : nullptr)
            QObject::connect(list, &QTreeWidget::itemDoubleClicked, viewer,
                             &AnimationViewer::showClickedRow);
        const std::pair<Button *, void (AnimationViewer::*)()> clicks[] = {
            {buttons.eject, &AnimationViewer::chooseAnimation},
            {buttons.repeat, &AnimationViewer::toggleRepeat},
            {buttons.playList, &AnimationViewer::togglePlayList},
        };
        for (const auto &[button, handler] : clicks)
            if (button)
                QObject::connect(button, &Button::clicked, viewer, handler);
        for (int i = 0; i < int(controls.q1.size()); ++i)
            if (controls.q1[size_t(i)])
                QObject::connect(controls.q1[size_t(i)], &QAction::triggered, viewer,
                                 [viewer, i] { viewer->choosePasses(i); });

        using Handler = void (TransportButtons::*)();
        const std::pair<Button *, std::pair<Handler, Handler>> presses[] = {
            {buttons.stop, {&TransportButtons::stopPressed, &TransportButtons::stopReleased}},
            {buttons.play, {&TransportButtons::playPressed, &TransportButtons::playReleased}},
            {buttons.next, {&TransportButtons::nextPressed, &TransportButtons::nextReleased}},
            {buttons.previous,
             {&TransportButtons::previousPressed, &TransportButtons::previousReleased}},
            {buttons.pause, {&TransportButtons::pausePressed, &TransportButtons::pauseReleased}},
        };
        for (const auto &[button, handlers] : presses) {
            if (!button)
                continue;
            QObject::connect(button, &Button::mousePressed, transport, handlers.first);
            QObject::connect(button, &Button::mouseReleased, transport, handlers.second);
        }
        return {viewer, transport};
    }
};
