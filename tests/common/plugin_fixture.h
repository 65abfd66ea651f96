// A freshly loaded plugin, as after library load, with its INI file beside the test program.
#pragma once
#include <gtest/gtest.h>
#include <string>

class PluginTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    static void DeleteOwnFiles();
    std::string ini;
};
