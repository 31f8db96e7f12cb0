#include "image/codec.h"
#include "image/transform.h"
#include "tests/support/fakeservices.h"
#include "tests/viewer/harness.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSlider>

#include <cmath>

using namespace rida;
using namespace rida::viewer;
using namespace rida::viewer::testing;
using image::argb;
using image::redOf;

TEST(PageTools, EveryCommandButCancelDoesNothingOnAnEmptyPage)
{
    Harness h;
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"magnifier", [&] { h.viewer->toggleMagnifier(); }}, {"marker", [&] { h.viewer->placeMarker(); }},
        {"apply", [&] { h.viewer->applySelection(); }},      {"rotate 90", [&] { h.viewer->rotate90(); }},
        {"rotate 180", [&] { h.viewer->rotate180(); }},      {"brighter", [&] { h.viewer->brightnessUp(); }},
        {"darker", [&] { h.viewer->brightnessDown(); }},     {"reopen", [&] { h.viewer->reopenCommand(); }},
    };
    for (const auto& [name, run] : commands) {
        SCOPED_TRACE(name);
        run();
        EXPECT_TRUE(h.view().page().empty());
        EXPECT_TRUE(h.view().layers().empty());
        EXPECT_TRUE(h.viewer->panAllowed);
        EXPECT_EQ(h.modified, 0);
        EXPECT_TRUE(h.messages.isEmpty());
        EXPECT_EQ(h.reopened, 0);
        EXPECT_EQ(h.viewer->brightnessField->text(), "0");
    }
}

TEST(PageTools, MarkerShowsItsMessageAndChangesNothing)
{
    Harness h;
    h.setPage(flatPage(10, 10, argb(255, 1, 2, 3)));
    QTest::mouseClick(h.viewer->markerButton, Qt::LeftButton);
    ASSERT_EQ(h.messages.size(), 1);
    EXPECT_EQ(h.messages[0], "지정한 마커를 찾을 수 없습니다! 환경을 설정하십시오.");
    EXPECT_EQ(h.view().page().pixel(5, 5), argb(255, 1, 2, 3));
    EXPECT_EQ(h.modified, 0);
}

TEST(PageTools, ApplyBurnsA640PixelMagnifierAt50Percent)
{
    Harness h;
    h.setPage(flatPage(2000, 2000, argb(255, 128, 128, 128)));
    h.viewer->selectScaleEntry(2);
    h.viewer->toggleMagnifier();
    const image::RectF at = h.magnifiers()[0]->location;
    ASSERT_DOUBLE_EQ(at.width(), 640.0);
    QTest::mouseClick(h.viewer->applyButton, Qt::LeftButton);

    EXPECT_TRUE(h.view().layers().empty());
    EXPECT_EQ(h.viewer->rubberBand, nullptr);
    EXPECT_EQ(h.viewer->selection, nullptr);
    EXPECT_TRUE(h.viewer->panAllowed);
    EXPECT_EQ(h.modified, 1);
    const image::Bitmap& page = h.view().page();
    ASSERT_EQ(page.width(), 2000);
    const int left = int(at.left), top = int(at.top), mid = int(at.top) + 320;
    // Rings one page pixel wide: grey 128 lightened by alpha 179, darkened by alpha 89.
    EXPECT_NEAR(redOf(page.pixel(left, mid)), 128 + (127 * 179 + 127) / 255, 1);
    EXPECT_NEAR(redOf(page.pixel(left + 639, mid)), 128 * (255 - 89) / 255, 1);
    EXPECT_EQ(redOf(page.pixel(left + 640, mid)), 128); // just outside
    EXPECT_EQ(redOf(page.pixel(left - 1, mid)), 128);
    EXPECT_NEAR(redOf(page.pixel(left + 320, top)), 128 + (127 * 179 + 127) / 255, 1);
}

