#pragma once

// Tells screen readers about the five controls: the calendar's days, the gauge's value, the colour
// grid's squares, the graph's latest sample and the outline's items (through the platform).
void RegisterControlsAccessibility();
