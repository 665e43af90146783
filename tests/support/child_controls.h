#pragma once

#include <QString>
#include <QWidget>
#include <stdexcept>
#include <string>

namespace testing_support {

// The control of that object name inside the window, as a user's script finds it; a missing one
// fails the test that asked for it rather than crashing the binary.
template<typename Control>
Control *child(const QWidget &window, const char *name)
{
    if (auto *found = window.findChild<Control *>(QLatin1String(name)))
        return found;
    throw std::logic_error(std::string("no control named ") + name);
}

} // namespace testing_support
