#pragma once
// Names a screen reader speaks for controls that show no text of their own.

class QWidget;

namespace rida::lookup {

// Gives every picture-only button under `root` that has no accessible name
// its hint as the name.
void nameButtonsByHint(QWidget* root);

} // namespace rida::lookup
