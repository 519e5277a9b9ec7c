// The dialog templates of the plain-dialog fallback. The pages share one size, so the sheet does
// not change its size between them.
#include "fallback_dialogs.h"

using ui::ControlClass;

namespace {

constexpr int kPageWidth = 230;
constexpr int kPageHeight = 116;
// User name and password end up in the dial parameters' fields of 256 characters.
constexpr int kAccountTextLimit = 255;

}  // namespace

const ui::DialogTemplate kDialPage0{
    IDD_DIAL_PAGE0, "Neukunde", kPageWidth, kPageHeight, "MS Sans Serif", 8,
    {
        {IDC_NEW_CUSTOMER, ControlClass::RadioButton, "Neukunde", {20, 20, 120, 12}, ui::kGroup},
        {IDC_EXISTING_CUSTOMER, ControlClass::RadioButton, "Altkunde", {20, 40, 120, 12}},
        {IDCANCEL, ControlClass::PushButton, "Abbrechen", {163, 94, 60, 14}},
    }};

const ui::DialogTemplate kDialPage1{
    IDD_DIAL_PAGE1, "Einwahl", kPageWidth, kPageHeight, "MS Sans Serif", 8,
    {
        {-1, ControlClass::StaticText, "Benutzername", {10, 14, 62, 8}},
        {IDC_USER_NAME, ControlClass::Edit, "", {76, 12, 147, 12}, ui::kNone, kAccountTextLimit},
        {-1, ControlClass::StaticText, "Kennwort", {10, 32, 62, 8}},
        {IDC_PASSWORD, ControlClass::Edit, "", {76, 30, 147, 12}, ui::kPassword,
         kAccountTextLimit},
        {IDC_SAVE_PASSWORD, ControlClass::CheckBox, "Kennwort speichern", {76, 48, 147, 10}},
        {IDOK, ControlClass::DefaultButton, "&Verbinden", {7, 94, 60, 14}},
        {IDC_OPTIONS, ControlClass::PushButton, "&Optionen", {85, 94, 60, 14}},
        {IDCANCEL, ControlClass::PushButton, "&Abbrechen", {163, 94, 60, 14}},
    }};

const ui::DialogTemplate kDialPage1b{
    IDD_DIAL_PAGE1B, "Einwahl", kPageWidth, kPageHeight, "MS Sans Serif", 8,
    {
        {IDOK, ControlClass::DefaultButton, "&Verbinden", {7, 94, 60, 14}},
        {IDC_OPTIONS, ControlClass::PushButton, "&Optionen", {85, 94, 60, 14}},
        {IDCANCEL, ControlClass::PushButton, "&Abbrechen", {163, 94, 60, 14}},
    }};

const ui::DialogTemplate kDialPage2{
    IDD_DIAL_PAGE2, "Konfiguration", kPageWidth, kPageHeight, "MS Sans Serif", 8,
    {
        {-1, ControlClass::StaticText, "Landesauswahl", {10, 14, 62, 8}},
        {IDC_COUNTRY, ControlClass::DropDownList, "", {76, 12, 147, 12}},
        {-1, ControlClass::StaticText, "Ortskennzahl", {10, 32, 62, 8}},
        {IDC_AREA_CODE, ControlClass::Edit, "", {76, 30, 40, 12}, ui::kNone, 6},
        {-1, ControlClass::StaticText, "Amtskennziffer", {10, 50, 62, 8}},
        {IDC_OUTSIDE_ACCESS, ControlClass::Edit, "", {76, 48, 24, 12}, ui::kNone, 3},
        {-1, ControlClass::StaticText, "Verbindungsger\xe4t", {10, 68, 62, 8}},
        {IDC_DEVICE, ControlClass::DropDownList, "", {76, 66, 147, 12}},
        {IDC_CONFIG_OK, ControlClass::DefaultButton, "&OK", {85, 94, 60, 14}},
        {IDC_CONFIG_CANCEL, ControlClass::PushButton, "&Abbrechen", {163, 94, 60, 14}},
    }};

const ui::DialogTemplate kDialProgress{
    IDD_DIAL_PROGRESS, "Verbindungsaufbau", 220, 64, "MS Sans Serif", 8,
    {
        {IDC_DIAL_STATUS, ControlClass::StaticText, "", {10, 10, 200, 24}},
        {IDCANCEL, ControlClass::DefaultButton, "Abbrechen", {80, 42, 60, 14}},
    }};

const ui::DialogTemplate kHangUpQuestion{
    IDD_HANG_UP_QUESTION, "Verbindung trennen", 220, 64, "MS Sans Serif", 8,
    {
        {-1, ControlClass::StaticText,
         "Es besteht noch eine Verbindung zum Internet. Wollen Sie diese nun schliessen?",
         {10, 10, 200, 24}},
        {IDOK, ControlClass::DefaultButton, "Schliessen", {40, 42, 65, 14}},
        {IDCANCEL, ControlClass::PushButton, "Bestehen lassen", {115, 42, 65, 14}},
    }};

const ui::DialogTemplate kSignupSuccess{
    IDD_SIGNUP_SUCCESS, "Signup erfolgreich", 180, 52, "MS Sans Serif", 8,
    {
        {-1, ControlClass::StaticText, "Signup erfolgreich", {10, 10, 160, 10}, ui::kCentered},
        {IDOK, ControlClass::DefaultButton, "OK", {65, 30, 50, 14}},
    }};

const ui::DialogTemplate kSignupFailure{
    IDD_SIGNUP_FAILURE, "Signup Fehler", 220, 64, "MS Sans Serif", 8,
    {
        {-1, ControlClass::StaticText,
         "Der Signup Prozess konnte nicht erfolgreich durchgef\xfchrt werden. Bitte wiederholen "
         "Sie die Anmeldung.",
         {10, 10, 200, 24}},
        {IDOK, ControlClass::DefaultButton, "OK", {85, 42, 50, 14}},
    }};
