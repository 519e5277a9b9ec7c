// Which pages the wizard shows and where it starts: the pages in the order of their numbers in the
// configuration, the omissions on Windows 2000, and the resume rule after a restart.
#pragma once

#include "config_block.h"
#include "user_choice.h"

#include <vector>

enum class PageId {
    Option, Licence, Prufe, Gerat, GeratFaul, Ort, Knoten, Member,
    UserData, Browser, Progress, Reboot, Product, Contract, Welcome, Region,
};

// The page class's name, as the trace shows it ("CPrufeStp").
const char* pageClassName(PageId page);

// The sheet's pages. Blocks before version 10 have no order numbers and show all sixteen pages
// in a fixed order; later ones show, for each number from 1 to 99, the first page of a fixed list
// with that number (with the pages that travel with it).
std::vector<PageId> pageSequence(const ConfigBlock& block, bool windows2000);

// The start page index after the resume rule: on Windows NT (or when "OS" is "NT") a start at the
// device choice page's place becomes a start at the device list page's, with manual device
// selection recorded in `choice` and written to the variables file.
int resumeStartPage(int startPage, bool windowsNt, const std::string& os, const CPageRecords& pages,
                    CUserChoice& choice);
