// The updater's command line: options are found by their first occurrence anywhere, values are
// at most 255 characters, modes and identifiers are decimal.
#include "update_command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string option(const std::string& commandLine, const char* name) {
    char value[kOptionSize];
    getOption(commandLine.c_str(), name, value);
    return value;
}

TEST(UpdateCommandLine, OptionsInAnyOrder) {
    UpdateCommandLine options;
    options.read("TnUpdate.exe -i\"12\" -l\"C:\\Lumora\\skins\\blue.dat\" -x\"1\" "
                 "-r\"http://update.example/skins/blue.dat\" -e\"END\" -f\"FAIL\" -s\"START\"");
    EXPECT_STREQ(options.remote, "http://update.example/skins/blue.dat");
    EXPECT_STREQ(options.local, "C:\\Lumora\\skins\\blue.dat");
    EXPECT_STREQ(options.startMessage, "START");
    EXPECT_STREQ(options.endMessage, "END");
    EXPECT_STREQ(options.failMessage, "FAIL");
    EXPECT_EQ(options.identifierNumber(), 12u);
    EXPECT_EQ(options.modeNumber(), 1);
}

TEST(UpdateCommandLine, OptionInsideAnEarlierValueIsTakenFromThere) {
    // "-l" first occurs inside the URL: its value is the text between the next two quotes, which
    // are the URL's closing quote and the real -l option's opening quote.
    const std::string line = "TnUpdate.exe -r\"http://h/dl-latest/a.dat\" -l\"C:\\a.dat\"";
    EXPECT_EQ(option(line, "-l"), " -l");
    EXPECT_EQ(option(line, "-r"), "http://h/dl-latest/a.dat");
}

TEST(UpdateCommandLine, MissingOptionsAndQuotesGiveEmptyValues) {
    EXPECT_EQ(option("TnUpdate.exe -r\"x\"", "-l"), "");
    EXPECT_EQ(option("TnUpdate.exe -l", "-l"), "");
    EXPECT_EQ(option("TnUpdate.exe -l\"unterminated", "-l"), "");
    EXPECT_EQ(option("TnUpdate.exe -l\"\"", "-l"), "");
    UpdateCommandLine options;
    options.read("TnUpdate.exe -x\"\"");
    EXPECT_EQ(options.modeNumber(), 0);
    options.read("TnUpdate.exe -x\"4\"");
    EXPECT_EQ(options.modeNumber(), 4);
}

TEST(UpdateCommandLine, ValuesOfAtMost255Characters) {
    const std::string longest(255, 'a');
    EXPECT_EQ(option("TnUpdate.exe -l\"" + longest + "\"", "-l"), longest);
    EXPECT_EQ(option("TnUpdate.exe -l\"" + longest + "b\"", "-l"), "");
}

}  // namespace
