#pragma once

#include <QStringList>
#include <memory>

namespace lookup {

// A collection of texts that the lookup service, its caller and a dialog hold by reference, as
// they share one collection object: a null pointer stands for "nothing".
using StringCollection = std::shared_ptr<QStringList>;

inline StringCollection newStringCollection()
{
    return std::make_shared<QStringList>();
}

} // namespace lookup
