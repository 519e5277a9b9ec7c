// The program's paths.
#include <gtest/gtest.h>

#include <string>

#include "app_paths.h"
#include "testenv.h"
#include "text.h"

TEST(AppPaths, NameAndFolderComeFromTheLowerCasedPath) {
    AppPaths paths = AppPaths::fromPath("C:\\Programme\\Lumora\\LUMORA.EXE");
    EXPECT_EQ(paths.fullPath, "c:\\programme\\lumora\\lumora.exe");
    EXPECT_EQ(paths.fileName, "lumora.exe");
    EXPECT_EQ(paths.programName, "lumora");
    EXPECT_EQ(paths.installDir, "c:\\programme\\lumora\\");

    AppPaths bare = AppPaths::fromPath("/opt/Lumora/lumora");
    EXPECT_EQ(bare.fileName, "lumora");
    EXPECT_EQ(bare.programName, "lumora");
    EXPECT_EQ(bare.installDir, "/opt/lumora/");
}

TEST(AppPaths, OfTheRunningProgram) {
    AppPaths paths = AppPaths::ofModule();
    EXPECT_EQ(paths.programName, "common_tests");
    std::string expected = lowerText(lumora_test::binaryDir());
    EXPECT_EQ(paths.installDir, expected);
    EXPECT_EQ(paths.fullPath, paths.installDir + paths.fileName);
}
