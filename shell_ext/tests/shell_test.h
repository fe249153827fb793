#pragma once
// The common ground of the handler tests: an apartment thread, the library loaded from its
// test folder with the development engine beside it (its control file and call record
// cleared), no statistics data file or settings key, and a folder for the test's files.
#include "shell_server.h"
#include "statistics_file.h"
#include "test_folder.h"
#include "tests/engine/test_engine.h"

#include <gtest/gtest.h>

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(server.Loaded()) << "cannot load the library";
        test_engine::Reset(server.Folder());
    }
    void TearDown() override
    {
        test_engine::Reset(server.Folder());
        CoUninitialize();
    }
    void SetEngine(const test_engine::Behaviour& behaviour) const
    {
        ASSERT_TRUE(test_engine::SetBehaviour(server.Folder(), behaviour));
    }

    ScopedStatisticsState statistics;  // a handler's store writes its data file
    TestFolder folder;
    ShellServer server;
};
