// Linear stretching of a run of samples over another length: the delay line keeps its audio
// across a change of length with it (so a new delay time glides instead of clicking), and
// the signal generator fits drawn or loaded shapes to its cycle.
#pragma once

#include <algorithm>
#include <cstdint>

namespace YAudioFilters {

namespace StretchDetail {

// The source read linearly at position j·ratio. Past kMax the left neighbour is held at kMax
// and the right one taken whole: float rounding must not reach beyond the run, nor in place
// samples already rewritten.
template <typename T> T Interpolate(const T* source, int32_t j, float ratio, int32_t kMax) {
    const float p = static_cast<float>(j) * ratio;
    int32_t k = static_cast<int32_t>(p);
    float f = p - static_cast<float>(k);
    if (k > kMax) {
        k = kMax;
        f = 1.0f;
    }
    return static_cast<T>((1.0f - f) * source[k] + f * source[k + 1]);
}

} // namespace StretchDetail

// Stretches the first oldLength samples of data over newLength samples in place, with
// linear interpolation at positions j·(oldLength − 1)/(newLength − 1). The first and the
// last sample are kept. data must hold max(oldLength, newLength) samples. Growing from
// 0 samples leaves the data alone, growing from 1 sample repeats it; shrinking to 1
// keeps the newest (last) sample.
template <typename T> void StretchInPlace(T* data, int32_t oldLength, int32_t newLength) {
    const int32_t L = oldLength;
    const int32_t n = newLength;
    if (data == nullptr || L < 0 || n < 1 || L == n) return;
    if (n == 1) {
        if (L >= 1) data[0] = data[L - 1];
        return;
    }
    if (L == 0) return;
    if (L == 1) {
        std::fill(data + 1, data + n, data[0]);
        return;
    }
    const float ratio = static_cast<float>(L - 1) / static_cast<float>(n - 1);
    if (L < n) {
        // Descending, so that every source is read before anything overwrites it:
        // the sources of j never lie beyond j.
        data[n - 1] = data[L - 1];
        for (int32_t j = n - 2; j >= 1; --j)
            data[j] = StretchDetail::Interpolate(data, j, ratio, std::min(L - 2, j - 1));
    } else {
        // Ascending: the sources of j never lie before j.
        for (int32_t j = 1; j <= n - 2; ++j) data[j] = StretchDetail::Interpolate(data, j, ratio, L - 2);
        data[n - 1] = data[L - 1];
    }
}

// The same resampling from one array into another (source and target must not overlap).
// An empty source fills the target with zeros.
template <typename T> void Stretch(const T* source, int32_t sourceLength, T* target, int32_t targetLength) {
    const int32_t L = sourceLength;
    const int32_t n = targetLength;
    if (target == nullptr || n < 1) return;
    if (source == nullptr || L < 1) {
        std::fill(target, target + n, T(0));
        return;
    }
    if (n == 1) {
        target[0] = source[L - 1];
        return;
    }
    if (L == 1) {
        std::fill(target, target + n, source[0]);
        return;
    }
    const float ratio = static_cast<float>(L - 1) / static_cast<float>(n - 1);
    target[0] = source[0];
    for (int32_t j = 1; j <= n - 2; ++j) target[j] = StretchDetail::Interpolate(source, j, ratio, L - 2);
    target[n - 1] = source[L - 1];
}

} // namespace YAudioFilters
