#include "frame.h"

#include "calendar.h"
#include "face.h"
#include "screen_texts.h"
#include "still_layer.h"

void draw_frame(const ClockLoop *loop)
{
    struct tm shown_tm = *localtime(&loop->shown_time);
    // In edit mode the calendar follows the edited date; in browse mode it shows
    // the browsed month, with the day marked only when the shown time is in it.
    StillParts still = {1, shown_tm.tm_year, shown_tm.tm_mon, shown_tm.tm_mday, loop->notice};
    if (!loop->edit_mode) {
        int shown_month =
            shown_tm.tm_year == loop->browse_year && shown_tm.tm_mon == loop->browse_month;
        still = {0, loop->browse_year, loop->browse_month, shown_month ? shown_tm.tm_mday : 0,
                 loop->notice};
    }
    // The background and the calendar are kept from frame to frame; the face
    // is drawn after the calendar, which it never overlaps, so every pixel is
    // as when it is drawn between the background and the calendar.
    if (!still_layer_restore(&still)) {
        draw_background(still.edit_mode, still.notice);
        draw_calendar(still.year, still.month, still.mark);
        still_layer_keep(&still);
    }
    draw_face(shown_tm.tm_hour, shown_tm.tm_min, shown_tm.tm_sec);
    if (loop->edit_mode)
        draw_edit_line(&shown_tm, loop->edit_field);
    else
        draw_datetime_line(&shown_tm);
}
