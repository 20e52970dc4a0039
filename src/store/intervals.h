#pragma once

// How long a bookmark rests between showings and between refreshes; the settings give
// them, the list and the link verdicts work with them.
struct Intervals
{
    int remindInterval = 7;    // days
    int refreshInterval = 30;  // days
    int refreshAfterFail = 30; // minutes
};
