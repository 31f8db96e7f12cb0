#include "viewerconfig.h"

namespace rida::viewer {

namespace {
const QStringList kLookupScales = {"20%",  "25%",  "50%",  "60%",  "75%",   "80%",  "100%",
                                   "200%", "300%", "400%", "800%", "1600%", "2000%"};
QStringList registrationScales()
{
    return QStringList{"5%", "10%", "15%"} + kLookupScales;
}
} // namespace

ViewerConfig ViewerConfig::lookup()
{
    ViewerConfig c;
    c.background = windowColour(6772568);
    c.panPressCursor = Qt::PointingHandCursor;
    c.panReleaseCursor = Qt::PointingHandCursor;
    c.scaleList = kLookupScales;
    c.menu = {MenuCommand::Reopen, MenuCommand::Magnifier, MenuCommand::Marker,   MenuCommand::Apply,
              MenuCommand::Cancel, MenuCommand::Rotate90,  MenuCommand::Rotate180};
    c.smoothing = c.magnifier = c.magnifierPanel = c.cancelButton = c.marker = c.apply = true;
    c.brightness = c.rotation = true;
    c.functionKeys = c.scaleStepKeys = true;
    return c;
}

ViewerConfig ViewerConfig::modify()
{
    ViewerConfig c;
    c.background = windowColour(6772568);
    c.panPressCursor = Qt::PointingHandCursor;
    c.panReleaseCursor = Qt::PointingHandCursor;
    c.scaleList = kLookupScales;
    return c;
}

ViewerConfig ViewerConfig::registration()
{
    ViewerConfig c;
    c.scaleList = registrationScales();
    c.scaleLabel = QStringLiteral("화면비율");
    c.menu = {MenuCommand::Magnifier, MenuCommand::CancelMagnifier, MenuCommand::Rotate90, MenuCommand::Rotate180};
    c.smoothing = c.magnifier = c.magnifierSlider = c.magnifierCaption = c.cancelButton = true;
    c.magnifierPanelCaption = QStringLiteral("돋보기"); // the panel is never shown here
    c.smoothingFirst = true;
    c.rotation = c.rotationCaptions = true;
    c.scaleStepKeys = true;
    return c;
}

ViewerConfig ViewerConfig::autoRegistration()
{
    ViewerConfig c;
    c.pageCursor = Qt::CrossCursor;
    c.panPressCursor = Qt::PointingHandCursor;
    c.panReleaseCursor = Qt::CrossCursor;
    c.scaleList = registrationScales();
    c.reportPressPoint = true;
    return c;
}

} // namespace rida::viewer
