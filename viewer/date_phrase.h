// Date phrases: the short texts that name a day on the command line ("24.12.",
// "15") and at the head of reminder lines ("24.12. text", "PO text").
//
// Each operation consumes what it recognises from the front of the text and
// leaves the rest there. Nothing is ever an error: a missing number or
// weekday is Absent, and the text is then left as it was.
#pragma once

#include <stdint.h>

#include "../common/text.h"

const uint16_t Absent = 255;

// A decimal number (wrapping at 65536) and the blanks and points after it;
// the text's last character is never consumed as a separator.
uint16_t TakeNumber(TextView& text);

// Day, month and year, read one after the other. A missing month or year is
// the viewer date's; two-digit years are completed by the century rule.
void TakeDate(TextView& text, uint16_t& day, uint16_t& month, uint16_t& year);

// A weekday written with its two-letter Czech abbreviation: 0 = Sunday ..
// 6 = Saturday, or Absent.
uint8_t TakeWeekday(TextView& text);
