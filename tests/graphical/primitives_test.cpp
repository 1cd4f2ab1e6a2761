#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "draw.h"
#include "screen.h"
#include "text_cache.h"

namespace {

using Points = std::set<std::pair<int, int>>;

struct Surface16 {
    SDL_Surface *s;
    Surface16(int w, int h)
        : s(SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 16, 0xF800, 0x07E0, 0x001F, 0))
    {
        SDL_FillRect(s, nullptr, 0);
    }
    ~Surface16() { SDL_FreeSurface(s); }
    Uint16 at(int x, int y) const
    {
        return ((const Uint16 *)((const Uint8 *)s->pixels + y * s->pitch))[x];
    }
    Points lit() const
    {
        Points p;
        for (int y = 0; y < s->h; y++)
            for (int x = 0; x < s->w; x++)
                if (at(x, y) != 0)
                    p.insert({x, y});
        return p;
    }
    std::vector<Uint8> bytes() const
    {
        const Uint8 *b = (const Uint8 *)s->pixels;
        return std::vector<Uint8>(b, b + (size_t)s->pitch * s->h);
    }
};

Points line(int x0, int y0, int x1, int y1)
{
    Surface16 surface(32, 32);
    draw_line(surface.s, x0, y0, x1, y1, 0xFFFF);
    return surface.lit();
}

} // namespace

TEST(DrawLine, HorizontalInBothDirections)
{
    Points expected = {{10, 5}, {11, 5}, {12, 5}, {13, 5}, {14, 5}};
    EXPECT_EQ(line(10, 5, 14, 5), expected);
    EXPECT_EQ(line(14, 5, 10, 5), expected);
}

TEST(DrawLine, ShallowSlopeTruncates)
{
    Points expected = {{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 2}, {6, 2}, {7, 3}};
    EXPECT_EQ(line(0, 0, 7, 3), expected);
}

TEST(DrawLine, AccumulatedStepFallsShortOfTheEndPoint)
{
    Points forward = line(0, 0, 10, 7);
    EXPECT_EQ(forward.size(), 11u);
    EXPECT_TRUE(forward.count({10, 6}));
    EXPECT_FALSE(forward.count({10, 7}));

    Points backward = {{10, 7}, {9, 6}, {8, 5}, {7, 4}, {6, 4}, {5, 3},
                       {4, 2},  {3, 2}, {2, 1}, {1, 0}, {0, 0}};
    EXPECT_EQ(line(10, 7, 0, 0), backward);
}

TEST(DrawLine, EqualEndPointsPlotOnePixel)
{
    EXPECT_EQ(line(4, 9, 4, 9), (Points{{4, 9}}));
}

TEST(PutPixel, ChangesExactlyOneElement)
{
    Surface16 surface(320, 240);
    std::vector<Uint8> before = surface.bytes();
    put_pixel(surface.s, 17, 3, 0xABCD);
    std::vector<Uint8> after = surface.bytes();
    size_t changed = 0;
    for (size_t i = 0; i < before.size(); i++)
        changed += before[i] != after[i];
    EXPECT_EQ(changed, 2u);
    EXPECT_EQ(((const Uint16 *)surface.s->pixels)[320 * 3 + 17], 0xABCD);
}

TEST(PutPixel, FollowsThePitchOfPaddedRows)
{
    Surface16 surface(321, 5); // 642 bytes a row, padded to a longer pitch
    ASSERT_GT(surface.s->pitch, 321 * 2);
    put_pixel(surface.s, 2, 4, 0x1234);
    EXPECT_EQ(surface.at(2, 4), 0x1234);
    EXPECT_EQ(surface.lit(), (Points{{2, 4}}));
}

class TextTest : public ::testing::Test {
protected:
    void SetUp() override { ensure_screen(); }
    void TearDown() override { fail_text_size = fail_text_render = false; }
};

TEST_F(TextTest, MeasuresFormattedText)
{
    int w = -1, h = -1, w2 = -1, h2 = -1;
    EXPECT_EQ(text_measure(font_large, &w, &h, "%04d", 2011), 0);
    EXPECT_EQ(text_measure(font_large, &w2, &h2, "2011"), 0);
    EXPECT_GT(w, 0);
    EXPECT_EQ(w, w2);
    EXPECT_EQ(h, h2);
}

TEST_F(TextTest, UnmeasurableTextIsZeroByZero)
{
    fail_text_size = true;
    int w = 7, h = 7;
    EXPECT_EQ(text_measure(font_large, &w, &h, "%s", "abc"), -1);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
}

TEST_F(TextTest, FailedRenderingLeavesTheTargetUnchanged)
{
    Surface16 surface(100, 40);
    text_cache_free(); // a text kept from an earlier test would not be rendered again
    fail_text_render = true;
    text_draw(font_large, surface.s, 2, 2, {255, 255, 255, 0}, "Hello");
    EXPECT_TRUE(surface.lit().empty());
    fail_text_render = false;
    text_draw(font_large, surface.s, 2, 2, {255, 255, 255, 0}, "%s", ""); // renders nothing
    EXPECT_TRUE(surface.lit().empty());
    text_draw(font_large, surface.s, 2, 2, {255, 255, 255, 0}, "Hello");
    EXPECT_FALSE(surface.lit().empty());
}

// Both text writers put the rendered text with its top-left corner at the
// point: the same pixels as SDL_ttf's own rendering blitted there by hand.
TEST_F(TextTest, TextLandsWithItsTopLeftCornerAtThePoint)
{
    using Render = SDL_Surface *(*)(TTF_Font *, const char *, SDL_Color);
    using Draw = void (*)(TTF_Font *, SDL_Surface *, int, int, SDL_Color, const char *, ...);
    struct Case {
        const char *why;
        Draw draw;
        Render render;
    };
    const Case cases[] = {{"blended", text_draw, TTF_RenderUTF8_Blended},
                          {"solid", text_draw_solid, TTF_RenderUTF8_Solid}};
    const SDL_Color white = {255, 255, 255, 0};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.why);
        Surface16 drawn(120, 60), by_hand(120, 60);
        c.draw(font_large, drawn.s, 30, 20, white, "%s", "W7");
        SDL_Surface *text = c.render(font_large, "W7", white);
        ASSERT_NE(text, nullptr);
        SDL_Rect at = {30, 20, 0, 0};
        SDL_BlitSurface(text, nullptr, by_hand.s, &at);
        SDL_FreeSurface(text);
        EXPECT_FALSE(drawn.lit().empty());
        EXPECT_EQ(drawn.bytes(), by_hand.bytes());
    }
}

TEST_F(TextTest, SolidTextIsNotAntiAliased)
{
    Surface16 surface(120, 60);
    text_draw_solid(font_large, surface.s, 5, 5, {255, 0, 0, 0}, "%d", 42);
    Points lit = surface.lit();
    ASSERT_FALSE(lit.empty());
    for (auto p : lit)
        EXPECT_EQ(surface.at(p.first, p.second), 0xF800);
}

TEST_F(TextTest, OverlongTextIsCutToTheBuffer)
{
    std::string longer(5000, 'x');
    int w = 0, h = 0, w_cut = 0, h_cut = 0;
    text_measure(font_small, &w, &h, "%s", longer.c_str());
    text_measure(font_small, &w_cut, &h_cut, "%s", std::string(TEXT_BUFFER_SIZE - 1, 'x').c_str());
    EXPECT_EQ(w, w_cut);
    Surface16 surface(64, 32);
    text_draw(font_small, surface.s, 0, 0, {255, 255, 255, 0}, "%s", longer.c_str());
    EXPECT_FALSE(surface.lit().empty());
}
