// The setup pane: the connected logger's setup block in a property grid, and
// the buttons that read it, write it and set the logger's clock.
#pragma once

#include "link/SetupFields.h"

#include <QRect>
#include <QWidget>

struct AppData;
class PropertyGrid;
class QToolButton;

// Every edit that fits goes into LoggerConfig at once; nothing reaches the
// logger until the write button. The grid is refilled from LoggerConfig only through
// ShowSetupValues(). The buttons only emit their signals; the main frame runs
// the exchanges.
class CPropertiesPane : public QWidget {
    Q_OBJECT
public:
    // Grid item ids.
    enum ItemId {
        NameItem = setupitem::Name,
        TypeItem = setupitem::Type,
        ModelItem = setupitem::Model,
        SerialItem = setupitem::Serial,
        IntervalItem = setupitem::Interval,
        LogCountItem = setupitem::LogCount,
        CapacityItem = setupitem::Capacity,
        UnitItem = setupitem::Unit,
        StartModeItem = setupitem::StartMode,
        DelayItem = setupitem::Delay,
        Ch1HighItem = setupitem::Ch1High,
        Ch1LowItem = setupitem::Ch1Low,
        Ch2HighItem = setupitem::Ch2High,
        Ch2LowItem = setupitem::Ch2Low,
        Offset1Item = setupitem::Offset1,
        Offset2Item = setupitem::Offset2,
        Offset3Item = setupitem::Offset3,
    };

    // Where the children go in a pane of width w and height h.
    struct Layout {
        QRect grid;
        int descriptionHeight = 0;
        QRect readButton;
        QRect writeButton;
        QRect clockButton;
    };
    static Layout LayoutFor(int w, int h);

    static constexpr const char* MessageCaption = "VORNA Logger";

    explicit CPropertiesPane(AppData& data, QWidget* parent = nullptr);

    // Puts every value of LoggerConfig into its item.
    void ShowSetupValues();
    // Empties every item, as when the pane was made: no value of a logger
    // connected before is shown.
    void ClearSetupValues();
    // Enables or disables the three logger buttons together.
    void EnableLoggerButtons(bool enabled);

    PropertyGrid* grid() const { return grid_; }
    QToolButton* readButton() const { return readButton_; }
    QToolButton* writeButton() const { return writeButton_; }
    QToolButton* clockButton() const { return clockButton_; }

signals:
    void readSetupRequested();
    void writeSetupRequested();
    void setClockRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildGrid();
    void ApplyLayout(int w, int h);
    QToolButton* MakeButton(const char* name, const QString& icon, const QString& tip);
    // Applies the user's edit of one item to LoggerConfig; an edit that does
    // not fit is refused with a message and the item shows the kept value.
    void OnItemValueChanged(int id, const QString& text);
    void ShowRefusal(const QString& text);

    AppData& data_;
    PropertyGrid* grid_ = nullptr;
    QToolButton* readButton_ = nullptr;
    QToolButton* writeButton_ = nullptr;
    QToolButton* clockButton_ = nullptr;
};
