#include "HostOptions.h"

#include <gtest/gtest.h>

namespace {
HostOptions Parse(std::vector<std::string> arguments) { return HostOptionsParser::Parse(arguments); }
} // namespace

TEST(HostOptionsTest, ReadsEveryOptionInBothSpellings) {
    const HostOptions options =
        Parse({"--set", "Feedback=50", "--set-norm=Mode=0.5", "-l", "--out=o.wav", "-i", "in.wav", "--block", "64",
               "--rate", "44100", "--tempo=90", "--tail", "1.5", "--format", "pcm24", "--load-state", "a.bin",
               "--save-state=b.bin", "-q", "plugin.so", "--demo-seconds", "2", "--demo-channels", "1"});
    EXPECT_EQ(options.plugin, "plugin.so");
    ASSERT_EQ(options.assignments.size(), 2u);
    EXPECT_EQ(options.assignments[0].parameter, "Feedback");
    EXPECT_EQ(options.assignments[0].value, "50");
    EXPECT_FALSE(options.assignments[0].normalised);
    EXPECT_EQ(options.assignments[1].parameter, "Mode");
    EXPECT_EQ(options.assignments[1].value, "0.5");
    EXPECT_TRUE(options.assignments[1].normalised);
    EXPECT_TRUE(options.list);
    EXPECT_TRUE(options.quiet);
    EXPECT_EQ(options.output, "o.wav");
    EXPECT_EQ(options.input, "in.wav");
    EXPECT_EQ(options.blockSize, 64);
    EXPECT_EQ(options.sampleRate, 44100.0);
    EXPECT_EQ(options.tempo, 90.0);
    EXPECT_EQ(options.tailSeconds, 1.5);
    EXPECT_EQ(options.format, SampleFormat::Pcm24);
    EXPECT_EQ(options.loadState, "a.bin");
    EXPECT_EQ(options.saveState, "b.bin");
    EXPECT_EQ(options.demoSeconds, 2.0);
    EXPECT_EQ(options.demoChannels, 1);
}

TEST(HostOptionsTest, DefaultsAndHelpWithoutPlugin) {
    const HostOptions options = Parse({"plugin.so"});
    EXPECT_EQ(options.blockSize, 512);
    EXPECT_EQ(options.tempo, 120.0);
    EXPECT_FALSE(options.sampleRate);
    EXPECT_FALSE(options.format);
    EXPECT_TRUE(options.output.empty());
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_NE(HostOptionsParser::Usage().find("--set NAME=TEXT"), std::string::npos);
}

TEST(HostOptionsTest, RejectsWrongCommandLinesWithAReason) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, "No plug-in"},
        {{"a.so", "b.so"}, "One plug-in only"},
        {{"a.so", "--frobnicate"}, "Unknown option --frobnicate"},
        {{"a.so", "--block"}, "--block needs a value"},
        {{"a.so", "--block", "0"}, "--block expects a number"},
        {{"a.so", "--block", "12.5"}, "whole number"},
        {{"a.so", "--rate", "fast"}, "--rate expects a number"},
        {{"a.so", "--set", "Feedback"}, "NAME=VALUE"},
        {{"a.so", "--set", "=5"}, "NAME=VALUE"},
        {{"a.so", "--set-norm", "Gain=1.5"}, "--set-norm expects a number from 0"},
        {{"a.so", "--format", "mp3"}, "--format expects float"},
        {{"a.so", "--list=yes"}, "takes no value"},
        {{"a.so", "--in", "x.wav"}, "--in needs --out"},
    };
    for (const auto& [arguments, reason] : cases) {
        try {
            Parse(arguments);
            ADD_FAILURE() << "accepted: " << (arguments.empty() ? "" : arguments.back());
        } catch (const UsageError& error) {
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
        }
    }
}
