#pragma once
// Where a click in a seller pane leads, read from the address it would load.

#include <string_view>

// What a seller pane does with an address it is about to navigate to, read
// from its last two characters: "nk" lets it proceed (about:blank); two
// decimal digits cancel it and name an entry (acted on when 0..39);
// anything else is cancelled and ignored.
struct TLinkDecision {
    bool proceed = false;
    int index = -1; // 0..39 when an entry is named, else -1
};
TLinkDecision ClassifyLink(std::string_view address);
