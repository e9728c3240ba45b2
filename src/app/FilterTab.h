#pragma once
// One tab of the main window: its number and the filter document it owns.
#include "filter/TFilterObject.h"

#include <memory>

struct TFilterTab {
    int Number = 0; // unique among the open tabs
    std::unique_ptr<TFilterObject> Document;
};
