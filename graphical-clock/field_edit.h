// Stepping one field of a broken-down local time; no field carries into another.
#pragma once

#include <time.h>

typedef unsigned EditField; // 0 year, 1 month, 2 day, 3 hour, 4 minute, 5 second

// The editor's years, as tm_year: 2009 to 2400. Deliberately lopsided: up from
// 2400 wraps to 2009, but down from 2009 stays there, and a year before 2009
// from the system clock steps up one at a time but down to 2009 at once.
constexpr int EDIT_YEAR_MIN = 109; // 2009
constexpr int EDIT_YEAR_MAX = 500; // 2400
constexpr EditField EDIT_FIELD_HOUR = 3;
constexpr EditField EDIT_FIELD_MINUTE = 4;
constexpr EditField EDIT_FIELD_SECOND = 5;
constexpr EditField EDIT_FIELD_COUNT = 6;

void field_increment(struct tm *tm, EditField field);
void field_decrement(struct tm *tm, EditField field);

// Steps the field of the local time *shown up (direction > 0) or down, and
// stores the stepped instant in *shown. A value that does not exist that day
// (a daylight-saving gap) is stepped over, so the field always moves. Where
// the clocks go back, a minute or second step keeps the offset on show and an
// hour step passes through both readings of the repeated hour, in order.
// Returns -1, leaving *shown as it was, when the platform cannot represent
// the result.
int field_step_time(time_t *shown, EditField field, int direction);