// The burnt magnifier is worked out from the page's own pixels: one-pixel
// stripes, which the view at 50 % cannot show, come out enlarged inside it
// exactly as the page magnified at full resolution gives them.
TEST(PageTools, ApplyDrawsTheMagnifierFromThePageAtFullResolution)
{
    Harness h;
    image::Bitmap original = makePage(
        2000, 2000, [](int x, int y) { return (x + y / 3) % 2 ? argb(255, 255, 0, 0) : argb(255, 0, 0, 255); });
    h.setPage(image::Bitmap(original));
    h.viewer->selectScaleEntry(2); // 50 %
    h.viewer->toggleMagnifier();
    const image::RectF at = h.magnifiers()[0]->location;
    h.viewer->applySelection();

    const image::RectI rect{int(std::lround(at.left)), int(std::lround(at.top)), int(std::lround(at.right)),
                            int(std::lround(at.bottom))};
    const int w = rect.width(), hgt = rect.height();
    image::Bitmap T(w, hgt);
    T.fill(0);
    const double hw = w / 2.0, hh = hgt / 2.0;
    image::Affine t;
    t.translate(-rect.left, -rect.top).translate(-hw, -hh).scale(std::pow(10.0, 10 / 50.0)).rotate(0).translate(hw, hh);
    image::transformFill(T, original, t, {at.left - hh, at.top - hw, at.right + hh, at.bottom + hw},
                         image::Resampler::Nearest);
    const image::Bitmap& page = h.view().page();
    int differing = 0;
    for (int y = 5; y < hgt - 5; ++y) // inside the bevel
        for (int x = 5; x < w - 5; ++x)
            differing += (page.pixel(rect.left + x, rect.top + y) & 0x00FFFFFFu) != (T.pixel(x, y) & 0x00FFFFFFu);
    EXPECT_EQ(differing, 0);
    EXPECT_EQ(page.pixel(rect.left - 1, rect.top + 100), original.pixel(rect.left - 1, rect.top + 100));
}

TEST(PageTools, ApplyWithoutLayersKeepsAnIdenticalPage)
{
    Harness h;
    h.setPage(makePage(30, 20, [](int x, int y) { return argb(255, x, y, 7); }));
    h.viewer->panAllowed = false;
    h.viewer->applySelection();
    EXPECT_TRUE(h.viewer->panAllowed);
    EXPECT_EQ(h.modified, 1);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(h.view().page().pixel(x, y), argb(255, x, y, 7));
}

TEST(PageTools, CancelRemovesOnlyTheSelectedMagnifier)
{
    Harness h;
    h.setPage(flatPage(3000, 3000, argb(255, 255, 255, 255)));
    h.viewer->toggleMagnifier();
    ui::Layer* first = h.magnifiers()[0];
    h.viewer->toggleMagnifier();
    ASSERT_EQ(h.magnifiers().size(), 2u);
    QTest::keyClick(&h.window, Qt::Key_F6);
    ASSERT_EQ(h.magnifiers().size(), 1u);
    EXPECT_EQ(h.magnifiers()[0], first);
    EXPECT_TRUE(h.viewer->panAllowed);
    EXPECT_EQ(h.viewer->selection, nullptr);
    QTest::mouseClick(h.viewer->cancelButton, Qt::LeftButton); // nothing selected: nothing happens
    EXPECT_EQ(h.magnifiers().size(), 1u);
}

TEST(PageTools, RotatingAnA4PageByNinetyDegrees)
{
    Harness h;
    h.setPage(makePage(2480, 3508, [](int x, int y) { return y == 0 ? argb(255, x & 255, x >> 8, 77) : 0xFF000000u; }));
    h.viewer->toggleMagnifier();
    const image::RectF at = h.magnifiers()[0]->location;
    QTest::mouseClick(h.viewer->rotate90Button, Qt::LeftButton);
    const image::Bitmap& page = h.view().page();
    ASSERT_EQ(page.width(), 3508);
    ASSERT_EQ(page.height(), 2480);
    for (int x = 0; x < 2480; x += 97)
        ASSERT_EQ(page.pixel(3507, x), argb(255, x & 255, x >> 8, 77)) << x; // former top row, right-most column
    EXPECT_EQ(page.pixel(3506, 5), 0xFF000000u);
    EXPECT_EQ(h.magnifiers()[0]->location, at); // layers keep their page coordinates
    EXPECT_EQ(h.modified, 0);
    QTest::mouseClick(h.viewer->rotate180Button, Qt::LeftButton);
    EXPECT_EQ(h.view().page().pixel(0, 2479 - 5), argb(255, 5, 0, 77));
}

