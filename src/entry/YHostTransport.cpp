#include "entry/YHostTransport.h"

#include <algorithm>
#include <cmath>

void YHostTransport::ReadTimeline(const YHostTransportReading& reading, YProcessingContext& sync) noexcept {
    sync.TimeInfoValid = 1;
    sync.PositionJumped = 0;
    if (reading.PositionValid && std::isfinite(reading.SongPosition))
        sync.SongPosition = reading.SongPosition;
    if (reading.TempoValid && std::isfinite(reading.Tempo)) sync.Tempo = reading.Tempo;
    if (reading.TimeSignatureValid) {
        sync.TimeSignatureNumerator = reading.TimeSignatureNumerator;
        sync.TimeSignatureDenominator = reading.TimeSignatureDenominator;
    }
    if (reading.BarStartValid && std::isfinite(reading.BarStart)) {
        // On the grid of the time signature's unit (eighths: halves of a quarter).
        const int32_t unitsPerQuarter = std::max(sync.TimeSignatureDenominator / 4, 1);
        sync.BarStart = std::floor(unitsPerQuarter * reading.BarStart + 0.5) / unitsPerQuarter;
    }
}

void YHostTransport::Read(const YHostTransportReading& reading, YProcessingContext& sync) noexcept {
    ReadTimeline(reading, sync);
    if (reading.CycleValid) {
        if (!std::isfinite(reading.CycleStart) || !std::isfinite(reading.CycleEnd) ||
            reading.CycleEnd - 1e-20 <= reading.CycleStart) {
            sync.CycleStart = -1.0;
            sync.CycleEnd = -1.0;
        } else {
            sync.CycleStart = reading.CycleStart;
            sync.CycleEnd = reading.CycleEnd;
        }
    }
    const uint8_t wasPlaying = sync.Playing;
    if (reading.Playing) {
        // The position as taken above: a block without one compares the last one taken.
        if (std::fabs(sync.SongPosition - m_lastSongPosition) <= kMaxPlayingStep)
            sync.Playing = 1;
        else
            sync.PositionJumped = 1;
        m_lastSongPosition = sync.SongPosition;
    } else {
        sync.Playing = 0;
    }
    sync.PlayingChanged = sync.Playing != wasPlaying ? 1 : 0;
}
