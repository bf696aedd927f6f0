// The program starts without the libraries that only sound and movies need: they
// are loaded when the first sound plays, so they cannot delay the first picture.
#include <gtest/gtest.h>

#include "TestSupport.h"

TEST(StartupWeight, TheProgramLoadsNeitherTheAudioLayerNorTheDecodersToStart) {
    // The dynamic loader names each library it loads.
    qputenv("LD_DEBUG", "libs");
    const ProgramRun run = RunVaro({QStringLiteral("--version")});
    qunsetenv("LD_DEBUG");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(run.err.contains("libQt6Core")) << "the loader reported nothing";
    EXPECT_FALSE(run.err.contains("libSDL2")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("libavcodec")) << run.err.toStdString();
}