TEST(PageTools, BrightnessStepsCountAndClamp)
{
    Harness h;
    h.setPage(flatPage(2, 2, argb(255, 253, 10, 128)));
    QTest::mouseClick(h.viewer->brightnessDownButton, Qt::LeftButton); // at 0: nothing
    EXPECT_EQ(h.viewer->brightnessField->text(), "0");
    EXPECT_EQ(h.view().page().pixel(0, 0), argb(255, 253, 10, 128));
    EXPECT_EQ(h.modified, 0);

    QTest::mouseClick(h.viewer->brightnessUpButton, Qt::LeftButton);
    EXPECT_EQ(h.viewer->brightnessField->text(), "1");
    EXPECT_EQ(h.view().page().pixel(1, 1), argb(255, 255, 15, 133));
    EXPECT_EQ(h.modified, 1);
    QTest::mouseClick(h.viewer->brightnessDownButton, Qt::LeftButton);
    EXPECT_EQ(h.viewer->brightnessField->text(), "0");
    EXPECT_EQ(h.view().page().pixel(1, 1), argb(255, 250, 10, 128));
    EXPECT_EQ(h.modified, 2);
}

TEST(PageTools, ReopenCallsTheWindowAndFocusesTheScaleBox)
{
    Harness h;
    h.setPage(flatPage(10, 10, argb(255, 1, 2, 3)));
    h.viewer->applyButton->setFocus();
    h.viewer->reopenCommand();
    EXPECT_EQ(h.reopened, 1);
    EXPECT_TRUE(h.viewer->scaleBox->hasFocus() || h.viewer->scaleBox->lineEdit()->hasFocus());
}

TEST(PageTools, MenusPerWindow)
{
    auto texts = [](QMenu* m) {
        QStringList out;
        for (QAction* a : m->actions())
            out << a->text();
        return out;
    };
    Harness lookup;
    EXPECT_EQ(texts(lookup.viewer->pageMenu), QStringList({"다시 열기", "돋보기 실행", "마커 실행", "기능 적용",
                                                           "기능 취소", "90˚ 회전", "180˚ 회전"}));

    Harness reg(ViewerConfig::registration(), /*withCancelHook=*/true);
    EXPECT_EQ(texts(reg.viewer->pageMenu), QStringList({"돋보기 실행", "돋보기 취소", "90˚ 회전", "180˚ 회전"}));
    EXPECT_EQ(reg.viewer->markerButton, nullptr);
    EXPECT_EQ(reg.viewer->brightnessField, nullptr);
    reg.setPage(flatPage(1000, 1000, argb(255, 255, 255, 255)));
    reg.viewer->toggleMagnifier();
    QTest::mouseClick(reg.viewer->cancelButton, Qt::LeftButton); // rebound to the window's own command
    reg.viewer->pageMenu->actions()[1]->trigger();
    EXPECT_EQ(reg.cancels, 2);
    EXPECT_EQ(reg.magnifiers().size(), 1u);
    EXPECT_FALSE(reg.viewer->panAllowed);
    EXPECT_EQ(reg.viewer->magnificationSlider->parentWidget(), reg.viewer); // on the bar

    Harness none(ViewerConfig::modify());
    EXPECT_TRUE(none.viewer->pageMenu->actions().isEmpty());
    EXPECT_EQ(none.viewer->magnifierButton, nullptr);
}

TEST(PageTools, SmoothingSwitchesTheResamplerAndKeepsItForTheNextPage)
{
    Harness h;
    h.setPage(flatPage(10, 10, argb(255, 1, 2, 3)));
    QTest::mouseClick(h.viewer->smoothingBox, Qt::LeftButton);
    EXPECT_EQ(h.view().resampler(), image::Resampler::Linear);
    h.setPage(flatPage(20, 20, argb(255, 1, 2, 3)));
    EXPECT_EQ(h.view().resampler(), image::Resampler::Linear);
    QTest::mouseClick(h.viewer->smoothingBox, Qt::LeftButton);
    EXPECT_EQ(h.view().resampler(), image::Resampler::Nearest);
}

