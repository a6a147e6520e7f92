#pragma once

// Makes every control that paints itself known to screen readers through Qt's accessibility.
void InstallAccessibility();
