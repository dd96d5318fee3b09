// Hit tests on the stage and the rule that picks the item a press goes to.
#pragma once

#include "display/display_object.h"

namespace zimo::display {

class Container;

// The item's box on the stage (its content box mapped through every placement above it);
// null when it has no content.
QRectF stageBounds(const DisplayObject& item);

// hitTest(x, y, false): the point lies in the item's box on the stage.
bool hitTestBox(const DisplayObject& item, QPointF stagePoint);

// hitTest(x, y, true): the item's filled content covers the point, whatever its colours;
// an item that is not visible on the stage covers nothing.
bool hitTestShape(const DisplayObject& item, QPointF stagePoint);

// The item a press at a stage point goes to: the topmost item that takes presses and
// whose content covers the point, looking through every item that does not take them.
// Invisible items and everything inside them take none; masks limit what they cover.
// A button with a hit area takes presses of its own. Null when no item takes the press.
DisplayObject* pressTarget(Container& root, QPointF stagePoint);

} // namespace zimo::display
