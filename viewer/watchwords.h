// The year's texts built into the program, and their display.
//
// WatchwordTable is 12 months x 31 day slots x 2 texts, each text ended by a
// zero byte, in that order, with nothing else in the block. Dates the year
// does not have (30 February) keep their slots, holding two empty texts.
#pragma once

#include <stddef.h>
#include <stdint.h>

extern const char WatchwordTable[];
extern const size_t WatchwordTableSize;

// Whether month and day select one of the 372 slots of the table. Day 32 of
// January is the slot of 1 February; day 0 or month 13 lie outside.
bool SlotInTable(uint16_t month, uint16_t day);

// Copies the viewer date's pair of texts into WatchwordText and TeachingText.
void LookupWatchwords();

// Shows the pair: two boxes, or one in combined mode.
void ShowWatchwords();
