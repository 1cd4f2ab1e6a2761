#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "face.h"
#include "screen.h"

namespace {

const Uint16 RED = 0xF800, WHITE = 0xFFFF;

class Face : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensure_screen();
        clear_screen(0);
    }
    void expect_pixel(int x, int y, Uint16 colour)
    {
        EXPECT_EQ(screen_pixel(x, y), colour) << "at " << x << "," << y;
    }
};

} // namespace

TEST_F(Face, TablesUseTheShortPi)
{
    EXPECT_LT(cos_table[270], 0.0f);
    EXPECT_GT(cos_table[270], -2e-6f);
    EXPECT_GT(sin_table[180], 0.0f);
    EXPECT_FLOAT_EQ(cos_table[0], 1.0f);
    EXPECT_FLOAT_EQ(sin_table[90], 1.0f);
}

TEST_F(Face, DotsTruncateTheProductBeforeAddingTheCentre)
{
    draw_face(3, 0, 15); // hands away from the dots checked below
    expect_pixel(295, 120, RED);  // i = 0
    expect_pixel(250, 165, RED);  // i = 15
    expect_pixel(205, 120, RED);  // i = 30
    expect_pixel(250, 75, RED);   // i = 45
    expect_pixel(294, 124, WHITE); // i = 1
    expect_pixel(206, 116, WHITE); // i = 31: -44.75 and -4.70 truncate to -44 and -4
    int red = 0, white_dots = 0;
    for (int i = 0; i < 60; i++) {
        int d = 6 * i;
        Uint16 p = screen_pixel(250 + (int)(cos_table[d] * 45.0f), 120 + (int)(sin_table[d] * 45.0f));
        red += p == RED;
        white_dots += p == WHITE;
    }
    EXPECT_EQ(red, 12);
    EXPECT_EQ(white_dots, 48);
}

TEST_F(Face, HandsAtTwelvePointToXTwoFortyNine)
{
    draw_face(12, 0, 0);
    expect_pixel(250, 130, WHITE); // the tails
    expect_pixel(250, 125, WHITE);
    for (int y = 82; y <= 129; y++)
        expect_pixel(249, y, WHITE); // the second hand's 48 other pixels
    for (int y = 76; y < 130; y++)
        expect_pixel(250, y, y == 125 ? WHITE : 0); // only the hour hand's tail
    expect_pixel(249, 81, 0); // the second hand's tip is at y 82
    expect_pixel(250, 75, RED); // the top dot stays at x 250
}

TEST_F(Face, MidnightMatchesNoon)
{
    draw_face(12, 0, 0);
    std::vector<Uint16> noon;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            noon.push_back(screen_pixel(x, y));
    clear_screen(0);
    draw_face(0, 0, 0);
    size_t i = 0, differ = 0;
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++)
            differ += noon[i++] != screen_pixel(x, y);
    EXPECT_EQ(differ, 0u);
}

TEST_F(Face, HandAngles)
{
    EXPECT_EQ(face_second_hand_angle(0), 270);
    EXPECT_EQ(face_hour_hand_angle(3, 0), 0);
    EXPECT_EQ(face_second_hand_angle(30), 90);
    EXPECT_EQ(face_minute_hand_angle(10, 30), 333);
    EXPECT_EQ(face_hour_hand_angle(10, 10), 215);
    EXPECT_EQ(face_second_hand_angle(59), 264);
    EXPECT_EQ(face_minute_hand_angle(59, 59), 269);
    EXPECT_EQ(face_hour_hand_angle(23, 59), 269);
    EXPECT_EQ(face_second_hand_angle(61), 276);
    for (int h = 1; h < 12; h++)
        EXPECT_EQ(face_hour_hand_angle(h + 12, 30), face_hour_hand_angle(h, 30));
}

TEST_F(Face, ThreeOClockHourHand)
{
    draw_face(3, 0, 30);
    for (int x = 245; x <= 280; x++)
        expect_pixel(x, 120, WHITE);
    expect_pixel(244, 120, 0);
    expect_pixel(281, 120, 0);
}

TEST_F(Face, TenPastTenAndHalfAMinute)
{
    draw_face(10, 10, 30);
    expect_pixel(250, 110, WHITE); // second hand
    expect_pixel(250, 158, WHITE);
    expect_pixel(250, 159, 0);
    expect_pixel(241, 124, WHITE); // minute hand
    expect_pixel(280, 104, WHITE);
    expect_pixel(254, 122, WHITE); // hour hand
    expect_pixel(225, 102, WHITE);
}

TEST_F(Face, HalfPastSixSecondHandTailLandsAboveTheCentreRow)
{
    draw_face(6, 30, 45);
    expect_pixel(260, 119, WHITE);
    expect_pixel(212, 120, WHITE);
    expect_pixel(260, 120, 0);
}

// A surface that must be locked (here: one whose pixels start at an offset,
// which classic SDL applies while it is locked) is locked once before the
// face is drawn, and unlocked once after it.
TEST(FaceLocking, LocksTheScreenAroundTheFace)
{
    ensure_screen();
    const int pitch = 320 * 2;
    static std::vector<Uint16> memory;
    memory.assign(320 * 241, 0);
    SDL_Surface *locked = SDL_CreateRGBSurfaceFrom(memory.data(), 320, 240, 16, pitch, 0xF800,
                                                   0x07E0, 0x001F, 0);
    ASSERT_NE(locked, nullptr);
    locked->offset = pitch;
    ASSERT_TRUE(SDL_MUSTLOCK(locked));

    // Each call, and whether the dot at (295, 120) was drawn by then (a row
    // lower where the library applies the offset).
    static std::string calls;
    calls.clear();
    on_lock = [](SDL_Surface *, bool locking) {
        bool drawn = memory[120 * 320 + 295] == 0xF800 || memory[121 * 320 + 295] == 0xF800;
        calls += std::string(locking ? "lock" : "unlock") + (drawn ? " drawn; " : " blank; ");
    };
    SDL_Surface *real_screen = screen;
    screen = locked;
    draw_face(3, 0, 30);
    screen = real_screen;
    on_lock = nullptr;

    EXPECT_EQ(calls, "lock blank; unlock drawn; ");
    EXPECT_EQ(locked->locked, 0);
    locked->offset = 0;
    SDL_FreeSurface(locked);
}
