#include "lookup/lib_frm_cons3_twips.h"

#include "platform/error.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <cmath>

namespace lookup::twips {
namespace {

// Each control keeps its twips in dynamic properties, so any widget can be placed this way.
constexpr const char *LeftProperty = "twipsLeft";
constexpr const char *TopProperty = "twipsTop";
constexpr const char *WidthProperty = "twipsWidth";
constexpr const char *HeightProperty = "twipsHeight";

double screenWidthOverride = 0;

double stored(const QWidget &control, const char *property, int pixels)
{
    const QVariant value = control.property(property);
    return value.isValid() ? value.toDouble() : pixels * perPixel;
}

int toPixels(double value)
{
    return int(std::lround(value / perPixel));
}

void place(QWidget &control)
{
    control.setGeometry(toPixels(left(control)), toPixels(top(control)),
                        std::max(0, toPixels(width(control))),
                        std::max(0, toPixels(height(control))));
}

// A size below zero is refused as the window system refuses it, so a layout rule that would
// make one skips that step.
void requireSize(double value)
{
    if (value < 0)
        throw platform::Error(380, QStringLiteral("Invalid property value"));
}

} // namespace

double left(const QWidget &control)
{
    return stored(control, LeftProperty, control.x());
}

double top(const QWidget &control)
{
    return stored(control, TopProperty, control.y());
}

double width(const QWidget &control)
{
    return stored(control, WidthProperty, control.width());
}

double height(const QWidget &control)
{
    return stored(control, HeightProperty, control.height());
}

void setLeft(QWidget &control, double value)
{
    control.setProperty(LeftProperty, value);
    place(control);
}

void setTop(QWidget &control, double value)
{
    control.setProperty(TopProperty, value);
    place(control);
}

void setWidth(QWidget &control, double value)
{
    requireSize(value);
    control.setProperty(WidthProperty, value);
    place(control);
}

void setHeight(QWidget &control, double value)
{
    requireSize(value);
    control.setProperty(HeightProperty, value);
    place(control);
}

double screenWidth()
{
    if (screenWidthOverride > 0)
        return screenWidthOverride;
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().width() * perPixel : 0;
}

void setScreenWidthForTesting(double value)
{
    screenWidthOverride = value;
}

} // namespace lookup::twips
