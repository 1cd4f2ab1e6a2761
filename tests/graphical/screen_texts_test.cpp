#include <gtest/gtest.h>

#include "civil_time.h"

#include <algorithm>

#include "draw.h"
#include "screen.h"
#include "screen_texts.h"
#include "text_cache.h"
#include "calendar.h"
#include "face.h"

namespace {

struct Box {
    int x, y, w, h;
    bool holds(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

Box text_box(TTF_Font *font, int x, int y, const char *text)
{
    int w, h;
    text_measure(font, &w, &h, "%s", text);
    return {x, y, w, h};
}

Uint16 background() { return (Uint16)SDL_MapRGB(screen->format, 0, 0, 64); }

struct tm sample_time()
{
    return civil_tm(2011, 3, 9, 7, 5, 3);
}

const char SAMPLE_LINE[] = "2011/03/09 07:05:03";

// Every pixel outside the boxes is the background, and every box holds text.
void expect_only_in(const std::vector<Box> &boxes)
{
    std::vector<int> lit(boxes.size(), 0);
    int stray = 0;
    for (int y = 0; y < screen->h; y++) {
        for (int x = 0; x < screen->w; x++) {
            if (screen_pixel(x, y) == background())
                continue;
            bool inside = false;
            for (size_t i = 0; i < boxes.size(); i++)
                if (boxes[i].holds(x, y)) {
                    lit[i]++;
                    inside = true;
                }
            stray += !inside;
        }
    }
    EXPECT_EQ(stray, 0);
    for (size_t i = 0; i < boxes.size(); i++)
        EXPECT_GT(lit[i], 0) << "box " << i;
}

// Anti-aliased edges fade into the background; judge only well-covered pixels.
bool is_red_text(Uint16 p) { return (p >> 11) >= 8 && ((p >> 5) & 0x3F) == 0; }
bool is_white_text(Uint16 p) { return ((p >> 5) & 0x3F) >= 16; }

// Checks that in the line's box only the pixels in [red_from, red_to) are red.
void expect_red_span(int red_from, int red_to)
{
    Box line = text_box(font_large, LINE_X, LINE_Y, SAMPLE_LINE);
    int red = 0, white = 0;
    for (int y = line.y; y < line.y + line.h; y++) {
        for (int x = line.x; x < line.x + line.w; x++) {
            Uint16 p = screen_pixel(x, y);
            if (p == background())
                continue;
            bool in_field = x >= red_from && x < red_to;
            if (in_field)
                EXPECT_FALSE(is_white_text(p)) << x << "," << y;
            else
                EXPECT_FALSE(is_red_text(p)) << x << "," << y;
            red += in_field && is_red_text(p);
            white += !in_field && is_white_text(p);
        }
    }
    EXPECT_GT(red, 0);
    EXPECT_GT(white, 0);
}

int width_of(const char *text)
{
    int w, h;
    text_measure(font_large, &w, &h, "%s", text);
    return w;
}

} // namespace

class ScreenTexts : public ::testing::Test {
protected:
    void SetUp() override { ensure_screen(); }
};

TEST_F(ScreenTexts, BrowseFrameHasTitleHelpAndLineAtTheirAnchors)
{
    clear_screen(0xFFFF);
    draw_background(0);
    struct tm t = sample_time();
    draw_datetime_line(&t);
    expect_only_in({text_box(font_large, 0, 0, TITLE_TEXT),
                    text_box(font_small, 0, HELP_Y, HELP_BROWSE_TEXT),
                    text_box(font_large, LINE_X, LINE_Y, SAMPLE_LINE)});
}

TEST_F(ScreenTexts, ModeChangesOnlyTheHelpLine)
{
    draw_background(0);
    std::vector<Uint16> browse;
    for (int y = 0; y < HELP_Y; y++)
        for (int x = 0; x < screen->w; x++)
            browse.push_back(screen_pixel(x, y));
    draw_background(1);
    expect_only_in({text_box(font_large, 0, 0, TITLE_TEXT),
                    text_box(font_small, 0, HELP_Y, HELP_EDIT_TEXT)});
    size_t i = 0, differ = 0;
    for (int y = 0; y < HELP_Y; y++)
        for (int x = 0; x < screen->w; x++)
            differ += browse[i++] != screen_pixel(x, y);
    EXPECT_EQ(differ, 0u);
}

// Leftmost and rightmost lit columns of the line's rows.
std::pair<int, int> lit_span()
{
    int left = screen->w, right = -1;
    for (int y = LINE_Y; y < LINE_Y + 23; y++)
        for (int x = 0; x < screen->w; x++)
            if (screen_pixel(x, y) != background()) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return {left, right};
}

TEST_F(ScreenTexts, EditLineShowsTheBrowseLineCharacters)
{
    struct tm t = sample_time();
    draw_background(0);
    draw_datetime_line(&t);
    std::pair<int, int> browse = lit_span();
    std::vector<Uint16> year;
    for (int y = LINE_Y; y < LINE_Y + 23; y++)
        for (int x = LINE_X; x < LINE_X + width_of("2011"); x++)
            year.push_back(screen_pixel(x, y));

    draw_background(0);
    draw_edit_line(&t, 6); // no field chosen: everything white
    std::pair<int, int> edit = lit_span();
    EXPECT_EQ(edit.first, browse.first);
    // Pieces are measured one by one, so the whole line may differ by a few pixels.
    EXPECT_NEAR(edit.second, browse.second, 6);
    size_t i = 0, differ = 0;
    for (int y = LINE_Y; y < LINE_Y + 23; y++)
        for (int x = LINE_X; x < LINE_X + width_of("2011"); x++)
            differ += year[i++] != screen_pixel(x, y);
    EXPECT_EQ(differ, 0u);
}

TEST_F(ScreenTexts, ChosenYearIsRed)
{
    struct tm t = sample_time();
    draw_background(1);
    draw_edit_line(&t, 0);
    expect_red_span(LINE_X, LINE_X + width_of("2011"));
}

TEST_F(ScreenTexts, ChosenSecondIsRed)
{
    struct tm t = sample_time();
    draw_background(1);
    draw_edit_line(&t, 5);
    // The line is laid out piece by piece with measured widths.
    int start = LINE_X;
    for (const char *piece : {"2011", "/", "03", "/", "09", " ", "07", ":", "05", ":"})
        start += width_of(piece);
    expect_red_span(start, start + width_of("03"));
}

TEST_F(ScreenTexts, NumbersArePadded)
{
    struct tm t = civil_tm(20, 1, 1);
    draw_background(0);
    draw_datetime_line(&t);
    std::vector<Uint16> padded;
    for (int y = LINE_Y; y < LINE_Y + 20; y++)
        for (int x = LINE_X; x < screen->w; x++)
            padded.push_back(screen_pixel(x, y));
    draw_background(0);
    text_draw(font_large, screen, LINE_X, LINE_Y, {255, 255, 255, 0}, "0020/01/01 00:00:00");
    size_t i = 0, differ = 0;
    for (int y = LINE_Y; y < LINE_Y + 20; y++)
        for (int x = LINE_X; x < screen->w; x++)
            differ += padded[i++] != screen_pixel(x, y);
    EXPECT_EQ(differ, 0u);
}

// A frame's texts are rendered once: the next frame of the same second
// renders none, the next second only the date/time line. The kept surfaces
// give exactly the pixels of fresh renderings.
TEST(TextCache, UnchangedTextsAreNotRenderedAgain)
{
    ensure_screen();
    setenv("TZ", "UTC", 1);
    tzset();
    time_t t = 1329214117; // 2012-02-14 10:08:37
    auto frame = [&](time_t when) {
        struct tm shown = *gmtime(&when);
        draw_background(0);
        draw_face(shown.tm_hour, shown.tm_min, shown.tm_sec);
        draw_calendar(shown.tm_year, shown.tm_mon, shown.tm_mday);
        draw_datetime_line(&shown);
        const Uint8 *p = (const Uint8 *)screen->pixels;
        return std::vector<Uint8>(p, p + (size_t)screen->pitch * screen->h);
    };
    text_cache_free();
    int before = text_renders;
    std::vector<Uint8> fresh = frame(t);
    int first = text_renders - before;
    EXPECT_EQ(first, 1 + 1 + 1 + 7 + 29 + 1) << "title, help, header, weekdays, 29 days, the line";
    before = text_renders;
    EXPECT_EQ(frame(t), fresh) << "kept surfaces draw the same pixels";
    EXPECT_EQ(text_renders - before, 0);
    before = text_renders;
    frame(t + 1);
    EXPECT_EQ(text_renders - before, 1) << "only the date/time line changed";
}
