#pragma once

#include <QRect>

// Where things lie on the skin, in skin pixels. Rectangles are (x, y, width, height). The
// painter draws each element at its place here, and the window puts its controls on them.
namespace SkinLayout {

// Upper panel.
inline constexpr QRect upperTitle{1, 1, 494, 17};
inline constexpr QRect upperBand{1, 18, 494, 16};
inline constexpr int upperBlackLine = 34;
inline constexpr QRect upperDisplay{6, 40, 484, 323};
inline constexpr QRect listBar{1, 363, 494, 24};
inline constexpr int seamTop = 387;
inline constexpr int seamBottom = 388;

// Lower panel.
inline constexpr QRect lowerTitle{1, 389, 494, 16};
inline constexpr QRect lowerBand{1, 406, 494, 16};
inline constexpr int lowerBlackLine = 422;
inline constexpr QRect lowerBody{1, 423, 494, 125};
inline constexpr QRect lowerDisplay{8, 430, 441, 60};

// Title strip buttons and emblems.
inline constexpr QRect upperEmblem{6, 3, 10, 10};
inline constexpr QRect upperFold{468, 3, 10, 10};
inline constexpr QRect upperClose{480, 3, 10, 10};
inline constexpr QRect lowerEmblem{6, 393, 10, 10};
inline constexpr QRect lowerMinimise{456, 393, 10, 10};
inline constexpr QRect lowerFold{468, 393, 10, 7};
inline constexpr QRect lowerClose{480, 393, 10, 7};

// List buttons.
inline constexpr QRect addButton{6, 366, 40, 19};
inline constexpr QRect removeButton{51, 366, 37, 19};
inline constexpr QRect selectButton{96, 369, 31, 16};
inline constexpr QRect miscButton{132, 369, 40, 13};

// Switches beside the lower display, with the sockets of their indicator dots.
inline constexpr QRect repeatSwitch{456, 444, 19, 16};
inline constexpr QRect listSwitch{456, 468, 19, 16};
inline constexpr QRect soundSwitch{456, 525, 19, 16};
inline constexpr QRect repeatSocket{481, 449, 5, 5};
inline constexpr QRect listSocket{481, 472, 5, 5};
inline constexpr QRect soundSocket{481, 529, 5, 5};

// Progress groove and capsule cluster.
inline constexpr int progressLine = 502;
inline constexpr int progressLeft = 10;
inline constexpr int progressRight = 396;
inline constexpr QRect capsuleCluster{409, 497, 76, 15};
inline constexpr QRect ejectButton{411, 498, 16, 13};
inline constexpr QRect listViewButton{435, 498, 22, 13};
inline constexpr QRect loopMenuButton{462, 495, 23, 17};

// Transport buttons.
inline constexpr QRect previousButton{8, 517, 23, 23};
inline constexpr QRect playButton{36, 517, 25, 25};
inline constexpr QRect pauseButton{67, 517, 23, 25};
inline constexpr QRect stopButton{95, 516, 27, 26};
inline constexpr QRect nextButton{127, 516, 22, 24};

// Sound row.
inline constexpr QRect loudspeaker{165, 528, 13, 13};
inline constexpr int soundLineTop = 538;
inline constexpr int soundLineBottom = 539;
inline constexpr int soundLeft = 185;
inline constexpr int soundRight = 444;

// Knobs at their places at rest.
inline constexpr QRect progressKnob{9, 500, 17, 9};
inline constexpr QRect soundKnob{186, 534, 17, 10};

// Counters and captions over the lower display, where it shows nothing but its dot pattern.
inline constexpr QRect frameTotal{24, 441, 25, 19};
inline constexpr QRect frameColon{39, 438, 25, 19};
inline constexpr QRect frameShown{54, 441, 25, 19};
inline constexpr QRect framesCaption{84, 444, 76, 16};
inline constexpr QRect passesChosen{165, 441, 25, 19};
inline constexpr QRect passColon{180, 438, 25, 19};
inline constexpr QRect passShown{195, 441, 25, 19};
inline constexpr QRect passesCaption{222, 444, 76, 16};
inline constexpr QRect soundName{309, 441, 136, 16};
inline constexpr QRect animationName{316, 456, 127, 16};

} // namespace SkinLayout
