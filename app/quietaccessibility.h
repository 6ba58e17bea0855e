#pragma once

// Until a screen reader or UI-automation tool listens, Qt still builds and keeps an
// accessibility interface for every widget that reports a change (a text set, a page
// enabled): a few hundred of them on the first Open, for nobody. This puts a placeholder in
// each one's place until then, and drops the placeholders when the first tool starts
// listening, so that it gets the real interfaces. Call once, before the window is made.
void deferAccessibilityInterfaces();

class QWidget;
// Puts the placeholders (or, with a tool listening, the real interfaces) in place for the
// window's widgets now, as part of making the window: made on the first Open instead, when
// its pages are enabled and its boxes filled, they would cost it a quarter of its time.
void prepareAccessibility(QWidget &window);
