#include "frame.h"

#include "calendar.h"
#include "face.h"
#include "still_layer.h"

void draw_frame(time_t shown_time, int edit_mode, EditField edit_field, int browse_year,
                int browse_month)
{
    struct tm shown_tm = *localtime(&shown_time);
    // In edit mode the calendar follows the edited date; in browse mode it shows
    // the browsed month, with the day marked only when the shown time is in it.
    StillParts still = {1, shown_tm.tm_year, shown_tm.tm_mon, shown_tm.tm_mday};
    if (!edit_mode) {
        int shown_month = shown_tm.tm_year == browse_year && shown_tm.tm_mon == browse_month;
        still = {0, browse_year, browse_month, shown_month ? shown_tm.tm_mday : 0};
    }
    // The background and the calendar are kept from frame to frame; the face
    // is drawn after the calendar, which it never overlaps, so every pixel is
    // as when it is drawn between the background and the calendar.
    if (!still_layer_restore(&still)) {
        draw_background(edit_mode);
        draw_calendar(still.year, still.month, still.mark);
        still_layer_keep(&still);
    }
    draw_face(shown_tm.tm_hour, shown_tm.tm_min, shown_tm.tm_sec);
    if (edit_mode)
        draw_edit_line(&shown_tm, edit_field);
    else
        draw_datetime_line(&shown_tm);
}
