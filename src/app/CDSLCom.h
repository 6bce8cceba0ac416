// The dialog that lets the user pick the logger's port when several are found.
#pragma once

#include "link/LinkInterfaces.h"

#include <QDialog>
#include <QList>
#include <QStringList>

class QScreen;
class QTreeWidget;

// Lists each device with what the system knows of it: its path, its
// /dev/serial/by-id name, manufacturer, product, serial number and VID:PID.
class CDSLCom : public QDialog {
    Q_OBJECT
public:
    // The list offers at most this many devices, the first ones found.
    static constexpr int MaxEntries = 16;

    // ports are numbered from 1 in list order; initialNumber outside
    // 1 … (entries offered) starts on the first.
    explicit CDSLCom(const QList<PortRecord>& ports, int initialNumber, QWidget* parent = nullptr);
    // Devices known by their paths alone.
    CDSLCom(const QStringList& devices, int initialNumber, QWidget* parent = nullptr);

    // The 1-based number of the selected device; 0 when there is none.
    int chosenNumber() const { return chosen_; }
    // One row per device; column 0 reads "N: path", the others the details.
    QTreeWidget* portList() const { return list_; }
    // Selects the device with this 1-based number, as a click on its row does.
    void selectNumber(int number);
    // The text of the selected row's first column, "N: path"; empty when none.
    QString currentText() const;

    // Shows the dialog modally; the number chosen, or 0 for Cancel or when
    // there is nothing to choose from.
    static int Choose(QWidget* parent, const QList<PortRecord>& ports, int initialNumber);
    static int Choose(QWidget* parent, const QStringList& devices, int initialNumber);

    // The records of the devices named, in their order: the directory's
    // details where it has the path, the path alone where it has not.
    static QList<PortRecord> RecordsFor(const QStringList& devices, const QList<PortRecord>& known);
    // The list grows to show every column whole, up to this width.
    static int MaxListWidth(const QScreen& screen);

private:
    QTreeWidget* list_ = nullptr;
    int chosen_ = 0;
};
