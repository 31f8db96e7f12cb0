#pragma once
// The document attributes of a page being registered: its kind, survey base
// year and month, and the region (town and village) that its lots lie in.
// The two registration windows show the same fields under slightly different
// captions; AttributePanelOptions holds those.
//
// Enter moves kind → year → month → town; the region lists cannot be typed into.

#include "components/regionsource.h"

#include <QString>
#include <QWidget>

#include <memory>

class QComboBox;
class QGridLayout;
class QLineEdit;

namespace rida::components {

struct AttributePanelOptions {
    QString kindCaption = QStringLiteral("조서구분 :");
    QString monthCaption = QStringLiteral("기준월 :");
    QString monthHint = QStringLiteral("조사월 2자리");
    // What the town and village lists offer.
    std::shared_ptr<RegionSource> regions = sampleRegions();

    // The manual registration window uses the defaults; the automatic window these.
    static AttributePanelOptions automaticWindow();
};

class AttributePanel : public QWidget {
    Q_OBJECT
public:
    explicit AttributePanel(const AttributePanelOptions& options = {}, QWidget* parent = nullptr);

    QComboBox* kindList;    // xkind, the six document kinds
    QLineEdit* yearField;   // xdate, "!9999;1;_"
    QLineEdit* monthField;  // xmonth, "!99;1;_"
    QComboBox* townList;    // xjuso1
    QComboBox* villageList; // xjuso2

    // Year := the current year, month := "01", as a window starts.
    void startWithThisYear();
};

} // namespace rida::components
