// Stepping one field of a broken-down local time; no field carries into another.
#pragma once

#include <time.h>

#include "screen_texts.h"

// The editor's years, as tm_year: 2009 to 2400. Deliberately lopsided: up from
// 2400 wraps to 2009, but down from 2009 stays there, and a year before 2009
// from the system clock steps up one at a time but down to 2009 at once.
constexpr int EDIT_YEAR_MIN = 109; // 2009
constexpr int EDIT_YEAR_MAX = 500; // 2400
constexpr EditField EDIT_FIELD_COUNT = 6;

void field_increment(struct tm *tm, EditField field);
void field_decrement(struct tm *tm, EditField field);
