// The "-importini" run's import of the update list.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "registry.h"
#include "test_names.h"
#include "update_versions.h"

TEST(VersionImport, EveryKeyOfTheUpdateSectionBecomesARecordedVersion) {
    std::string dir = lumora_test::scratchDir();
    std::string name = uniqueProgramName();
    std::ofstream(dir + "update.ini") << "[Other]\nignored=9\n"
                                         "[Update]\nlumora.exe=2.1\ndefhtml.dat=17\nconfig.dat=\n";
    EXPECT_EQ(importVersionNumbers(dir, name, "update.ini"), 3);
    std::string key = "Software\\" + name + "\\Updates";
    EXPECT_STREQ(regReadString(key.c_str(), "lumora.exe", "-"), "2.1");
    EXPECT_STREQ(regReadString(key.c_str(), "defhtml.dat", "-"), "17");
    EXPECT_STREQ(regReadString(key.c_str(), "config.dat", "-"), "");
    EXPECT_STREQ(regReadString(key.c_str(), "ignored", "-"), "-");

    EXPECT_EQ(importVersionNumbers(dir, uniqueProgramName(), "missing.ini"), 0);
}
