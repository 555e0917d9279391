// The transport record the processing frame hands the effect with every block.
#pragma once

#include <cstdint>

struct YProcessingContext {
    // Beats per minute; negative while the host gives none.
    double Tempo = -1.0;
    // Song position in quarter notes; negative while the host gives none.
    double SongPosition = -1.0;
    // Position of the current bar's start in quarter notes.
    double BarStart = 0.0;
    int32_t TimeSignatureNumerator = 4;
    int32_t TimeSignatureDenominator = 4;
    // Loop range in quarter notes; both -1 while no loop is active.
    double CycleStart = -1.0;
    double CycleEnd = -1.0;
    double SampleRate = 0.0;
    uint8_t Playing = 0;
    uint8_t PositionJumped = 0;
    uint8_t PlayingChanged = 0;
    uint8_t TimeInfoValid = 0;
};
