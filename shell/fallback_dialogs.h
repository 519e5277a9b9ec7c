// The plain dialogs the browser center shows when its pages cannot be shown: the four pages of
// the dial sheet, the dial progress, the question before hanging up and the two signup results.
// Their controls are addressed by these identifiers.
#pragma once

#include "dialog_template.h"

// Page 0: new or existing customer.
inline constexpr int IDD_DIAL_PAGE0 = 136;
inline constexpr int IDC_NEW_CUSTOMER = 1020;
inline constexpr int IDC_EXISTING_CUSTOMER = 1021;

// Page 1: the account. Page 2: dialling only (a new customer). Both have IDOK ("&Verbinden"),
// IDC_OPTIONS and IDCANCEL.
inline constexpr int IDD_DIAL_PAGE1 = 134;
inline constexpr int IDD_DIAL_PAGE1B = 138;
inline constexpr int IDC_USER_NAME = 1022;
inline constexpr int IDC_PASSWORD = 1018;
inline constexpr int IDC_SAVE_PASSWORD = 1016;
inline constexpr int IDC_OPTIONS = 1021;

// Page 3: the dialling location and the device.
inline constexpr int IDD_DIAL_PAGE2 = 135;
inline constexpr int IDC_COUNTRY = 1018;
inline constexpr int IDC_AREA_CODE = 1017;
inline constexpr int IDC_OUTSIDE_ACCESS = 1019;
inline constexpr int IDC_DEVICE = 1020;
inline constexpr int IDC_CONFIG_OK = 1024;
inline constexpr int IDC_CONFIG_CANCEL = 1025;

inline constexpr int IDD_DIAL_PROGRESS = 139;
inline constexpr int IDC_DIAL_STATUS = 1023;

inline constexpr int IDD_HANG_UP_QUESTION = 140;
inline constexpr int IDD_SIGNUP_SUCCESS = 141;
inline constexpr int IDD_SIGNUP_FAILURE = 142;

extern const ui::DialogTemplate kDialPage0;
extern const ui::DialogTemplate kDialPage1;
extern const ui::DialogTemplate kDialPage1b;
extern const ui::DialogTemplate kDialPage2;
extern const ui::DialogTemplate kDialProgress;
extern const ui::DialogTemplate kHangUpQuestion;
extern const ui::DialogTemplate kSignupSuccess;
extern const ui::DialogTemplate kSignupFailure;
