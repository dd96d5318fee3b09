// Finding items and their properties by path: "controlpanel.volumecontrol.volumeslider",
// "controlpanel._alpha". Slashes separate names as well as dots.
#pragma once

#include "display/properties.h"

#include <QStringView>

namespace zimo::display {

class Container;

// The item at a path of instance names below `root` ("" is the root itself), or null.
DisplayObject* findItem(Container& root, QStringView path);

// A property by path ("controlpanel._alpha"). A last name that is not a property and
// not an item may name a text field's variable: the field's text is returned.
PropertyValue readPath(Container& root, QStringView path, QPointF stageMouse = {});

// Sets a property by path; false when the item or property does not exist or the value
// does not fit.
bool writePath(Container& root, QStringView path, const PropertyValue& value);

} // namespace zimo::display
