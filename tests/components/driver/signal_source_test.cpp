#include "components/driver/signal_source.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

SignalSpec parsed(const std::string& text) {
    SignalSpec s;
    std::string error;
    EXPECT_TRUE(parseSignalSpec(text, s, error)) << text << ": " << error;
    return s;
}

std::string parseError(const std::string& text) {
    SignalSpec s;
    std::string error;
    EXPECT_FALSE(parseSignalSpec(text, s, error)) << text;
    return error;
}

TEST(SignalSource, SineRampSquareAndConstantFollowTheirParameters) {
    SignalGenerator sine(parsed("sine amplitude=5 offset=1 period=8"));
    EXPECT_NEAR(sine.value(0.0), 1.0, 1e-12);
    EXPECT_NEAR(sine.value(2.0), 6.0, 1e-12);
    EXPECT_NEAR(sine.value(6.0), -4.0, 1e-12);
    SignalGenerator cosine(parsed("sine amplitude=1 period=4 phase=90"));
    EXPECT_NEAR(cosine.value(0.0), 1.0, 1e-12);

    SignalGenerator ramp(parsed("ramp low=0 high=10 period=20"));
    EXPECT_DOUBLE_EQ(ramp.value(5.0), 2.5);
    EXPECT_DOUBLE_EQ(ramp.value(25.0), 2.5);

    SignalGenerator square(parsed("square low=-1 high=3 period=4 duty=0.25"));
    EXPECT_DOUBLE_EQ(square.value(0.5), 3.0);
    EXPECT_DOUBLE_EQ(square.value(1.5), -1.0);
    EXPECT_DOUBLE_EQ(square.value(4.2), 3.0);

    SignalGenerator constant(parsed("constant value=-2.5"));
    EXPECT_DOUBLE_EQ(constant.value(123.0), -2.5);
}

TEST(SignalSource, RandomStaysInRangeAndRepeatsWithItsSeed) {
    SignalGenerator a(parsed("random low=2 high=3 seed=9"));
    SignalGenerator b(parsed("random low=2 high=3 seed=9"));
    SignalGenerator other(parsed("random low=2 high=3 seed=10"));
    bool differs = false;
    double first = a.value(0.0);
    EXPECT_EQ(first, b.value(0.0));
    differs |= first != other.value(0.0);
    for (int i = 0; i < 1000; ++i) {
        const double v = a.value(0.0);
        EXPECT_EQ(v, b.value(0.0));
        EXPECT_GE(v, 2.0);
        EXPECT_LT(v, 3.0);
        differs |= v != other.value(0.0);
    }
    EXPECT_TRUE(differs);
}

TEST(SignalSource, PlantNeedsItsOutputChannel) {
    const SignalSpec s = parsed("plant ao=1 gain=2 tau=5 dead=0.5 noise=0.01 seed=3");
    EXPECT_EQ(s.kind, SignalKind::Plant);
    EXPECT_EQ(s.aoChannel, 1);
    EXPECT_DOUBLE_EQ(s.plant.gain, 2.0);
    EXPECT_DOUBLE_EQ(s.plant.tau, 5.0);
    EXPECT_DOUBLE_EQ(s.plant.deadTime, 0.5);
    EXPECT_EQ(s.plant.seed, 3u);
    EXPECT_NE(parseError("plant gain=2").find("ao="), std::string::npos);
}

TEST(SignalSource, BadTextsNameTheirFault) {
    EXPECT_NE(parseError("triangle period=3").find("triangle"), std::string::npos);
    EXPECT_NE(parseError("").find("missing"), std::string::npos);
    EXPECT_NE(parseError("sine gain=3").find("gain"), std::string::npos);
    EXPECT_NE(parseError("sine period=0").find("period"), std::string::npos);
    EXPECT_NE(parseError("sine period=abc").find("number"), std::string::npos);
    EXPECT_NE(parseError("sine period=nan").find("number"), std::string::npos);
    EXPECT_NE(parseError("sine period=3 period=4").find("twice"), std::string::npos);
    EXPECT_NE(parseError("square duty=1.5").find("duty"), std::string::npos);
    EXPECT_NE(parseError("plant ao=40").find("0..31"), std::string::npos);
    EXPECT_NE(parseError("plant ao=0 tau=-1").find("time constant"), std::string::npos);
    EXPECT_NE(parseError("constant value=1 stray").find("stray"), std::string::npos);
}

TEST(SignalSource, FormattedSpecsParseBackToTheSameSignal) {
    for (const char* text :
         {"constant value=1.25", "sine amplitude=2 offset=-1 period=7 phase=30",
          "ramp low=-5 high=5 period=3", "square low=0 high=1 period=2 duty=0.75",
          "random low=-1 high=1 seed=77", "plant ao=3 gain=0.5 tau=12 dead=2 noise=0.1 seed=4"}) {
        const SignalSpec a = parsed(text);
        const SignalSpec b = parsed(formatSignalSpec(a));
        SignalGenerator ga(a), gb(b);
        for (double t : {0.0, 0.7, 3.3}) EXPECT_DOUBLE_EQ(ga.value(t), gb.value(t)) << text;
        EXPECT_EQ(formatSignalSpec(a), formatSignalSpec(b));
    }
}

}  // namespace
}  // namespace kestrune
