#include "screen_texts.h"

#include "colours.h"
#include "display.h"
#include "draw.h"

const char TITLE_TEXT[] = "Tavlino";
const char HELP_EDIT_TEXT[] = "Press Arrows to move and set, Enter to save, Esc to cancel.";
const char HELP_BROWSE_TEXT[] = "Press Arrows to show months, BS for current.  Enter to set.";

void draw_background(int edit_mode, const char *notice)
{
    Uint32 fill = SDL_MapRGB(screen->format, 0, 0, 64);
    SDL_FillRect(screen, nullptr, fill);
    text_draw(font_large, screen, 0, 0, COLOUR_WHITE, "%s", TITLE_TEXT);
    if (notice != nullptr)
        text_draw(font_small, screen, 0, HELP_Y, COLOUR_RED, "%s", notice);
    else
        text_draw(font_small, screen, 0, HELP_Y, COLOUR_WHITE, "%s",
                  edit_mode ? HELP_EDIT_TEXT : HELP_BROWSE_TEXT);
}

void draw_datetime_line(const struct tm *tm)
{
    text_draw(font_large, screen, LINE_X, LINE_Y, COLOUR_WHITE, "%04d/%02d/%02d %02d:%02d:%02d",
              tm->tm_year + 1900, tm->tm_mon + 1, tm->tm_mday, tm->tm_hour, tm->tm_min,
              tm->tm_sec);
}

// Draws one number of the edit line at *x and moves *x past it.
static void edit_number(int *x, const char *format, int value, int red)
{
    text_draw(font_large, screen, *x, LINE_Y, red ? COLOUR_RED : COLOUR_WHITE, format, value);
    int w, h;
    text_measure(font_large, &w, &h, format, value);
    *x += w;
}

static void edit_separator(int *x, const char *text, int width)
{
    text_draw(font_large, screen, *x, LINE_Y, COLOUR_WHITE, "%s", text);
    *x += width;
}

void draw_edit_line(const struct tm *tm, EditField field)
{
    int slash_w, colon_w, blank_w, h;
    text_measure(font_large, &slash_w, &h, "/");
    text_measure(font_large, &colon_w, &h, ":");
    text_measure(font_large, &blank_w, &h, " ");

    int x = LINE_X;
    edit_number(&x, "%04d", tm->tm_year + 1900, field == EDIT_FIELD_YEAR);
    edit_separator(&x, "/", slash_w);
    edit_number(&x, "%02d", tm->tm_mon + 1, field == EDIT_FIELD_MONTH);
    edit_separator(&x, "/", slash_w);
    edit_number(&x, "%02d", tm->tm_mday, field == EDIT_FIELD_DAY);
    x += blank_w; // the blank between date and time is never drawn
    edit_number(&x, "%02d", tm->tm_hour, field == EDIT_FIELD_HOUR);
    edit_separator(&x, ":", colon_w);
    edit_number(&x, "%02d", tm->tm_min, field == EDIT_FIELD_MINUTE);
    edit_separator(&x, ":", colon_w);
    edit_number(&x, "%02d", tm->tm_sec, field == EDIT_FIELD_SECOND);
}
