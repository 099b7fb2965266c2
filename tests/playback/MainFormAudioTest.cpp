#include "app/globals/TGlobalObjectsUnit.h"
#include "foundation/BaseTypesUnit.h"
#include "playback/AudioLibraryUnit.h"
#include "playback/AudioTestSupport.h"

#include <gtest/gtest.h>

TEST(GlobalObjectsAudio, NoOutputStopsTheStartWithItsMessage)
{
    TAudioSinkOverride sink("nosuchsink");
    try {
        TGlobalObjects globals;
        ADD_FAILURE() << "no output, no start";
    } catch (const Exception &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Can't initialize device"));
    }
}

TEST(GlobalObjectsAudio, TheOwnerBringsTheOutputUpAndDown)
{
    {
        TGlobalObjects globals;
        EXPECT_NE(AudioLibrary::StreamCreateFile(AudioFixture("tone1s.mp3")), 0u);
    }
    EXPECT_EQ(AudioLibrary::StreamCreateFile(AudioFixture("tone1s.mp3")), 0u) << "released with the owner";
}
