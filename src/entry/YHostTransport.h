// YHostTransport: turns what a host reports of its transport (VST 2.4 time information or a
// VST 3 process context, read into one neutral record) into the plug-in's processing context,
// with the rules both adapters share: the bar start on the time signature's grid, an empty
// loop as none, and a song position that moves too far while playing as a jump.
#pragma once

#include "core/YProcessingContext.h"

#include <cstdint>

// What the host said this block. Fields whose flag is false were not given.
struct YHostTransportReading {
    bool PositionValid = false;
    double SongPosition = 0.0; // quarter notes
    bool TempoValid = false;
    double Tempo = 0.0; // beats per minute
    bool TimeSignatureValid = false;
    int32_t TimeSignatureNumerator = 4;
    int32_t TimeSignatureDenominator = 4;
    bool BarStartValid = false;
    double BarStart = 0.0; // quarter notes
    // False leaves the loop as it was (a VST 3 host without an active loop says nothing of it).
    bool CycleValid = false;
    double CycleStart = 0.0;
    double CycleEnd = 0.0;
    bool Playing = false;
};

class YHostTransport {
public:
    // A song position that moves further than this many quarter notes between two playing
    // blocks is a relocation, not playback.
    static constexpr double kMaxPlayingStep = 2.0;

    // Tempo, song position, time signature and bar start (non-finite numbers are ignored);
    // marks the time information valid and clears the jump flag.
    static void ReadTimeline(const YHostTransportReading& reading, YProcessingContext& sync) noexcept;
    // The timeline, then the loop and the playing state with jump detection.
    void Read(const YHostTransportReading& reading, YProcessingContext& sync) noexcept;

    double LastSongPosition() const noexcept { return m_lastSongPosition; }

private:
    double m_lastSongPosition = 0.0;
};