TEST(Services, WithoutHooksMessagesAndErrorsGoToTheApplicationsServices)
{
    test::ScopedFakeServices fake;
    QWidget window;
    auto* viewer = new ImageViewer(ViewerConfig::lookup(), {}, &window);
    window.show();
    viewer->resetPanMode();
    viewer->imageView->setPage(flatPage(50, 50, argb(255, 1, 2, 3)));
    viewer->placeMarker();
    ASSERT_EQ(fake->messages.size(), 1);
    EXPECT_EQ(fake->messages[0].text, "지정한 마커를 찾을 수 없습니다! 환경을 설정하십시오.");
    EXPECT_EQ(fake->messages[0].icon, ui::MessageIcon::None);

    viewer->scaleBox->lineEdit()->selectAll();
    viewer->scaleBox->lineEdit()->del();
    viewer->toggleMagnifier(); // no integer in the scale box: the general error report
    ASSERT_EQ(fake->messages.size(), 2);
    EXPECT_EQ(fake->messages[1].icon, ui::MessageIcon::Error);
}

TEST(LoadPage, AnUnreadableFileLeavesAnEmptyPageAndThrows)
{
    Harness h;
    h.setPage(flatPage(40, 40, argb(255, 1, 2, 3)));
    const QString path = QDir::temp().filePath("rida_viewer_not_an_image.jpg");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("this is text, not a scanned page");
    }
    EXPECT_THROW(h.viewer->loadPage(path), image::ImageError);
    EXPECT_TRUE(h.view().page().empty());
    h.frame(); // an empty page paints the background only
    EXPECT_EQ(h.view().backBuffer().pixel(5, 5), argb(255, 88, 87, 103));

    // A page written by the program itself reads back.
    image::saveBmp32(QFile::encodeName(path).toStdString(), flatPage(30, 20, argb(255, 9, 8, 7)));
    h.viewer->loadPage(path);
    EXPECT_EQ(h.view().page().width(), 30);
    EXPECT_EQ(h.view().page().pixel(29, 19), argb(255, 9, 8, 7));
    QFile::remove(path);
}

TEST(ViewerControls, EveryControlHasANameAScreenReaderSpeaks)
{
    for (const ViewerConfig& config : {ViewerConfig::lookup(), ViewerConfig::modify(), ViewerConfig::registration(),
                                       ViewerConfig::autoRegistration()}) {
        ImageViewer viewer(config, {});
        for (QWidget* w : viewer.findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                                 qobject_cast<QLineEdit*>(w) || qobject_cast<QSlider*>(w) || w == viewer.imageView;
            if (!control || qobject_cast<QLineEdit*>(w->parentWidget()) || qobject_cast<QComboBox*>(w->parentWidget()))
                continue;
            const auto* b = qobject_cast<QAbstractButton*>(w);
            const bool spoken = !w->accessibleName().isEmpty() || (b && !b->text().isEmpty());
            EXPECT_TRUE(spoken) << w->objectName().toStdString() << " " << w->metaObject()->className();
        }
        // A shown caption of the scale box is its label.
        for (QLabel* label : viewer.findChildren<QLabel*>()) {
            if (label->text() == config.scaleLabel) {
                EXPECT_EQ(label->buddy(), viewer.scaleBox);
            }
        }
    }
}

