// Golden frames: the graphical clock's screen at a fixed instant and zone,
// compared pixel for pixel with reviewed PNG files in tests/golden/. They were
// made once from the program and checked by eye against the description of
// the screen; they depend on the font, whose package and checksum are
// recorded beside them in FONT.
//
// After a deliberate change of the screen, make them anew and review them:
//   CLOCKS_UPDATE_GOLDEN=1 build/tests/tavlino_e2e --gtest_filter='Golden*'
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include "display.h"
#include "tavlino_run.h"

namespace {

enum Key { ENTER = 13, RIGHT = 275 };

// Tuesday 14 February 2012, 10:08:37 UTC: February of a leap year.
const time_t INSTANT = utc_time(2012, 2, 14, 10, 8, 37);

std::string golden_dir()
{
    return source_dir() + "/tests/golden";
}

std::string keys(int key, int times)
{
    std::string s;
    for (int i = 0; i < times; i++)
        s += " k=" + std::to_string(key) + " |";
    return s;
}

std::string font_checksum()
{
    std::string sum = shell_output("sha256sum -b \"$(readlink -f " FONT_PATH ")\" 2>/dev/null");
    return sum.substr(0, sum.find(' '));
}

// The recorded font line "sha256 <sum>", or "" when there is none.
std::string recorded_checksum()
{
    std::string font = read_file(golden_dir() + "/FONT");
    size_t at = font.find("sha256 ");
    return at == std::string::npos ? "" : font.substr(at + 7, 64);
}

Image read_png(const std::string &path)
{
    return parse_ppm(shell_output("pngtopnm '" + path + "' 2>/dev/null"));
}

void write_png(const Image &img, const std::string &path)
{
    std::string ppm = path + ".ppm";
    ASSERT_TRUE(write_ppm(img, ppm));
    shell_output("pnmtopng '" + ppm + "' > '" + path + "'");
    unlink(ppm.c_str());
}

} // namespace

TEST(GoldenFrames, ScreensAtAFixedInstant)
{
    struct Case {
        const char *name; // tests/golden/<name>.png
        std::string script;
        std::vector<std::string> env = {};
    };
    const std::string save = "t=0 |" + keys(ENTER, 2) + " quit |"; // edit, save at once
    const Case cases[] = {
        {"browse-february-2012", "t=0 | quit |"},
        {"browse-six-rows-september-2012", "t=0 |" + keys(RIGHT, 7) + " quit |"},
        {"edit-year", "t=0 |" + keys(ENTER, 1) + " quit |"},
        {"edit-month", "t=0 |" + keys(ENTER, 1) + keys(RIGHT, 1) + " quit |"},
        {"edit-day", "t=0 |" + keys(ENTER, 1) + keys(RIGHT, 2) + " quit |"},
        {"edit-hour", "t=0 |" + keys(ENTER, 1) + keys(RIGHT, 3) + " quit |"},
        {"edit-minute", "t=0 |" + keys(ENTER, 1) + keys(RIGHT, 4) + " quit |"},
        {"edit-second", "t=0 |" + keys(ENTER, 1) + keys(RIGHT, 5) + " quit |"},
        {"notice-no-permission", save, {"SHIM_SETTIME=refuse"}},
        {"notice-refused", save, {"SHIM_SETTIME=range"}},
        {"notice-rtc-not-set", save, {"SHIM_RTC=noopen"}},
    };
    bool update = getenv("CLOCKS_UPDATE_GOLDEN") != nullptr;
    if (update) {
        std::string version = shell_output("dpkg-query -W -f='${Package} ${Version}' fonts-mplus");
        FILE *f = fopen((golden_dir() + "/FONT").c_str(), "w");
        ASSERT_NE(f, nullptr);
        fprintf(f, "%s (" FONT_PATH ")\nsha256 %s\n", version.c_str(), font_checksum().c_str());
        fclose(f);
    }
    ASSERT_EQ(font_checksum(), recorded_checksum())
        << "the installed font is not the one the golden frames were made with ("
        << read_file(golden_dir() + "/FONT")
        << "): install that font, or make the frames anew and review them (see this file)";
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TavlinoRun run = run_tavlino(c.script, INSTANT, "UTC", c.env);
        ASSERT_GE(run.frames.size(), 3u);
        std::string path = golden_dir() + "/" + c.name + ".png";
        if (update)
            write_png(run.frames.back(), path);
        Image golden = read_png(path);
        ASSERT_TRUE(golden.ok()) << "cannot read " << path;
        EXPECT_EQ(frame_difference(run.frames.back(), golden), 0);
    }
}
