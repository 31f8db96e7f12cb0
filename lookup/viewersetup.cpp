#include "lookup/viewersetup.h"

#include "ui/services.h"
#include "viewer/imageviewer.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QToolButton>

namespace rida::lookup {

viewer::ViewerHooks serviceHooks()
{
    viewer::ViewerHooks hooks;
    hooks.showMessage = [](QWidget* parent, const QString& text) { ui::services().showMessage(parent, text); };
    hooks.reportError = [](QWidget* parent, const QString& text) { ui::reportError(parent, text); };
    return hooks;
}

namespace {
void nameIfUnnamed(QWidget* w, const QString& name)
{
    if (w && w->accessibleName().isEmpty())
        w->setAccessibleName(name);
}
} // namespace

void nameViewerControls(viewer::ImageViewer* viewer)
{
    for (QAbstractButton* b : viewer->findChildren<QAbstractButton*>())
        if (b->text().isEmpty() && !b->toolTip().isEmpty())
            nameIfUnnamed(b, b->toolTip());
    nameIfUnnamed(viewer->ScaleCombo, QStringLiteral("화면비율"));
    nameIfUnnamed(viewer->SpinButtonFactorUp, QStringLiteral("명도 올림"));
    nameIfUnnamed(viewer->SpinButtonFactorDown, QStringLiteral("명도 내림"));
}

} // namespace rida::lookup
