#include <gtest/gtest.h>

#include <set>

#include "calendar.h"
#include "draw.h"
#include "screen.h"

namespace {

Uint16 background() { return (Uint16)SDL_MapRGB(screen->format, 0, 0, 64); }

// The fully opaque text colours found in the day cell at (column, row).
std::set<Uint16> cell_colours(int column, int row)
{
    std::set<Uint16> found;
    int centre = calendar_column_centre(column), top = calendar_row_y(row);
    for (int y = top; y < top + CALENDAR_ROW_HEIGHT && y < screen->h; y++)
        for (int x = centre - 12; x < centre + 12; x++) {
            Uint16 p = screen_pixel(x, y);
            if (p == 0xFFFF || p == 0xF800 || p == 0x001F || p == 0xF81F)
                found.insert(p);
        }
    return found;
}

bool cell_empty(int column, int row)
{
    int centre = calendar_column_centre(column), top = calendar_row_y(row);
    for (int y = top; y < top + CALENDAR_ROW_HEIGHT && y < screen->h; y++)
        for (int x = centre - 12; x < centre + 12; x++)
            if (screen_pixel(x, y) != background())
                return false;
    return true;
}

class Calendar : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensure_screen();
        SDL_FillRect(screen, nullptr, background());
    }
    void TearDown() override { unsetenv("SHIM_MKTIME"); }
};

} // namespace

TEST(DaysInMonth, GregorianLeapYears)
{
    EXPECT_EQ(days_in_month(100, 1), 29); // 2000
    EXPECT_EQ(days_in_month(104, 1), 29); // 2004
    EXPECT_EQ(days_in_month(500, 1), 29); // 2400
    EXPECT_EQ(days_in_month(0, 1), 28);   // 1900
    EXPECT_EQ(days_in_month(200, 1), 28); // 2100
    EXPECT_EQ(days_in_month(111, 1), 28); // 2011
    EXPECT_EQ(days_in_month(111, 0), 31);
    EXPECT_EQ(days_in_month(111, 3), 30);
    EXPECT_EQ(days_in_month(111, 11), 31);
    EXPECT_EQ(days_in_month(2147483647, 1), 28); // no overflow at the far end of browsing
}

TEST_F(Calendar, MonthStartingOnSunday)
{
    draw_calendar(112, 0, 0); // January 2012
    EXPECT_EQ(cell_colours(0, 0), std::set<Uint16>{0xF800});
    EXPECT_EQ(cell_colours(6, 0), std::set<Uint16>{0x001F});
    EXPECT_EQ(cell_colours(3, 0), std::set<Uint16>{0xFFFF});
    EXPECT_FALSE(cell_empty(2, 4)); // the 31st, a Tuesday
    EXPECT_TRUE(cell_empty(3, 4));
    EXPECT_TRUE(cell_empty(0, 5));
}

TEST_F(Calendar, SaturdayStartWithThirtyOneDaysFillsSixRows)
{
    draw_calendar(111, 0, 0); // January 2011 starts on a Saturday
    EXPECT_TRUE(cell_empty(5, 0));
    EXPECT_EQ(cell_colours(6, 0), std::set<Uint16>{0x001F});
    EXPECT_EQ(calendar_row_y(5), 164);
    EXPECT_FALSE(cell_empty(1, 5)); // the 31st at cell 36
    EXPECT_TRUE(cell_empty(2, 5));
}

TEST_F(Calendar, FridayStartWithThirtyOneDaysFillsSixRows)
{
    draw_calendar(111, 6, 0); // July 2011
    EXPECT_TRUE(cell_empty(4, 0) && !cell_empty(5, 0));
    EXPECT_FALSE(cell_empty(0, 5)); // the 31st, a Sunday
    EXPECT_EQ(cell_colours(0, 5), std::set<Uint16>{0xF800});
}

