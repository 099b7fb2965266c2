#pragma once

#include "ui/StyleResourceUnit.h"

#include <gtest/gtest.h>

// The style is installed once per test program, as the program does at start.
class TStyledTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static bool installed = false;
        if (!installed)
            InstallStyle();
        installed = true;
    }
};
