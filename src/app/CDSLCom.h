// The dialog that lets the user pick the logger's port when several are found.
#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;

class CDSLCom : public QDialog {
    Q_OBJECT
public:
    // The list offers at most this many devices, the first ones found.
    static constexpr int MaxEntries = 16;

    // devices are numbered from 1 in list order; initialNumber outside
    // 1 … (entries offered) starts on the first.
    explicit CDSLCom(const QStringList& devices, int initialNumber, QWidget* parent = nullptr);

    // The 1-based number of the selected device; 0 when there is none.
    int chosenNumber() const { return chosen_; }
    QComboBox* portList() const { return list_; }

    // Shows the dialog modally; the number chosen, or 0 for Cancel or when
    // there is nothing to choose from.
    static int Choose(QWidget* parent, const QStringList& devices, int initialNumber);

private:
    QComboBox* list_ = nullptr;
    int chosen_ = 0;
};