TEST_F(Calendar, FebruaryTwentyFifteenFillsExactlyFourRows)
{
    draw_calendar(115, 1, 0);
    for (int c = 0; c < 7; c++) {
        EXPECT_FALSE(cell_empty(c, 0));
        EXPECT_FALSE(cell_empty(c, 3));
        EXPECT_TRUE(cell_empty(c, 4));
    }
}

TEST_F(Calendar, MarkedDayIsMagentaEvenOnASunday)
{
    draw_calendar(112, 0, 8); // Sunday 8 January 2012
    EXPECT_EQ(cell_colours(0, 1), std::set<Uint16>{0xF81F});
    EXPECT_EQ(cell_colours(0, 0), std::set<Uint16>{0xF800});
    SDL_FillRect(screen, nullptr, background());
    draw_calendar(112, 0, 11); // a Wednesday
    EXPECT_EQ(cell_colours(3, 1), std::set<Uint16>{0xF81F});
}

TEST_F(Calendar, MarkOutsideTheMonthMarksNothing)
{
    for (int mark : {0, 32}) {
        SDL_FillRect(screen, nullptr, background());
        draw_calendar(112, 0, mark);
        for (int cell = 0; cell < 31; cell++) {
            std::set<Uint16> colours = cell_colours(cell % 7, cell / 7);
            EXPECT_EQ(colours.count(0xF81F), 0u) << "mark " << mark << " cell " << cell;
        }
    }
}

TEST_F(Calendar, WeekdayRowAndHeaderSitAtTheirAnchors)
{
    draw_calendar(111, 2, 0); // March 2011
    int w, h;
    text_measure(font_large, &w, &h, "%s", "2011 / Mar  -3-");
    h = CALENDAR_WEEKDAY_Y - CALENDAR_HEADER_Y; // the weekday row overlaps the header's box
    std::vector<Uint16> drawn;
    for (int y = CALENDAR_HEADER_Y; y < CALENDAR_HEADER_Y + h; y++)
        for (int x = CALENDAR_HEADER_X; x < CALENDAR_HEADER_X + w; x++)
            drawn.push_back(screen_pixel(x, y));
    SDL_FillRect(screen, nullptr, background());
    text_draw(font_large, screen, CALENDAR_HEADER_X, CALENDAR_HEADER_Y, {255, 255, 255, 0},
              "2011 / Mar  -3-");
    size_t i = 0, differ = 0;
    for (int y = CALENDAR_HEADER_Y; y < CALENDAR_HEADER_Y + h; y++)
        for (int x = CALENDAR_HEADER_X; x < CALENDAR_HEADER_X + w; x++)
            differ += drawn[i++] != screen_pixel(x, y);
    EXPECT_EQ(differ, 0u);
}

TEST(CalendarWeekday, OwnArithmeticAgreesWithThePlatform)
{
    for (int year = -100; year <= 600; year += 7) {
        for (int month = 0; month < 12; month++) {
            long long shown_platform, shown_own;
            int platform = calendar_first_weekday(year, month, &shown_platform);
            setenv("SHIM_MKTIME", "fail", 1);
            int own = calendar_first_weekday(year, month, &shown_own);
            unsetenv("SHIM_MKTIME");
            ASSERT_EQ(platform, own) << year + 1900 << "-" << month + 1;
            ASSERT_EQ(shown_platform, shown_own);
            ASSERT_EQ(shown_own, year + 1900LL);
        }
    }
}

TEST_F(Calendar, UnrepresentableYearStillShowsAMonth)
{
    setenv("SHIM_MKTIME", "fail", 1); // as on a platform whose time_t ends in 2038
    long long shown;
    EXPECT_EQ(calendar_first_weekday(200, 0, &shown), 5); // 1 January 2100 is a Friday
    EXPECT_EQ(shown, 2100);
    draw_calendar(200, 0, 0);
    EXPECT_TRUE(cell_empty(4, 0));
    EXPECT_EQ(cell_colours(5, 0), std::set<Uint16>{0xFFFF});
    EXPECT_FALSE(cell_empty(0, 5)); // the 31st, a Sunday, in the sixth row
}
