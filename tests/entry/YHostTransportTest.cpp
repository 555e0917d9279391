#include "entry/YHostTransport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

YHostTransportReading Playing(double position) {
    YHostTransportReading r;
    r.PositionValid = true;
    r.SongPosition = position;
    r.TempoValid = true;
    r.Tempo = 120.0;
    r.Playing = true;
    return r;
}

} // namespace

TEST(HostTransport, PlaybackMovesInStepsAndARelocationIsAJump) {
    struct Step {
        double position;
        bool playing;
        uint8_t expectPlaying, expectJumped, expectChanged;
    };
    // Starts stopped at 0.
    const Step steps[] = {
        {0.5, true, 1, 0, 1},   // starts
        {2.5, true, 1, 0, 0},   // exactly the largest step still plays
        {10.5, true, 1, 1, 0},  // 8 quarter notes on: a jump; playing keeps its value
        {11.0, true, 1, 0, 0},  // from the new place on it plays
        {11.0, false, 0, 0, 1}, // stops
        {30.0, true, 0, 1, 0},  // starts far away: a jump, still not playing
        {30.5, true, 1, 0, 1},
    };
    YHostTransport transport;
    YProcessingContext sync;
    for (const Step& s : steps) {
        SCOPED_TRACE(s.position);
        YHostTransportReading r = Playing(s.position);
        r.Playing = s.playing;
        transport.Read(r, sync);
        EXPECT_EQ(sync.TimeInfoValid, 1);
        EXPECT_EQ(sync.SongPosition, s.position);
        EXPECT_EQ(sync.Playing, s.expectPlaying);
        EXPECT_EQ(sync.PositionJumped, s.expectJumped);
        EXPECT_EQ(sync.PlayingChanged, s.expectChanged);
    }
}

TEST(HostTransport, TheBarStartSitsOnTheTimeSignaturesGrid) {
    struct Case {
        int32_t denominator;
        double hostBarStart, expected;
    };
    const Case cases[] = {
        {4, 3.49, 3.0},   {4, 3.5, 4.0},  // quarters: half rounds up
        {8, 3.24, 3.0},   {8, 3.26, 3.5}, // eighths: on halves of a quarter
        {16, 3.13, 3.25}, {2, 3.6, 4.0},  // below a quarter the grid stays one quarter
        {0, 1.5, 2.0},
    };
    for (const Case& c : cases) {
        YHostTransportReading r;
        r.TimeSignatureValid = true;
        r.TimeSignatureNumerator = 6;
        r.TimeSignatureDenominator = c.denominator;
        r.BarStartValid = true;
        r.BarStart = c.hostBarStart;
        YProcessingContext sync;
        YHostTransport::ReadTimeline(r, sync);
        EXPECT_EQ(sync.BarStart, c.expected) << c.denominator << " " << c.hostBarStart;
        EXPECT_EQ(sync.TimeSignatureNumerator, 6);
    }
}

TEST(HostTransport, WhatTheHostDoesNotGiveOrGivesAsNonsenseStaysAsItWas) {
    YProcessingContext sync;
    sync.SongPosition = 4.0;
    sync.Tempo = 90.0;
    sync.BarStart = 4.0;
    sync.CycleStart = 1.0;
    sync.CycleEnd = 2.0;
    sync.PositionJumped = 1;
    YHostTransport transport;

    YHostTransportReading r; // nothing valid
    r.SongPosition = 100.0;
    r.Tempo = 300.0;
    r.BarStart = 100.0;
    r.CycleStart = 5.0;
    r.CycleEnd = 6.0;
    transport.Read(r, sync);
    EXPECT_EQ(sync.SongPosition, 4.0);
    EXPECT_EQ(sync.Tempo, 90.0);
    EXPECT_EQ(sync.BarStart, 4.0);
    EXPECT_EQ(sync.CycleStart, 1.0);
    EXPECT_EQ(sync.PositionJumped, 0);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    r = Playing(nan);
    r.Tempo = std::numeric_limits<double>::infinity();
    r.BarStartValid = true;
    r.BarStart = nan;
    r.CycleValid = true;
    r.CycleStart = nan;
    r.CycleEnd = 8.0;
    transport.Read(r, sync);
    EXPECT_EQ(sync.SongPosition, 4.0);
    EXPECT_EQ(sync.Tempo, 90.0);
    EXPECT_EQ(sync.BarStart, 4.0);
    EXPECT_EQ(sync.CycleStart, -1.0);
    EXPECT_EQ(sync.CycleEnd, -1.0);
    EXPECT_EQ(sync.PositionJumped, 1) << "the last position taken was 0, the one kept is 4";
    EXPECT_EQ(transport.LastSongPosition(), 4.0);
}

TEST(HostTransport, AnEmptyLoopIsNone) {
    struct Case {
        double start, end, expectStart, expectEnd;
    };
    const Case cases[] = {{4.0, 8.0, 4.0, 8.0}, {4.0, 4.0, -1.0, -1.0}, {8.0, 4.0, -1.0, -1.0}};
    for (const Case& c : cases) {
        YHostTransportReading r;
        r.CycleValid = true;
        r.CycleStart = c.start;
        r.CycleEnd = c.end;
        YProcessingContext sync;
        YHostTransport transport;
        transport.Read(r, sync);
        EXPECT_EQ(sync.CycleStart, c.expectStart);
        EXPECT_EQ(sync.CycleEnd, c.expectEnd);
    }
}
