#pragma once
// What the search windows add to the shared page viewer they embed.

#include "viewer/viewerconfig.h"

namespace rida::viewer {
class ImageViewer;
}

namespace rida::lookup {

// Hooks with the viewer's messages and error reports going through the
// program's services; the window adds its own hooks (reopen, page modified).
viewer::ViewerHooks serviceHooks();

// Names a screen reader speaks for the viewer's controls that show no text:
// picture-only buttons by their hint, the scale box "화면비율", the brightness
// steps. Names the viewer already gives are kept.
void nameViewerControls(viewer::ImageViewer* viewer);

} // namespace rida::lookup
