#pragma once

// Makes every control that paints itself known to screen readers through Qt's accessibility.
void InstallAccessibility();

class TControl;
// Tells screen readers that the focus inside Container (which has the keyboard focus) is on Item.
void AccessibleFocusMoved(TControl* Container, TControl* Item);
// Tells screen readers that what C shows changed: its name and value, and for a row of a list
// also its own name (a row is named after its text).
void AccessibleTextChanged(TControl* C);
