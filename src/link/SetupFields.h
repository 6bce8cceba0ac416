// The fields of the logger's setup block as the setup pane and tessaview-cli
// show and change them: one table of captions, shown texts, rules and setters.
#pragma once

#include "link/LoggerConfig.h"

#include <QString>
#include <QStringList>

#include <vector>

// Item ids of the setup pane's grid.
namespace setupitem {
enum : int {
    Name = 106,
    Type = 107,
    Model = 108,
    Serial = 109,
    Interval = 114,
    LogCount = 121,
    Capacity = 122,
    Unit = 5,
    StartMode = 105,
    Delay = 110,
    Ch1High = 101,
    Ch1Low = 103,
    Ch2High = 102,
    Ch2Low = 104,
    Offset1 = 2,
    Offset2 = 3,
    Offset3 = 4,
};
}  // namespace setupitem

enum class SetupEditor {
    ReadOnly,  // shown, never changed by the user
    Text,      // any text
    Integer,   // a whole number
    List,      // one of the entries
};

// An edit either goes into the block, or is refused with a message for the
// user and the field keeps the value it had.
struct SetupEditResult {
    bool ok = true;
    QString message;
};

struct SetupField {
    int id;               // setupitem id
    const char* key;      // the name tessaview-cli's --set takes; nullptr for a read-only field
    const char* category;
    const char* caption;
    const char* description;
    SetupEditor editor;
    QStringList entries;  // of a list, in the order offered
    QString (*shownText)(const LoggerConfig& config);
    // Checks the text and, when it fits, puts it into the block. nullptr for a read-only field.
    SetupEditResult (*apply)(LoggerConfig& config, const QString& text);
};

// Every field, in the order shown, category by category ("Configuration",
// "Start Mode", "Threshold", "Offset").
const std::vector<SetupField>& SetupFields();
const SetupField* FindSetupField(int id);
// By the --set name, ignoring case; nullptr for an unknown or read-only name.
const SetupField* FindSetupFieldByKey(const QString& key);
