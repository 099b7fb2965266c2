#include "tracks/records/QelmTypesUnit.h"

#include <gtest/gtest.h>

TEST(VKAudioRecord, TheSiteNamesATrackByOwnerUnderscoreTrack)
{
    EXPECT_EQ(GetVKAudioFullID(5, 42), QStringLiteral("5_42"));
    EXPECT_EQ(GetVKAudioFullID(-5, 42), QStringLiteral("-5_42"));
}
