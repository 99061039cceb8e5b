#pragma once

#include <functional>

// The highest sending rate at which a receiver loses nothing of a burst:
// doubling from a start rate until the first loss, then bisecting between
// the last lossless and the first lossy rate.
struct RateTrial
{
    bool lossless = false;
    double achievedRate = 0;   // what the sender managed, per second
};

struct LossFreeRate
{
    double rate = 0;            // the best lossless achieved rate, per second
    bool senderLimited = false; // lossless even at the sender's top speed
    int trials = 0;
};

LossFreeRate searchLossFreeRate(const std::function<RateTrial(double rate)> &trial, double startRate,
                                int bisections);
