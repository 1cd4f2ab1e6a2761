/* What the library's files share and callers do not see. */
#ifndef TERMSCREEN_INTERNAL_H
#define TERMSCREEN_INTERNAL_H

#include <stdint.h>

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

/* The low 8 bits of n as one to three decimal digits, NUL-terminated. */
void term_decimal_text(int n, char text[4]);
/* CUP to (row, col), 0-based (term_goto's), written through put. */
void term_write_position(int row, int col, int (*put)(const char *));

/* The SGR sequence of the attribute word's low 16 bits (term_set_attr's),
 * written through put. */
void term_write_rendition(uint32_t attr, int (*put)(const char *));

/* Update mode (screen_image.cpp). term_image_start: a drawn image of the
 * size, blank, and the terminal's content unknown, so the next flush
 * writes the whole image. term_image_feed: one byte of the library's output
 * drawn into it; the byte. term_image_write: the cells that differ from what
 * the terminal shows, written out, and the modes as drawn. Each does
 * nothing (and the feed writes the byte) outside update mode. */
void term_image_start(int rows, int cols);
int term_image_feed(int ch);
void term_image_write(void);

#endif
