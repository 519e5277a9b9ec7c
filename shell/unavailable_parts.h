// Stand-ins for the parts of the browser center that this build does not contain yet (the dialog
// fallback).
// None of them pretends to work: each traces that it is not available and answers what its real
// counterpart answers on failure (off line, no device). Each is replaced by the real part when
// that is built.
#pragma once

#include "dialup_seam.h"

class UnavailableDialogFallback : public DialogFallback {
public:
    void handleDialogFallback() override;
};
