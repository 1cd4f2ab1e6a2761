/* What the library's files share and callers do not see. */
#ifndef TERMSCREEN_INTERNAL_H
#define TERMSCREEN_INTERNAL_H

/* Notes that a read or a flush found the terminal gone (see term_gone). */
void term_mark_gone(void);

#endif
