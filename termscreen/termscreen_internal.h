/* What the library's files share and callers do not see. */
#ifndef TERMSCREEN_INTERNAL_H
#define TERMSCREEN_INTERNAL_H

/* Notes that a read or a flush found the terminal gone (see term_gone). */
void term_mark_gone(void);
/* The same for a failed read or write, unless its error is a passing one
 * (nothing to read yet in non-blocking mode, or a signal). */
void term_note_error(int error);

/* Whether a flush must switch O_NONBLOCK off: standard output may share its
 * open file with non-blocking input (decided by screen_init; 1 before it). */
int term_flush_unblocks(void);

#endif
