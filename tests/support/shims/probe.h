/* The clock shim's probe: calls that only the shim answers, each through one
 * of the entry points the program uses to set the clocks. A test runs them,
 * built as the programs are (64-bit time_t), in front of the same preload, and
 * lets a program save only when all three are answered: on a platform whose
 * C library routes these calls to other names (__clock_settime64,
 * __ioctl_time64, __mktime64 on 32-bit targets), a shim that misses one is
 * seen at once, instead of a real clock being set. */
#ifndef CLOCK_SHIM_PROBE_H
#define CLOCK_SHIM_PROBE_H

#define PROBE_CLOCK 0x7e57           /* no real clock has this id */
#define PROBE_IOCTL 0x7e57u          /* no real request has this number */
#define PROBE_YEAR (-0x7e57)         /* tm_year of the mktime probe */
#define PROBE_ANSWER 0x7e57          /* what the shim answers */

#endif
