// Stepping one field of a broken-down local time; no field carries into another.
#pragma once

#include <time.h>

#include "screen_texts.h"

constexpr int EDIT_YEAR_MIN = 109; // 2009
constexpr int EDIT_YEAR_MAX = 500; // 2400
constexpr EditField EDIT_FIELD_COUNT = 6;

void field_increment(struct tm *tm, EditField field);
void field_decrement(struct tm *tm, EditField field);
