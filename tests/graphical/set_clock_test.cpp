// set_clock itself, run with the clock shim preloaded: results and records.
#include <gtest/gtest.h>

#include "civil_time.h"

#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "process.h"
#include "shims/probe.h"
#include "set_clock.h"

namespace {

class SetClockResult : public ::testing::Test {
protected:
    std::string log_path;
    void SetUp() override
    {
        // Never reach the real clocks: without the shim in front of every entry
        // point this program calls, and without the privilege to set the clock
        // should one escape it, test nothing.
        ASSERT_EQ(drop_clock_privilege(), 0);
        struct timespec ts = {};
        struct tm probe = {};
        probe.tm_year = PROBE_YEAR;
        ASSERT_EQ(clock_settime(PROBE_CLOCK, &ts), PROBE_ANSWER) << "needs the clock shim preloaded";
        ASSERT_EQ(ioctl(-1, PROBE_IOCTL, nullptr), PROBE_ANSWER);
        ASSERT_EQ(mktime(&probe), (time_t)PROBE_ANSWER);
        log_path = make_temp_dir() + "/log";
        setenv("SHIM_LOG", log_path.c_str(), 1);
        setenv("TZ", "Asia/Tokyo", 1);
        tzset();
        unsetenv("SHIM_RTC");
        unsetenv("SHIM_MKTIME");
    }
    void TearDown() override { unlink(log_path.c_str()); }
    time_t tokyo_ten() const { return utc_time(2011, 3, 9, 1, 0, 0); } // 10:00 in Tokyo
};

} // namespace

TEST_F(SetClockResult, SuccessSetsBothClocks)
{
    EXPECT_EQ(set_clock(tokyo_ten()), 0);
    EXPECT_EQ(read_file(log_path), "clock_settime clock=0 sec=1299632400\n"
                                   "open /dev/rtc0 flags=2\n"
                                   "ioctl 0x4024700a rtc 111-2-9 1:0:0 wday=0 yday=0 isdst=0\n"
                                   "close rtc\n");
}

TEST_F(SetClockResult, RefusedTimeIsAFailure)
{
    setenv("SHIM_RTC", "refuse", 1);
    EXPECT_EQ(set_clock(tokyo_ten()), -1);
    EXPECT_NE(read_file(log_path).find("close rtc"), std::string::npos);
}

TEST_F(SetClockResult, MissingDeviceIsAFailure)
{
    setenv("SHIM_RTC", "noopen", 1);
    EXPECT_EQ(set_clock(tokyo_ten()), -1);
    EXPECT_EQ(read_file(log_path), "clock_settime clock=0 sec=1299632400\nopen /dev/rtc0 flags=2\n");
}

// The instant is saved as it is: no conversion from local time can fail.
TEST_F(SetClockResult, NeedsNoLocalTimeConversion)
{
    setenv("SHIM_MKTIME", "fail", 1);
    EXPECT_EQ(set_clock(tokyo_ten()), 0);
    EXPECT_EQ(read_file(log_path).substr(0, 37), "clock_settime clock=0 sec=1299632400\n");
}

// A year beyond what the hardware clock's record can hold sets nothing.
TEST_F(SetClockResult, InstantTheRecordCannotHoldSetsNothing)
{
    errno = 0;
    EXPECT_EQ(set_clock((time_t)INT64_MAX), SET_CLOCK_NOT_SET);
    EXPECT_EQ(errno, EOVERFLOW);
    EXPECT_EQ(read_file(log_path), "");
}

TEST(SetClockNotice, WordsForWhatTheSaveDid)
{
    struct Case {
        int result, error;
        const char *notice;
    };
    const Case cases[] = {
        {SET_CLOCK_SAVED, 0, nullptr},
        {SET_CLOCK_RTC_FAILED, ENOENT, NOTICE_RTC_NOT_SET},
        {SET_CLOCK_NOT_SET, EPERM, NOTICE_NO_PERMISSION},
        {SET_CLOCK_NOT_SET, EACCES, NOTICE_NO_PERMISSION},
        {SET_CLOCK_NOT_SET, EINVAL, NOTICE_REFUSED},
        {SET_CLOCK_NOT_SET, EOVERFLOW, NOTICE_REFUSED},
    };
    for (const Case &c : cases)
        EXPECT_EQ(set_clock_notice(c.result, c.error), c.notice) << c.result << " " << c.error;
    EXPECT_STREQ(NOTICE_NO_PERMISSION, "Time not saved: no permission to set the clock");
}
