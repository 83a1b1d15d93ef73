#pragma once

#include <QString>

// The short note left in the animation name's tooltip when a GIF file does not load.
class OpenFailureNote
{
public:
    // Why `path` did not load as an animation, judged from the file itself.
    static QString forAnimation(const QString &path);
};
