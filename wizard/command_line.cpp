// Reading the wizard's options: "-p" takes the two characters three places after its start, "-f"
// the text from there to the next blank (none: the default stays).
#include "command_line.h"

#include "user_choice.h"

WizardOptions parseWizardCommandLine(const std::string& line) {
    WizardOptions options;
    const size_t page = line.find("-p");
    if (page != std::string::npos && page + 3 < line.size())
        options.m_StartPage = variableNumber(line.substr(page + 3, 2));
    const size_t file = line.find("-f");
    if (file != std::string::npos && file + 3 < line.size()) {
        const size_t blank = line.find(' ', file + 3);
        if (blank != std::string::npos && blank > file + 3)
            options.m_ConfigFile = line.substr(file + 3, blank - file - 3);
    }
    const bool noIe = line.find("-IE") != std::string::npos;
    const bool noNc = line.find("-NC") != std::string::npos;
    // Both together leave Internet Explorer handling on.
    options.m_IeHandling = !noIe || noNc;
    options.m_NcHandling = !noNc;
    options.m_NoConfigure = line.find("-NoConfigure") != std::string::npos;
    return options;
}
