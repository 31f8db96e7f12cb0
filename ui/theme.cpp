#include "ui/theme.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTranslator>

namespace rida::ui {

namespace {
QString installedKoreanFamily()
{
    static const QString family = [] {
        const QStringList families = QFontDatabase::families(QFontDatabase::Korean);
        for (const QString& preferred : {QStringLiteral("NanumGothic"), QStringLiteral("나눔고딕"),
                                         QStringLiteral("NanumBarunGothic"), QStringLiteral("Noto Sans CJK KR")})
            if (families.contains(preferred))
                return preferred;
        return families.isEmpty() ? QString() : families.first();
    }();
    return family;
}

// The program's look on Fusion. Lists open their items on a double-click (or
// Enter) whatever the desktop's single-click setting: a single click in the
// folder list selects a folder and must not open it.
class ProgramStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_ItemView_ActivateItemOnSingleClick)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
} // namespace

QFont koreanFont(const QString& definitionFamily, int pointSize, int pixelSize)
{
    QFont f(definitionFamily);
    if (pixelSize > 0)
        f.setPixelSize(pixelSize);
    else if (pointSize > 0)
        f.setPointSize(pointSize);
    return f;
}

bool installKoreanQtTexts(QApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Korean, QLocale::SouthKorea), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void applyTheme(QApplication& app)
{
    const QString korean = installedKoreanFamily();
    if (!korean.isEmpty()) {
        for (const char* name : {"맑은 고딕", "Malgun Gothic", "굴림", "Gulim", "굴림체", "돋움", "Dotum"})
            QFont::insertSubstitution(QString::fromUtf8(name), korean);
        QFont base(korean);
        base.setPointSize(9);
        app.setFont(base);
    }
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        app.setStyle(new ProgramStyle(fusion));

    app.setStyleSheet(QStringLiteral(R"(
QMainWindow, QDialog { background: #eef1f6; }
QMenuBar { background: #e4e8f0; border-bottom: 1px solid #b8c0cf; }
QMenuBar::item { padding: 3px 10px; }
QMenuBar::item:selected { background: #c9d6ee; border-radius: 3px; }
QMenu { background: #fbfcfe; border: 1px solid #9aa6bb; }
QMenu::item { padding: 3px 22px 3px 26px; }
QMenu::item:selected { background: #c9d6ee; color: black; }
QMenu::separator { height: 1px; background: #c5ccd8; margin: 3px 6px; }
QToolBar { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdfdfe, stop:1 #dfe4ec); border-bottom: 1px solid #b8c0cf; spacing: 8px; padding: 0; }
QToolBar QToolButton { padding: 0; margin: 0; }
QToolButton { border: 1px solid transparent; border-radius: 4px; }
QToolButton:hover { border-color: #8fa6cc; background: #e3ebf8; }
QToolButton:pressed { background: #cddbf2; }
QPushButton { border: 1px solid #8d98ab; border-radius: 3px; padding: 3px 12px;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #ffffff, stop:1 #dde2ea); }
QPushButton:hover { border-color: #5b7fb9; }
QPushButton:pressed { background: #cdd6e4; }
QPushButton:focus { border: 2px solid #2f63b8; padding: 2px 11px; }
QToolButton:focus { border-color: #2f63b8; }
QPushButton:disabled { color: #9097a3; }
QLineEdit, QComboBox, QSpinBox, QPlainTextEdit { border: 1px solid #9aa4b5; border-radius: 2px; background: white; }
QLineEdit:focus, QComboBox:focus { border-color: #4a78c2; }
QLineEdit { lineedit-password-character: 42; }
QGroupBox { border: 1px solid #aeb7c6; border-radius: 4px; margin-top: 18px; background: #f6f8fb; }
QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 4px; color: #1f3b6e; font-weight: bold; }
)"));
}

} // namespace rida::ui
