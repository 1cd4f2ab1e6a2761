// Stepping one field of a broken-down local time; no field carries into another.
#pragma once

#include <time.h>

// The fields in screen order, as the edit line shows them; Left and Right
// choose one, Up and Down step it.
typedef unsigned EditField;
enum : EditField {
    EDIT_FIELD_YEAR,
    EDIT_FIELD_MONTH,
    EDIT_FIELD_DAY,
    EDIT_FIELD_HOUR,
    EDIT_FIELD_MINUTE,
    EDIT_FIELD_SECOND,
    EDIT_FIELD_COUNT
};
static_assert(EDIT_FIELD_SECOND == 5, "the fields are numbered 0 to 5, year first");

// The editor's years, as tm_year: 2009 to 2400. Deliberately lopsided: up from
// 2400 wraps to 2009, but down from 2009 stays there, and a year before 2009
// from the system clock steps up one at a time but down to 2009 at once.
constexpr int EDIT_YEAR_MIN = 109; // 2009
constexpr int EDIT_YEAR_MAX = 500; // 2400

void field_increment(struct tm *tm, EditField field);
void field_decrement(struct tm *tm, EditField field);

// The field after (direction > 0) or before field, round the line.
EditField field_next(EditField field, int direction);

// Steps the field of the local time *shown up (direction > 0) or down, and
// stores the stepped instant in *shown: the instant is the one truth, never
// rebuilt from fields. Where the clocks go back, a minute or second step
// moves the instant by exactly the step, and an hour step walks every
// reading of a repeated time once, in order, whatever the size of the shift.
// A date step takes the first existing time at or after the fields' time on
// the wanted date. A value that does not exist (in a daylight-saving gap, or
// a day a zone skipped) is stepped over, so the field always moves. Returns
// -1, leaving *shown as it was, when the platform cannot represent the result.
int field_step_time(time_t *shown, EditField field, int direction);
