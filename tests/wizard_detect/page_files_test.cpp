// The files the wizard's pages read: the region page's phonebook (the deployed sample, the field
// rules of the access number lines, the texts stored for the chosen number), the node page's node
// list and the licence text.
#include "licence_text.h"
#include "phonebook_files.h"

#include "testenv.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::string writeFile(const std::string& dir, const char* name, const std::string& text) {
    const std::string path = dir + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return path;
}

TEST(Phonebook, TheDeployedSampleListsRegionsWithTheirNumbers) {
    const std::string dir = std::string(LUMORA_WIZARD_DEPLOY) + "/";
    CPhonebook book;
    ASSERT_TRUE(book.load((dir + "lumora.pbr").c_str(), (dir + "lumora.pbk").c_str()));
    ASSERT_EQ(book.regions().size(), 3u);
    EXPECT_EQ(book.regions()[0].code, "1");
    EXPECT_EQ(book.regions()[1].name, "S\xFC" "d");
    EXPECT_EQ(book.regions()[2].code, "3");
    const Region& south = book.regions()[1];
    ASSERT_EQ(south.numbers.size(), 2u);
    const std::string line = accessNumberListText(south.numbers[0]);
    EXPECT_EQ(line, "M\xFCnchen\t+49 (89) 19233003");
    std::string popName, popNumber;
    splitAccessNumberLine(line, popName, popNumber);
    EXPECT_EQ(popName, "M\xFCnchen");
    EXPECT_EQ(popNumber, "+49 (89) 19233003");
}

TEST(Phonebook, AccessNumberFieldsCountOnlyWithTheirCommaAndUnknownRegionsAreDropped) {
    const std::string dir = lumora_test::scratchDir();
    // Line feeds without carriage returns keep the names whole.
    const std::string regions = writeFile(dir, "t.pbr", "Kopf\nEins\nZwei\nDrei");
    const std::string numbers = writeFile(
        dir, "t.pbk",
        "1,49,2,Muenchen,89,123456,\r\n2,49,2,Augsburg,821,654321\r\n3,49,9,Nirgendwo,1,2,\r\n"
        "4,49,3,Berlin,30,111,extra,fields\r\n");
    CPhonebook book;
    ASSERT_TRUE(book.load(regions.c_str(), numbers.c_str()));
    ASSERT_EQ(book.regions().size(), 3u);
    EXPECT_EQ(book.regions()[0].name, "Eins");
    EXPECT_EQ(book.regions()[2].name, "Drei");
    const Region& two = book.regions()[1];
    ASSERT_EQ(two.numbers.size(), 2u);
    EXPECT_EQ(accessNumberText(two.numbers[0]), "+49 (89) 123456");
    EXPECT_EQ(two.numbers[0].city, "Muenchen");
    EXPECT_EQ(two.numbers[1].localNumber, "");  // no comma after it
    ASSERT_EQ(book.regions()[2].numbers.size(), 1u);
    EXPECT_EQ(book.regions()[2].numbers[0].localNumber, "111");
    EXPECT_TRUE(book.regions()[0].numbers.empty());

    CPhonebook missing;
    EXPECT_FALSE(missing.load(regions.c_str(), (dir + "fehlt.pbk").c_str()));
    EXPECT_TRUE(missing.regions().empty());
}

// The node page's node list file: names from the current folder only, read whole or not at all.
TEST(Phonebook, TheNodeListFileListsItsNamesInAColumnAndReadsOnlyPlainNamesOfTheCurrentFolder) {
    const std::string dir = lumora_test::scratchDir();
    const std::string lines = "Hamburg,Lumora,040 19233001\r\nK\xF6ln,Lumora,0221 19233005\n\n"
                              "Ein Knotenname mit mehr als 25 Zeichen,x\nNurName";
    writeFile(dir, "knoten.txt", lines);
    std::filesystem::create_directory(dir + "sub");
    writeFile(dir + "sub/", "knoten.txt", lines);
    writeFile(dir, "gross.txt", std::string(kNodeListFileLimit + 1, 'x'));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    const std::vector<std::string> texts = readNodeListFile("knoten.txt");
    std::vector<std::vector<std::string>> refused;
    for (const char* name : {"sub/knoten.txt", "sub\\knoten.txt", "../knoten.txt", "C:knoten.txt", "", "fehlt.txt",
                             "gross.txt"})
        refused.push_back(readNodeListFile(name));
    std::filesystem::current_path(before);

    EXPECT_EQ(texts, (std::vector<std::string>{"Hamburg                  \tLumora\t040 19233001",
                                               "K\xF6ln                     \tLumora\t0221 19233005",
                                               "Ein Knotenname mit mehr als 25 Zeichen\tx",
                                               "NurName                  \t"}));
    for (const auto& none : refused) EXPECT_TRUE(none.empty());
}

}  // namespace

namespace {

TEST(LicenceText, ALongLicenceIsReadWholeWithEditControlLineEnds) {
    const std::string dir = lumora_test::scratchDir();
    std::string licence, shown;
    for (int i = 0; i < 4000; ++i) {
        const std::string paragraph = "Paragraph " + std::to_string(i) + ": Nutzungsbedingungen";
        licence += paragraph + "\n";
        shown += paragraph + "\r\n";
    }
    licence += "Ende\r\n";
    shown += "Ende\r\n";
    const std::string path = writeFile(dir, "lizenz.txt", licence);
    std::string text;
    ASSERT_TRUE(readLicenceText(path.c_str(), text));
    EXPECT_GT(text.size(), 64u * 1024);
    EXPECT_TRUE(text == shown);
    EXPECT_FALSE(readLicenceText((dir + "fehlt.txt").c_str(), text));
    EXPECT_TRUE(text.empty());
}

}  // namespace
