// The setup pane: the connected logger's setup block in a property grid, and
// the buttons that read it, write it and set the logger's clock.
#pragma once

#include <QRect>
#include <QWidget>

struct AppData;
class PropertyGrid;
class QToolButton;

// Every edit goes into LoggerConfig at once; nothing reaches the logger until
// the write button. The grid is refilled from LoggerConfig only through
// ShowSetupValues(). The buttons only emit their signals; the main frame runs
// the exchanges.
class CPropertiesPane : public QWidget {
    Q_OBJECT
public:
    // Grid item ids.
    enum ItemId {
        NameItem = 106,
        TypeItem = 107,
        ModelItem = 108,
        SerialItem = 109,
        IntervalItem = 114,
        LogCountItem = 121,
        CapacityItem = 122,
        UnitItem = 5,
        StartModeItem = 105,
        DelayItem = 110,
        Ch1HighItem = 101,
        Ch1LowItem = 103,
        Ch2HighItem = 102,
        Ch2LowItem = 104,
        Offset1Item = 2,
        Offset2Item = 3,
        Offset3Item = 4,
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
    // Applies the user's edit of one item to LoggerConfig.
    void OnItemValueChanged(int id, const QString& text);
    void ShowSerialNumberMessage();

    AppData& data_;
    PropertyGrid* grid_ = nullptr;
    QToolButton* readButton_ = nullptr;
    QToolButton* writeButton_ = nullptr;
    QToolButton* clockButton_ = nullptr;
};
