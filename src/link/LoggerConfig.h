// The connected logger's setup block, and the frames that carry it.
#pragma once

#include <QString>

#include <cstdint>

// One per process, filled from the identify ('R') and read-setup ('T')
// answers, edited in the setup pane and sent whole with the write request
// ('U'). What only the read-setup answer brings is forgotten when a logger is
// connected or disconnected, so that a write never sends another logger's
// interval or calibration.
struct LoggerConfig {
    char loggerId[10] = {};     // 10 ASCII characters, no terminator
    char loggerName[25] = {};   // at most 24 characters and a zero
    uint8_t loggerType = 0;
    char model[6] = {};
    uint32_t logInterval = 0;   // seconds between records
    uint32_t logCount = 0;
    int32_t memoryCapacity = 0; // records the memory holds
    float channelOffset[3] = {};
    uint8_t celsius = 0;        // nonzero: Celsius
    int8_t alarmHigh1 = 0;
    int8_t alarmLow1 = 0;
    int8_t alarmHigh2 = 0;
    int8_t alarmLow2 = 0;
    uint8_t startMode = 0;      // 0 "No delay", 1 "Delay", 2 "Timer"
    int32_t startDelay = 0;
    int32_t channelCount = 0;   // from the type table, on identify only
    uint8_t channelKind[3] = {};
    // A read-setup answer of the connected logger has been taken since it
    // was connected; only then may the block be written back.
    bool setupRead = false;

    // Copy the fields of a 51-byte 'R' answer / a 76-byte 'T' answer.
    void TakeIdentifyAnswer(const uint8_t* frame);
    void TakeSetupAnswer(const uint8_t* frame);  // also sets setupRead
    // Clears what only the read-setup answer brings (model, interval,
    // counters, offsets, start mode and delay) and setupRead; keeps what the
    // identify answer fills.
    void ForgetSetup();
    // Builds the 65-byte 'U' request into tx (at least 65 bytes); returns its length.
    int BuildWriteRequest(uint8_t* tx) const;

    // Setters from the setup pane's texts.
    void SetLoggerName(const QString& text);
    // False for a text shorter than 10 characters, loggerId left as it was;
    // the caller shows SerialNumberMessage.
    bool SetLoggerId(const QString& text);
    void SetLogInterval(int value);
    void SetChannelOffset(int index, const QString& text);  // index 0 … 2
    void SetCelsius(const QString& text);
    void SetAlarmHigh1(const QString& text);
    void SetAlarmLow1(const QString& text);
    void SetAlarmHigh2(const QString& text);
    void SetAlarmLow2(const QString& text);
    void SetStartMode(const QString& text);
    void SetStartDelay(const QString& text);

    // Texts as the setup pane shows them.
    QString loggerNameText() const;
    QString loggerIdText() const;
    QString modelText() const;
    QString celsiusText() const;    // "C" or "F"
    QString startModeText() const;  // "No delay", "Delay", "Timer"
    static QString offsetText(float offset);  // "%3.1f"
};


inline constexpr const char* SerialNumberMessage =
    "Failed to synchronize configuration to the logger: The SN must includes 10 characters.";

// Sets channelCount and the channel kinds from the logger type table.
void ApplyLoggerType(LoggerConfig& config, uint8_t type);
