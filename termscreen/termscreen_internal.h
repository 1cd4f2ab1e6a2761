/* What the library's files share and callers do not see. */
#ifndef TERMSCREEN_INTERNAL_H
#define TERMSCREEN_INTERNAL_H

/* The control bytes that switch to the line-drawing set (G1) and back to
 * text (G0). */
enum { SHIFT_OUT = 0x0E, SHIFT_IN = 0x0F };

/* Notes a failed read or write: the terminal has gone (see term_gone),
 * unless the error is a passing one (nothing to read yet in non-blocking
 * mode, or a signal). End of file is noted as EIO. */
void term_note_error(int error);

/* Makes fd, standard input, read keys through a private open file of the
 * same terminal where there is one, and decides whether a flush must switch
 * O_NONBLOCK off (standard output sharing its open file with non-blocking
 * input). Clears term_gone. */
void term_open_input(int fd);

#endif
