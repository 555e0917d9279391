// YFFT: inverse real FFT of a fixed even size. The only code that talks to the FFT library.
#pragma once

#include <cstdint>
#include <memory>

class YFFT {
public:
    // size must be even and at least 2; raises otherwise. Allocates all working memory here,
    // so InverseReal never allocates.
    explicit YFFT(int32_t size);
    ~YFFT();
    YFFT(const YFFT&) = delete;
    YFFT& operator=(const YFFT&) = delete;

    int32_t Size() const noexcept { return m_size; }

    // spectrum: bins 0 ... Size()/2 as interleaved (real, imaginary) pairs, Size() + 2 floats.
    // out: Size() samples, x[n] = Re X[0] + Re X[N/2]·(−1)^n + 2·Σ_{0<k<N/2} Re(X[k]·e^{2πikn/N}).
    // Unscaled (no 1/N); the imaginary parts of bins 0 and N/2 do not contribute.
    void InverseReal(const float* spectrum, float* out) noexcept;

private:
    struct Impl;
    int32_t m_size;
    std::unique_ptr<Impl> m_impl;
};
