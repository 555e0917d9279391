#include "AudioFile.h"
#include "DemoSignal.h"
#include "support/ScratchFolder.h"
#include "VstPluginHost.h"

#include <cmath>
#include <gtest/gtest.h>

TEST(DemoSignalTest, IsTheSameOnEveryRunAndLoudWithoutClipping) {
    const AudioBuffer a = DemoSignal::Generate(48000.0, 1.25, 2);
    const AudioBuffer b = DemoSignal::Generate(48000.0, 1.25, 2);
    ASSERT_EQ(a.ChannelCount(), 2);
    EXPECT_EQ(a.Frames(), 60000);
    EXPECT_EQ(a.channels, b.channels);
    EXPECT_NE(a.channels[0], a.channels[1]); // stereo effects must have something to show
    for (const auto& channel : a.channels) {
        float peak = 0.0f;
        for (float sample : channel) peak = std::max(peak, std::fabs(sample));
        EXPECT_GT(peak, 0.3f);
        EXPECT_LT(peak, 1.0f);
        EXPECT_EQ(channel.front(), 0.0f); // faded in
    }
    EXPECT_EQ(DemoSignal::Generate(44100.0, 2.0, 1).Frames(), 88200);
}

TEST(AudioFileTest, FloatAndPcmRoundTripsKeepSamplesAndFormat) {
    ScratchFolder scratch;
    AudioBuffer buffer = DemoSignal::Generate(44100.0, 0.1, 2);
    buffer.channels[0][100] = 1.5f; // beyond full scale: PCM clips, float keeps it
    const std::pair<SampleFormat, float> cases[] = {
        {SampleFormat::Float32, 0.0f}, {SampleFormat::Pcm16, 1.0f / 32768}, {SampleFormat::Pcm24, 1.0f / 8388608}};
    for (const auto& [format, tolerance] : cases) {
        buffer.format = format;
        const std::string path = scratch.Path(std::string(SampleFormatName(format)) + ".wav");
        AudioFile::Write(path, buffer);
        const AudioBuffer back = AudioFile::Read(path);
        EXPECT_EQ(back.format, format);
        EXPECT_EQ(back.sampleRate, 44100.0);
        ASSERT_EQ(back.ChannelCount(), 2);
        ASSERT_EQ(back.Frames(), buffer.Frames());
        EXPECT_NEAR(back.channels[0][100], format == SampleFormat::Float32 ? 1.5f : 1.0f, 1e-4f);
        for (int c = 0; c < 2; ++c)
            for (int64_t i = 200; i < buffer.Frames(); i += 37)
                EXPECT_NEAR(back.channels[c][i], buffer.channels[c][i], tolerance) << SampleFormatName(format);
    }
}

TEST(AudioFileTest, UnreadableFilesNameThePath) {
    ScratchFolder scratch;
    const std::string path = scratch.Path("missing.wav");
    try {
        AudioFile::Read(path);
        FAIL() << "read a missing file";
    } catch (const HostError& error) {
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
    }
    SampleFormat format;
    EXPECT_FALSE(ParseSampleFormat("pcm8", format));
    ASSERT_TRUE(ParseSampleFormat("pcm32", format));
    EXPECT_EQ(format, SampleFormat::Pcm32);
}
