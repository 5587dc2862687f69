#pragma once
// Fixture of every filter kit test: COM for the test's duration, and no kit object left
// alive once the test's own members are gone (this destructor runs after theirs).
#include <gtest/gtest.h>

#include "components/filterkit/LiveObjects.h"
#include "framework/Handles.h"

namespace components_test {

class KitTest : public ::testing::Test {
protected:
    ~KitTest() override { EXPECT_EQ(filterkit::LiveObjects(), 0) << "kit objects outlived the test"; }
    ScopedCoInitialize m_com;
};

}  // namespace components_test
