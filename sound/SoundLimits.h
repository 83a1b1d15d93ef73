#pragma once

// Bounds that keep hostile or broken sound files from reaching the audio path.
class SoundLimits
{
public:
    static constexpr int minRate = 1000;
    static constexpr int maxRate = 384000;
    static constexpr int maxChannels = 64;
    // Larger MIDI files are refused rather than parsed.
    static constexpr long long maxMidiBytes = 32LL * 1024 * 1024;

    static bool acceptable(int rate, int channels)
    {
        return rate >= minRate && rate <= maxRate && channels >= 1 && channels <= maxChannels;
    }
};
