#pragma once

// Time limits in tests. A sanitizer build runs several times slower than the
// build the limits are set for, and a busy machine slows everything: the
// limit scales by 6 under AddressSanitizer and by ORVANE_TEST_TIME_SCALE
// (a number, default 1) on top. The benchmarks carry the real figures.

#include <QByteArray>
#include <algorithm>
#include <cstdlib>

namespace orvane::testing {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr double kSanitizerSlowdown = 6;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr double kSanitizerSlowdown = 6;
#else
inline constexpr double kSanitizerSlowdown = 1;
#endif
#else
inline constexpr double kSanitizerSlowdown = 1;
#endif

inline double timeLimit(double ms)
{
    const QByteArray scale = qgetenv("ORVANE_TEST_TIME_SCALE");
    const double extra = scale.isEmpty() ? 1.0 : std::max(1.0, std::atof(scale.constData()));
    return ms * kSanitizerSlowdown * extra;
}

} // namespace orvane::testing
