#include "mapdb/ui/frmCounty.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVBoxLayout>

#include "common/paths.h"
#include "mapdb/county_db.h"
#include "mapdb/ui/county_database.h"
#include "shell/dialogs.h"
#include "shell/qt_text.h"
#include "shell/session.h"

using rivulon::ui::errorBox;
using rivulon::ui::qs;
using rivulon::ui::warnBox;

namespace {

constexpr int kHelpContext = 90;

// A value of the record as its box shows it.
QString fieldText(int box, const QVariant& value) {
    if (value.isNull()) {
        return {};
    }
    bool numeric = false;
    const double number = value.toDouble(&numeric);
    if (rivulon::isShareBox(box) && numeric) {
        return qs(rivulon::percentText(number));
    }
    if (value.typeId() == QMetaType::Double) {
        return qs(rivulon::plainNumberText(number));
    }
    return value.toString();
}

}  // namespace

frmCounty::frmCounty(rivulon::ui::WindowHost& host) : host_(host) {
    setObjectName("frmCounty");
    setWindowTitle(QStringLiteral("County Info."));
    static const char* const labels[11] = {"County/subbasin name:",
                                           "Area (acre):",
                                           "Pct (%) in the basin:",
                                           "Population:",
                                           "Urban (%):",
                                           "Agricultural land (%):",
                                           "Forest (%):",
                                           "Exposed land (%):",
                                           "Herb. wetland (%):",
                                           "Water (%):",
                                           "Point sources:"};
    auto* grid = new QGridLayout;
    for (int k = 0; k < 11; ++k) {
        lblLabels[k] = new QLabel(QString::fromLatin1(labels[k]), this);
        lblLabels[k]->setObjectName(QStringLiteral("lblLabels_%1").arg(k));
        lblLabels[k]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        txtFields[k] = new QLineEdit(this);
        txtFields[k]->setObjectName(QStringLiteral("txtFields_%1").arg(k));
        txtFields[k]->setReadOnly(true);
        txtFields[k]->setMinimumWidth(200);
        lblLabels[k]->setBuddy(txtFields[k]);
        grid->addWidget(lblLabels[k], k, 0);
        grid->addWidget(txtFields[k], k, 1);
    }
    datPrimaryRS = new QLabel(QStringLiteral("County"), this);
    datPrimaryRS->setObjectName("datPrimaryRS");
    datPrimaryRS->setFrameShape(QFrame::Panel);
    datPrimaryRS->setFrameShadow(QFrame::Sunken);
    cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose->setObjectName("cmdClose");
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(datPrimaryRS, 1);
    bottom->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(bottom);

    connect(cmdClose, &QPushButton::clicked, this, &frmCounty::cmdClose_Click);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WidgetWithChildrenShortcut);
    connect(help, &QShortcut::activated, this, [this] { host_.HelpCmd(1, kHelpContext); });
    connection_ = std::make_unique<rivulon::ui::CountyConnection>(
        QStringLiteral("frmCounty-%1").arg(reinterpret_cast<quintptr>(this), 0, 16));
}

frmCounty::~frmCounty() = default;

bool frmCounty::openDatabase() {
    bool imported = false;
    const QString file = rivulon::ui::countyDatabaseFile(
        this, host_.session().settings.databasePath, host_.session().applicationFolder, &imported);
    if (file.isEmpty()) {
        return false;
    }
    if (imported) {
        connection_->close();  // the copy was replaced under it
    }
    QString error;
    if (!connection_->open(file, error)) {
        errorBox(this, QString::fromLatin1(rivulon::kDataErrorPrefix) + error);
        return false;
    }
    datPrimaryRS->setText(QString::fromLatin1(rivulon::kCountyTable));
    return true;
}

bool frmCounty::ToRecord(int key) {
    const QString noRecord = QString::fromLatin1(rivulon::kNoRecordMessage);
    if (!openDatabase()) {
        // A database that is there but failed has said why already.
        if (!rivulon::pathPresent(host_.session().settings.databasePath)) {
            warnBox(this, noRecord);
        }
        return false;
    }
    QSqlQuery query(connection_->database());
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral("Select * from [County] where [ID] = ?"))) {
        warnBox(this, noRecord);
        return false;
    }
    query.addBindValue(key);
    if (!query.exec() || !query.next() || query.record().count() < 12) {
        warnBox(this, noRecord);
        return false;
    }
    const QSqlRecord record = query.record();
    for (int k = 0; k < 11; ++k) {
        lblLabels[k]->setText(record.fieldName(k + 1) + QLatin1Char(':'));
        txtFields[k]->setText(fieldText(k, record.value(k + 1)));
        txtFields[k]->setCursorPosition(0);
    }
    setWindowTitle(txtFields[0]->text());
    return true;
}

QString frmCounty::recordName() const {
    return txtFields[0]->text();
}

void frmCounty::cmdClose_Click() {
    close();
}

const rivulon::ui::WindowRegistration frmCounty::registration{
    kKind, &rivulon::ui::makeWindow<frmCounty>, true, 90, {}};
