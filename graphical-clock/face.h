// The analog clock face: sixty dots and three hands from whole-degree tables.
#pragma once

constexpr int FACE_CENTRE_X = 250;
constexpr int FACE_CENTRE_Y = 120;

extern float cos_table[360];
extern float sin_table[360];

void build_trig_tables();
// Angle in whole degrees (0 = 3 o'clock, clockwise) of each hand.
int face_second_hand_angle(int second);
int face_minute_hand_angle(int minute, int second);
int face_hour_hand_angle(int hour, int minute);
void draw_face(int hour, int minute, int second);
