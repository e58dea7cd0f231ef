// CheckVersion against the codes of what is loaded.
#include "korvid/link/check_version_codes.h"

#include <gtest/gtest.h>

using namespace korvid;

TEST(CheckVersionCodes, ComparesWithTheLoadedCodes)
{
    VersionBlock v = VersionBlock::make(0x1234, 0x5678);
    reset_codes();
    EXPECT_FALSE(CheckVersion(v)); // nothing loaded: a coded receiver is not matched
    g_BuyerCode = 0x1234;
    g_ModelCode = 0x5678;
    EXPECT_TRUE(CheckVersion(v));
    g_ModelCode = 0x5679;
    EXPECT_FALSE(CheckVersion(v));
    EXPECT_TRUE(CheckVersion(VersionBlock::make(0xFFFF, 0xFFFF)));
    reset_codes();
}
