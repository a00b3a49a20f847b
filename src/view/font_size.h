// Point sizes of the view font: the keypad steps and the size read back from the font dialog.
#pragma once

// The view's character height is sent in twips (points × 20) as a 16-bit quantity, and the overlay
// divides by the line height derived from the size, so the size stays within these bounds.
inline constexpr int kMinFontSize = 1;
inline constexpr int kMaxFontSize = 1638;

// size + delta, kept within the bounds (size itself may start outside them).
int StepFontSize(int size, int delta);

// The point size of a font of logical height lfHeight on a device of pixelsPerInch:
// 0.5 − lfHeight × 72 / pixelsPerInch truncated towards zero, which rounds the negative
// (character) heights the font dialog returns to the nearest point; kept within the bounds.
// A non-positive pixelsPerInch gives kMinFontSize.
int PointSizeFromHeight(long lfHeight, int pixelsPerInch);
