// The fake AVI that the Windows programs carry as a resource.
#include <gtest/gtest.h>

#include "jobs/fakeavi_win32.h"
#include "jobs/job_scripts.h"

using namespace mb;

TEST(LoadFakeAviResource, HoldsTheBytesOfTheLayout) {
    const std::string resource = LoadFakeAviResource();
    ASSERT_EQ(resource.size(), 3072u);
    EXPECT_TRUE(resource == FakeAviBytes());
}
