#pragma once

#include <stdexcept>

// A number read from a sound reply lies outside the signed 32-bit range. The only error that
// the sound operations let out; callers that poll the sound catch it and go on.
class SoundOverflowError : public std::overflow_error
{
public:
    SoundOverflowError() : std::overflow_error("sound reply number outside 32 bits") {}
};
