// The Query pane: two date combos and the Query button.
#include "panes/CDatePickerDlg.h"

#include "link/AppData.h"
#include "logdata/DateQuery.h"
#include "logdata/LogStore.h"
#include "panes/CDatePickerCombo.h"

#include <QCloseEvent>
#include <QFile>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int ButtonImagePx = 24;

QIcon ResourceIcon(const QString& path) { return QFile::exists(path) ? QIcon(path) : QIcon(); }

// The day of a record of the store; invalid when there is none or its stamp
// is not a date.
QDate RecordDay(const LogStore& store, bool last)
{
    if (store.recordCount == 0)
        return {};
    const char* stamp = store.timestamp(last ? store.recordCount - 1 : 0);
    return QDate::fromString(QString::fromLatin1(stamp, 8), QStringLiteral("yyyyMMdd"));
}

}  // namespace

CDatePickerDlg::CDatePickerDlg(AppData& data, QWidget* parent) : QDialog(parent), data_(data)
{
    // A child window of the docking pane, not a window of its own.
    if (parent)
        setWindowFlags(Qt::Widget);

    from_ = new CDatePickerCombo(this);
    to_ = new CDatePickerCombo(this);
    from_->setObjectName(QStringLiteral("fromCombo"));
    to_->setObjectName(QStringLiteral("toCombo"));
    auto* fromLabel = new QLabel(QStringLiteral("From:"), this);
    auto* toLabel = new QLabel(QStringLiteral("To:"), this);
    fromLabel->setBuddy(from_);
    toLabel->setBuddy(to_);
    from_->setDefaultDay([this] { return RecordDay(data_.store, false); });
    to_->setDefaultDay([this] { return RecordDay(data_.store, true); });
    // Showing the pane puts the keyboard focus into "From".
    setFocusProxy(from_);

    query_ = new QPushButton(QStringLiteral("Query"), this);
    query_->setIcon(ResourceIcon(QStringLiteral(":/icons/query-button.png")));
    query_->setIconSize(QSize(ButtonImagePx, ButtonImagePx));
    query_->setDefault(true);
    query_->setMinimumHeight(ButtonImagePx + 10);
    connect(query_, &QPushButton::clicked, this, &CDatePickerDlg::OnQuery);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(24);
    grid->addWidget(fromLabel, 0, 0);
    grid->addWidget(from_, 0, 1);
    grid->addWidget(toLabel, 1, 0);
    grid->addWidget(to_, 1, 1);
    grid->setColumnStretch(1, 1);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(query_);
    buttonRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 28, 12, 12);
    layout->addLayout(grid);
    layout->addSpacing(24);
    layout->addLayout(buttonRow);
    layout->addStretch(1);
}

void CDatePickerDlg::OnQuery()
{
    fromDate = DateFromText(from_->dateText());
    toDate = DateFromText(to_->dateText());
    if (!IsValidDateRange(fromDate, toDate)) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("VORNA Logger"), QString::fromUtf8(DateRangeMessage),
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    emit queryRequested(fromDate, toDate);
}

void CDatePickerDlg::reject() {}

void CDatePickerDlg::closeEvent(QCloseEvent* event) { event->ignore(); }
