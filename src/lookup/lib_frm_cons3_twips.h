#pragma once

class QWidget;

// Window and control geometry in twips, the unit of every size and position the lookup dialogs
// compute. A control keeps the twips it was given (so a width set and read back is exact); its
// widget follows at 15 twips per pixel.
namespace lookup::twips {

inline constexpr double perPixel = 15.0;

double left(const QWidget &control);
double top(const QWidget &control);
double width(const QWidget &control);
double height(const QWidget &control);

void setLeft(QWidget &control, double value);
void setTop(QWidget &control, double value);
void setWidth(QWidget &control, double value);
void setHeight(QWidget &control, double value);

// Width of the screen the dialogs open on. A test may fix it; a value of 0 or less goes back to
// the real screen.
double screenWidth();
void setScreenWidthForTesting(double value);

} // namespace lookup::twips
