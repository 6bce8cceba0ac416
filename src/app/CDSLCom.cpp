// The dialog that lets the user pick the logger's port when several are found.
#include "app/CDSLCom.h"

#include "link/PortDirectory.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QList<PortRecord> PathsOnly(const QStringList& devices)
{
    QList<PortRecord> records;
    for (const QString& device : devices) {
        PortRecord r;
        r.path = device;
        records.append(r);
    }
    return records;
}

}  // namespace

int CDSLCom::MaxListWidth(const QScreen& screen)
{
    return screen.availableGeometry().width() * 9 / 10;
}

CDSLCom::CDSLCom(const QStringList& devices, int initialNumber, QWidget* parent)
    : CDSLCom(PathsOnly(devices), initialNumber, parent)
{
}

CDSLCom::CDSLCom(const QList<PortRecord>& ports, int initialNumber, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("selectPort"));
    setWindowTitle(QStringLiteral("Select a port manually"));

    auto* label = new QLabel(QStringLiteral("Port:"), this);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("portList"));
    QStringList headers{QStringLiteral("Port")};
    headers << PortDirectory::DetailCaptions();
    list_->setHeaderLabels(headers);
    list_->setRootIsDecorated(false);
    list_->setItemsExpandable(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->header()->setSectionsMovable(false);
    list_->header()->setStretchLastSection(false);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    label->setBuddy(list_);

    const int count = int(std::min<qsizetype>(ports.size(), MaxEntries));
    for (int i = 0; i < count; ++i) {
        const PortRecord& port = ports.at(i);
        QStringList texts{QStringLiteral("%1: %2").arg(i + 1).arg(port.path)};
        for (const auto& detail : PortDirectory::Details(port))
            texts << detail.second;
        auto* item = new QTreeWidgetItem(list_, texts);
        item->setToolTip(0, port.path);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A double click on a device chooses it at once.
    connect(list_, &QTreeWidget::itemActivated, this, [this] {
        if (chosen_ > 0)
            accept();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(list_, 1);
    layout->addSpacing(6);
    layout->addWidget(buttons);

    // Wide enough to show every column whole, as far as the screen allows.
    list_->header()->resizeSections(QHeaderView::ResizeToContents);
    int width = list_->header()->length() + list_->frameWidth() * 2;
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        width = std::min(width, MaxListWidth(*screen));
    const int rowHeight = std::max(list_->fontMetrics().height() + 6, 18);
    const int rows = std::clamp(count, 3, 8);
    list_->setMinimumSize(width, list_->header()->sizeHint().height() + rows * rowHeight + list_->frameWidth() * 2);
    // No larger than that: the list's own size hint is a fixed 256 x 192.
    resize(minimumSizeHint());

    if (count > 0) {
        const int start = (initialNumber >= 1 && initialNumber <= count) ? initialNumber : 1;
        list_->setCurrentItem(list_->topLevelItem(start - 1));
        chosen_ = start;
    }
    // The choice follows the list at once, whatever closes the dialog.
    connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        const int index = current ? list_->indexOfTopLevelItem(current) : -1;
        chosen_ = index + 1;
    });
    list_->setFocus(Qt::OtherFocusReason);
}

void CDSLCom::selectNumber(int number)
{
    if (QTreeWidgetItem* item = list_->topLevelItem(number - 1))
        list_->setCurrentItem(item);
}

QString CDSLCom::currentText() const
{
    const QTreeWidgetItem* item = list_->currentItem();
    return item ? item->text(0) : QString();
}

int CDSLCom::Choose(QWidget* parent, const QList<PortRecord>& ports, int initialNumber)
{
    if (ports.isEmpty())
        return 0;
    CDSLCom dialog(ports, initialNumber, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.chosenNumber() : 0;
}

int CDSLCom::Choose(QWidget* parent, const QStringList& devices, int initialNumber)
{
    return Choose(parent, PathsOnly(devices), initialNumber);
}

QList<PortRecord> CDSLCom::RecordsFor(const QStringList& devices, const QList<PortRecord>& known)
{
    QList<PortRecord> records;
    for (const QString& device : devices) {
        const auto it = std::find_if(known.cbegin(), known.cend(),
                                     [&device](const PortRecord& r) { return r.path == device; });
        if (it != known.cend()) {
            records.append(*it);
        } else {
            PortRecord r;
            r.path = device;
            records.append(r);
        }
    }
    return records;
}