TEST(ViewerControls, RegistrationBarOrder)
{
    ImageViewer viewer(ViewerConfig::registration(), {});
    auto* bar = viewer.scaleBox->parentWidget();
    QList<QWidget*> shown;
    for (QWidget* w : bar->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (w == viewer.scaleBox || w == viewer.smoothingBox || w == viewer.magnifierButton ||
            w == viewer.cancelButton || w == viewer.magnificationSlider)
            shown << w;
    viewer.resize(900, 600);
    viewer.show();
    std::sort(shown.begin(), shown.end(), [](QWidget* a, QWidget* b) { return a->x() < b->x(); });
    EXPECT_EQ(shown, (QList<QWidget*>{viewer.scaleBox, viewer.smoothingBox, viewer.magnifierButton,
                                      viewer.magnificationSlider, viewer.cancelButton}));
}

namespace {
// The text a label beside `field` shows, empty when none names it.
QString labelOf(const QWidget* field)
{
    for (const QLabel* l : field->window()->findChildren<QLabel*>())
        if (l->buddy() == field)
            return l->text();
    return {};
}
QString captionOf(const QWidget* w)
{
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    return {};
}
} // namespace

// Every tool of both bars with its caption (or the label beside it) and hint,
// as the user reads them, and the lookup bar's order from left to right.
TEST(ViewerControls, CaptionsHintsAndOrderOfBothBars)
{
    ImageViewer lookup(ViewerConfig::lookup(), {});
    struct Row {
        QWidget* control;
        const char* caption; // or the label that names it
        const char* hint;
    };
    const Row lookupRows[] = {
        {lookup.magnifierButton, "", "돋보기 활성화"},
        {lookup.magnifierSettingsButton, "", "돋보기 환경"},
        {lookup.markerButton, "마커", "마커 활성화"},
        {lookup.applyButton, "적용", "활성화 된 기능 적용"},
        {lookup.cancelButton, "취소", "활성화 된 기능 취소"},
        {lookup.smoothingBox, "화면보정", "화면을 부드럽게 필터링"},
        {lookup.brightnessField, "명도:", "이미지 명도 조절"},
        {lookup.rotate90Button, "", "90도 회전"},
        {lookup.rotate180Button, "", "180도 회전"},
        {lookup.magnificationSlider, "배율 :", "돋보기 배율 조절"},
        {lookup.opacitySlider, "투명 :", "돋보기 투명도 조절"},
        {lookup.rotationSlider, "회전 :", "돋보기 영역 회전"},
        {lookup.magnifierSmoothingBox, " 부드럽게", "돋보기 영역을 부드럽게 필터링"},
    };
    for (const Row& r : lookupRows) {
        SCOPED_TRACE(r.hint);
        const QString shown = qobject_cast<QAbstractButton*>(r.control) ? captionOf(r.control) : labelOf(r.control);
        EXPECT_EQ(shown, QString::fromUtf8(r.caption));
        EXPECT_EQ(r.control->toolTip(), QString::fromUtf8(r.hint));
    }
    EXPECT_EQ(lookup.magnifierPanel->title(), QStringLiteral("돋보기 조절"));
    EXPECT_EQ(lookup.brightnessField->text(), QStringLiteral("0"));
    EXPECT_TRUE(lookup.brightnessField->isReadOnly());

    lookup.resize(1100, 600);
    lookup.show();
    QList<QWidget*> bar = {lookup.scaleBox,       lookup.magnifierButton, lookup.magnifierSettingsButton,
                           lookup.markerButton,   lookup.applyButton,     lookup.cancelButton,
                           lookup.smoothingBox,   lookup.brightnessField, lookup.brightnessUpButton,
                           lookup.rotate90Button, lookup.rotate180Button};
    QList<QWidget*> sorted = bar;
    std::stable_sort(sorted.begin(), sorted.end(), [](QWidget* a, QWidget* b) {
        return a->mapTo(a->window(), QPoint()).x() < b->mapTo(b->window(), QPoint()).x();
    });
    EXPECT_EQ(sorted, bar);

    ImageViewer registration(ViewerConfig::registration(), {});
    const Row registrationRows[] = {
        {registration.rotate90Button, "90˚", "90도 회전"},
        {registration.rotate180Button, "180˚", "180도 회전"},
        {registration.smoothingBox, "화면보정", "화면을 부드럽게 필터링"},
    };
    for (const Row& r : registrationRows) {
        SCOPED_TRACE(r.hint);
        EXPECT_EQ(captionOf(r.control), QString::fromUtf8(r.caption));
        EXPECT_EQ(r.control->toolTip(), QString::fromUtf8(r.hint));
    }
}
