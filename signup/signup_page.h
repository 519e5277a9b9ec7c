// The local signup start page gets the provider's signup address extension before it opens:
// the value assigned between its "SignupURL" markers is replaced by the stored extension.
#pragma once

#include <string>

// The page text with the assignment between the markers replaced, or empty when the page has
// not both markers with an "=" between them.
std::string patchedSignupText(const std::string& page, const std::string& extension);

// Patches the page file with the setting "SignupUrlExtension" under "Software\<program name>";
// the page is left as it is when the setting is missing or the markers are not there.
void patchSignupHtml(const std::string& htmlPath, const std::string& programName);
