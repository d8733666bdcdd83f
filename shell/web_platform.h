// What the browser's platform files share among themselves. Internal to
// shell/ and only built for the browser.
#pragma once

// Runs the steps of background work that has some, in turn, until the work
// runs out or `seconds` have passed (web_work.cpp).
void RunBackgroundWork(double seconds);

// Milliseconds on the page's high-resolution clock.
double PageClockMillis();
