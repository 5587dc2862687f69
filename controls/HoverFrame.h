#pragma once
// Which frame of its face strip a hover button draws (frame k starts at k x frame width).
//   four frames: normal, hover, on, pressed
//   six frames:  off normal, off hover, off pressed, on normal, on hover, on pressed
// Pressed wins over hovering; a four-frame button shows "on" only when neither applies.
int HoverButtonFrame(bool sixFrames, bool on, bool pressed, bool hovering);
