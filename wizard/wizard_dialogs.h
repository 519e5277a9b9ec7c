// The wizard's dialog templates: the preparation window, the cancel question and the pages, each
// page with the side picture in frame 1010 on the left and its texts to the right. The texts come
// from the configuration when a page is shown.
#pragma once

#include "dialog_template.h"

// Controls shared by the pages.
inline constexpr int IDC_SIDE_BITMAP = 1010;
inline constexpr int IDC_PAGE_TITLE = 1100;
// The page's further texts, labels and choices take the ids from 1101 on, in the order of the
// configuration's fields; inputs have their own below.
inline constexpr int IDC_PAGE_TEXT = 1101;
inline constexpr int IDC_PROGRESS = 1050;
inline constexpr int IDC_CHOICE1 = 1201;  // radio buttons and check boxes 1201, 1202, ...
inline constexpr int IDC_LIST = 1300;
inline constexpr int IDC_EDIT1 = 1401;    // edit fields 1401, 1402, ...
inline constexpr int IDC_BUTTON1 = 1501;  // page push buttons

// The preparation window: a text and a bar of 0 to 20.
inline constexpr int IDD_PREPARE = 136;
inline constexpr int IDC_PREPARE_TEXT = 1000;
inline constexpr int IDC_PREPARE_BAR = 1001;
// The cancel question: the text, Back and Cancel.
inline constexpr int IDD_CANCEL = 129;
inline constexpr int IDC_CANCEL_TEXT = 1052;
inline constexpr int IDC_CANCEL_BACK = 1009;
inline constexpr int IDC_CANCEL_ICON = 1054;

const ui::DialogTemplate& prepareTemplate();
const ui::DialogTemplate& cancelTemplate();

// A page of `resourceId` with its title, `texts` static texts and the page's own inputs.
struct PageLayout {
    int texts = 1;
    int radios = 0;
    int checks = 0;
    bool list = false;
    bool listView = false;
    int edits = 0;
    bool passwordEdit = false;
    bool progress = false;
    int buttons = 0;
    bool dropDown = false;
};
ui::DialogTemplate pageTemplate(int resourceId, const PageLayout& layout);
// The location page: each question with its input beside its label, the dialling choice below.
inline constexpr int IDC_LOCATION_LABEL1 = 1110;  // labels 1110, 1111, 1112
ui::DialogTemplate locationTemplate(int resourceId, int editLimit);
// The region page: its instruction, the region choice beside its label, the access number list
// under its label.
inline constexpr int IDC_REGION_NUMBERS = IDC_LIST + 1;
ui::DialogTemplate regionTemplate(int resourceId);
