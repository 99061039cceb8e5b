#include "rate_search.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int MaxSteps = 8;

} // namespace

LossFreeRate searchLossFreeRate(const std::function<RateTrial(double rate)> &trial, double startRate,
                                int bisections)
{
    LossFreeRate result;
    double low = 0;    // asked for, lossless
    double high = 0;   // asked for, lossy
    const auto run = [&](double rate) {
        const RateTrial t = trial(rate);
        ++result.trials;
        if (t.lossless) {
            low = std::max(low, rate);
            result.rate = std::max(result.rate, t.achievedRate);
        } else {
            high = high > 0 ? std::min(high, rate) : rate;
        }
        return t;
    };

    // Up by doubling from a lossless start, or down by halving from a lossy one.
    const bool startLossless = run(startRate).lossless;
    for (int step = 1; step <= MaxSteps; ++step) {
        if (startLossless && high > 0)
            break;
        if (!startLossless && low > 0)
            break;
        const double rate = startLossless ? low * 2 : high / 2;
        const RateTrial t = run(rate);
        // The sender could not go as fast as asked: asking for more tests nothing.
        if (t.lossless && t.achievedRate < 0.9 * rate) {
            result.senderLimited = true;
            return result;
        }
    }
    for (int i = 0; i < bisections && low > 0 && high > 0; ++i)
        run(std::sqrt(low * high));
    return result;
}
