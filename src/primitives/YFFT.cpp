#include "primitives/YFFT.h"

#include "foundation/YException.h"

#include <kiss_fftr.h>
#include <vector>

struct YFFT::Impl {
    kiss_fftr_cfg config = nullptr;
    std::vector<kiss_fft_cpx> bins;

    ~Impl() {
        if (config) kiss_fftr_free(config);
    }
};

YFFT::YFFT(int32_t size) : m_size(size), m_impl(std::make_unique<Impl>()) {
    if (size < 2 || size % 2 != 0) YRaise("FFT size must be even and at least 2.");
    m_impl->config = kiss_fftr_alloc(size, 1, nullptr, nullptr);
    if (!m_impl->config) YRaise("Out of memory.");
    m_impl->bins.resize(static_cast<size_t>(size / 2 + 1));
}

YFFT::~YFFT() = default;

void YFFT::InverseReal(const float* spectrum, float* out) noexcept {
    auto& bins = m_impl->bins;
    for (size_t k = 0; k < bins.size(); ++k) {
        bins[k].r = spectrum[2 * k];
        bins[k].i = spectrum[2 * k + 1];
    }
    kiss_fftri(m_impl->config, bins.data(), out);
}
