#pragma once
// The test build of the views tells the test's customer, outside the host,
// what a person reads off the screen and a program could only read by OCR:
// where each control of a window is and the digits its picture shows. It
// writes that as the X property KORVADEN_WINDOW of the window, kept up to
// date as the window changes. The shipped build tells nothing, and no digit
// of a key reaches a widget's text or the accessibility tree in either build.
#include <gtk/gtk.h>

#include <chrono>
#include <functional>
#include <string>

namespace korvaden::gtk {

#ifdef KORVADEN_SHOWS_DIGITS_TO_TESTS
inline constexpr bool kShowsDigitsToTests = true;
#else
inline constexpr bool kShowsDigitsToTests = false;
#endif

void ExposeToTests(GtkWidget* window, std::function<std::string()> describe);

// The countdowns' second: one second, but in the test build what
// KORVADEN_TEST_SECOND_MS says, so that a test sees a countdown run out.
std::chrono::milliseconds CountdownSecond();

// "X Y WIDTH HEIGHT" of the widget on its window's surface, in pixels.
std::string PlaceOnSurface(GtkWidget* widget);

}  // namespace korvaden::gtk
