#pragma once

#include <QRect>

// Where things lie on the skin, in skin pixels. Rectangles are (x, y, width, height).
struct DeckLayout
{
    // Upper panel.
    static constexpr QRect upperTitle{1, 1, 494, 17};
    static constexpr QRect upperBand{1, 18, 494, 16};
    static constexpr int upperBlackLine = 34;
    static constexpr QRect upperDisplay{6, 40, 484, 323};
    static constexpr QRect listBar{1, 363, 494, 24};
    static constexpr int seamTop = 387;
    static constexpr int seamBottom = 388;

    // Lower panel.
    static constexpr QRect lowerTitle{1, 389, 494, 16};
    static constexpr QRect lowerBand{1, 406, 494, 16};
    static constexpr int lowerBlackLine = 422;
    static constexpr QRect lowerBody{1, 423, 494, 125};
    static constexpr QRect lowerDisplay{8, 430, 441, 60};

    // Title strip buttons and emblems.
    static constexpr QRect upperEmblem{6, 3, 10, 10};
    static constexpr QRect upperFold{468, 3, 10, 10};
    static constexpr QRect upperClose{480, 3, 10, 10};
    static constexpr QRect lowerEmblem{6, 393, 10, 10};
    static constexpr QRect lowerMinimise{456, 393, 10, 10};
    static constexpr QRect lowerFold{468, 393, 10, 7};
    static constexpr QRect lowerClose{480, 393, 10, 7};

    // List buttons.
    static constexpr QRect addButton{6, 366, 40, 19};
    static constexpr QRect removeButton{51, 366, 37, 19};
    static constexpr QRect selectButton{96, 369, 31, 16};
    static constexpr QRect miscButton{132, 369, 40, 13};

    // Switches beside the lower display, with the sockets of their indicator dots.
    static constexpr QRect repeatSwitch{456, 444, 19, 16};
    static constexpr QRect listSwitch{456, 468, 19, 16};
    static constexpr QRect soundSwitch{456, 525, 19, 16};
    static constexpr QRect repeatSocket{481, 449, 5, 5};
    static constexpr QRect listSocket{481, 472, 5, 5};
    static constexpr QRect soundSocket{481, 529, 5, 5};

    // Progress groove and capsule cluster.
    static constexpr int progressLine = 502;
    static constexpr int progressLeft = 10;
    static constexpr int progressRight = 396;
    static constexpr QRect capsuleCluster{409, 497, 76, 15};
    static constexpr QRect ejectButton{411, 498, 16, 13};
    static constexpr QRect listViewButton{435, 498, 22, 13};
    static constexpr QRect loopMenuButton{462, 495, 23, 17};

    // Transport buttons.
    static constexpr QRect previousButton{8, 517, 23, 23};
    static constexpr QRect playButton{36, 517, 25, 25};
    static constexpr QRect pauseButton{67, 517, 23, 25};
    static constexpr QRect stopButton{95, 516, 27, 26};
    static constexpr QRect nextButton{127, 516, 22, 24};

    // Sound row.
    static constexpr QRect loudspeaker{165, 528, 13, 13};
    static constexpr int soundLineTop = 538;
    static constexpr int soundLineBottom = 539;
    static constexpr int soundLeft = 185;
    static constexpr int soundRight = 444;

    // Knobs at their places at rest.
    static constexpr QRect progressKnob{9, 500, 17, 9};
    static constexpr QRect soundKnob{186, 534, 17, 10};
};
