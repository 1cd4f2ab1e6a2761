#include "face.h"

#include <math.h>

#include "display.h"
#include "draw.h"

float cos_table[360];
float sin_table[360];

// The factor uses 3.141592, not full-precision pi: the face's pixels depend on it
// (the cosine of 270 degrees comes out slightly negative, so hands at 12 end at x 249).
static constexpr double DEGREE = 3.141592 / 180;

static constexpr float DOT_RADIUS = 45.0f;

void build_trig_tables()
{
    for (int i = 0; i < 360; i++) {
        double a = (double)i * DEGREE;
        cos_table[i] = (float)cos(a);
        sin_table[i] = (float)sin(a);
    }
}

// Brings an angle into the tables' range; the loop's arguments never leave it.
static int wrap_angle(int a)
{
    while (a < 0)
        a += 360;
    return a % 360;
}

int face_second_hand_angle(int second)
{
    return wrap_angle((6 * second - 90) % 360);
}

int face_minute_hand_angle(int minute, int second)
{
    return wrap_angle(6 * minute + second / 10 - 90);
}

int face_hour_hand_angle(int hour, int minute)
{
    return wrap_angle((hour % 12) * 30 + minute / 2 - 90);
}

// The centre is added before truncating, unlike the dots.
static void draw_hand(int angle, float radius, float tail_factor, Uint16 colour)
{
    // Summed in float: the hands' pixels depend on it (the centre converts exactly).
    const float centre_x = FACE_CENTRE_X, centre_y = FACE_CENTRE_Y;
    int tip_x = (int)(cos_table[angle] * radius + centre_x);
    int tip_y = (int)(sin_table[angle] * radius + centre_y);
    int tail_x = (int)(cos_table[angle] * tail_factor + centre_x);
    int tail_y = (int)(sin_table[angle] * tail_factor + centre_y);
    draw_line(screen, tail_x, tail_y, tip_x, tip_y, colour);
}

void draw_face(int hour, int minute, int second)
{
    Uint16 red = (Uint16)SDL_MapRGB(screen->format, 255, 0, 0);
    Uint16 white = (Uint16)SDL_MapRGB(screen->format, 255, 255, 255);
    bool locked = SDL_MUSTLOCK(screen);
    if (locked)
        SDL_LockSurface(screen);

    for (int i = 0; i < 60; i++) {
        int d = 6 * i;
        // The product is truncated toward zero before the centre is added.
        int x = FACE_CENTRE_X + (int)(cos_table[d] * DOT_RADIUS);
        int y = FACE_CENTRE_Y + (int)(sin_table[d] * DOT_RADIUS);
        put_pixel(screen, x, y, i % 5 == 0 ? red : white);
    }
    draw_hand(face_second_hand_angle(second), 38.0f, -10.0f, white);
    draw_hand(face_minute_hand_angle(minute, second), 34.0f, -10.0f, white);
    draw_hand(face_hour_hand_angle(hour, minute), 30.0f, -5.0f, white);

    if (locked)
        SDL_UnlockSurface(screen);
}
