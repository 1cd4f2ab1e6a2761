#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "clock_record.h"
#include "terminal.h"

namespace {

struct Parsed {
    int run = -1;
    std::string out;
};

Parsed parse(FreshClock &clock, std::vector<std::string> args)
{
    (void)clock;
    args.insert(args.begin(), "tessavond");
    std::vector<char *> argv;
    for (std::string &a : args)
        argv.push_back(&a[0]);
    argv.push_back(nullptr);
    optind = 0; // start getopt afresh
    opterr = 0;
    Parsed p;
    p.out = capture_output([&] { p.run = clock_parse_options((int)args.size(), argv.data()); });
    return p;
}

// The usage text as the user sees it: twelve lines of 65 characters.
const char USAGE[] =
    "usage : tessavond [-sbctruvih] [-C [0-7]] [-f format] [-d delay] \n"
    "    -s            Show seconds                                   \n"
    "    -b            Show box                                       \n"
    "    -c            Set the clock at the center of the terminal    \n"
    "    -C [0-7]      Set the clock color                            \n"
    "    -t            Set the hour in 12h format                     \n"
    "    -f format     Set the date format                            \n"
    "    -v            Show tessavond version                         \n"
    "    -i            Show some info about tessavond                 \n"
    "    -h            Show this page                                 \n"
    "    -d delay      Set the delay between two redraws of the clock \n"
    "    -u            Update only what changed, for a serial console \n";

} // namespace

// The defaults themselves are checked on the real program's start (end to end).
TEST(Options, NoOptionsRunTheClock)
{
    FreshClock clock;
    Parsed p = parse(clock, {});
    EXPECT_EQ(p.run, 1);
    EXPECT_EQ(p.out, "");
    EXPECT_EQ(clock.state.show_seconds + clock.state.boxed + clock.state.centered +
                  clock.state.twelve_hour,
              0);
}

TEST(Options, FlagsSetTheirFields)
{
    FreshClock clock;
    EXPECT_EQ(parse(clock, {"-s", "-b", "-c", "-t", "-u"}).run, 1);
    EXPECT_EQ(clock.state.update_only, 1);
    EXPECT_EQ(clock.state.show_seconds, 1);
    EXPECT_EQ(clock.state.boxed, 1);
    EXPECT_EQ(clock.state.centered, 1);
    EXPECT_EQ(clock.state.twelve_hour, 1);
}

TEST(Options, ColourRange)
{
    for (auto [arg, expected] : std::vector<std::pair<std::string, int>>{
             {"8", 2}, {"-1", 2}, {"7", 7}, {"0", 0}, {"x", 0}}) {
        FreshClock clock;
        parse(clock, {"-C", arg});
        EXPECT_EQ(clock.state.color, expected) << "-C " << arg;
    }
    FreshClock clock;
    parse(clock, {"-C", "5", "-C", "9"});
    EXPECT_EQ(clock.state.color, 5) << "a rejected value keeps the last accepted one";
}

TEST(Options, DelayRange)
{
    for (auto [arg, expected] : std::vector<std::pair<std::string, int>>{
             {"1000000000", 40000000}, {"999999999", 999999999}, {"0", 0}, {"abc", 0},
             {"-5", 40000000}}) {
        FreshClock clock;
        parse(clock, {"-d", arg});
        EXPECT_EQ(clock.state.delay, expected) << "-d " << arg;
    }
}

TEST(Options, FormatIsStoredAndCutToTheBuffer)
{
    FreshClock clock;
    parse(clock, {"-f", "%A", "-f", "%d.%m."});
    EXPECT_STREQ(clock.state.date_format, "%d.%m.");

    std::string ninety_nine(99, 'a');
    FreshClock whole;
    parse(whole, {"-f", ninety_nine});
    EXPECT_EQ(std::string(whole.state.date_format), ninety_nine);

    FreshClock cut;
    parse(cut, {"-f", std::string(150, 'b')});
    EXPECT_EQ(std::string(cut.state.date_format), std::string(99, 'b'));
}

TEST(Options, InformationalOptionsAnswerAndStop)
{
    for (std::vector<std::string> args : {std::vector<std::string>{"-s", "-v"}, {"-v", "-s"}}) {
        FreshClock clock;
        Parsed p = parse(clock, args);
        EXPECT_EQ(p.run, 0);
        EXPECT_EQ(p.out, "tessavond 1.0.0\n");
    }
    FreshClock clock;
    Parsed info = parse(clock, {"-i"});
    EXPECT_EQ(info.run, 0);
    EXPECT_EQ(info.out.rfind("tessavond 1.0.0 : a terminal clock in big block digits, by ", 0), 0u);
    EXPECT_EQ(std::count(info.out.begin(), info.out.end(), '\n'), 1);
}

TEST(Options, UsageForHelpAndForErrors)
{
    for (std::vector<std::string> args :
         {std::vector<std::string>{"-h"}, {"-r"}, {"-x"}, {"-f"}, {"-s", "-d"}}) {
        FreshClock clock;
        Parsed p = parse(clock, args);
        EXPECT_EQ(p.run, 0);
        EXPECT_EQ(p.out, USAGE) << args.back();
    }
}
