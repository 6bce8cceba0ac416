// The serial transport: one QSerialPort on a worker thread that hands received
// chunks to the user-interface thread, one at a time.
#pragma once

#include "link/LinkInterfaces.h"

#include <QString>
#include <QThread>

#include <cstdint>
#include <memory>
#include <mutex>

class QObject;

// Opens the logger's device at 38400 8N1 without flow control, RTS on, and
// reads it on its own thread. A chunk ends when 1024 bytes have arrived or when
// no character has arrived for 200 ms; each chunk reaches the receiver on the
// thread that made the CSerialPort (which needs a running Qt event loop), and
// the worker reads on only once the receiver has returned. Every write first
// discards what was received and not yet handed over, in both directions.
//
// When the line goes (a pulled cable, a device that vanished, a hang-up), the
// bytes read before it went are handed over first, in chunks as usual, then
// OnPortFailure is called once, and then the port is closed (IsOpen turns
// false). A write that fails on a line still up is reported as OnPortFailure
// and the port is kept.
//
// Open, Shutdown and the destructor cancel a hand-over that is waiting for the
// user-interface thread, so none of them can deadlock against it, and a chunk
// cancelled that way is never delivered.
class CSerialPort : public ILinkTransport {
public:
    static constexpr int ChunkCapacity = 1024;    // bytes of one hand-over at most
    static constexpr int SilenceMs = 200;         // quiet time that ends a chunk
    static constexpr int WriteBufferSize = 512;   // the longest request that can be sent
    static constexpr int BaudRate = 38400;

    explicit CSerialPort(ILinkReceiver* receiver = nullptr);
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Where chunks and failures go; set it before StartReader.
    void SetReceiver(ILinkReceiver* receiver) { receiver_ = receiver; }

    // Closes a port that is still open, then opens device (a full path such as
    // /dev/ttyUSB0) and sets the line. Not ok only when the device cannot be
    // opened. A line setting that the device refuses skips the remaining
    // settings but is no failure of the line: the port is kept with the
    // settings it has, no OnPortFailure follows, and the result is ok with
    // the reason in errorText. RTS on a pseudo-terminal
    // (which has no modem lines) is unsupported there, not refused.
    PortOpenResult Open(const QString& device) override;
    // Starts handing over what arrives from now on: both directions are
    // purged, and what arrives after the call returns is handed over.
    void StartReader() override;
    // Copies the frame into the write buffer; the worker purges and writes it.
    // A frame longer than the write buffer is refused. Nothing is written
    // while the reader is not running. A frame sent while the reader runs on
    // a port that a failed line has closed is reported as OnPortFailure.
    void Send(const uint8_t* frame, int length) override;
    // Stops the hand-overs; the port stays open until the next Open or the end.
    void Shutdown() override;

    // Whether a device is open at this moment (a failed device is closed by
    // the worker once its failure is reported).
    bool IsOpen() const;
    // Bytes taken from the device since the last Open, handed over or not.
    int64_t BytesRead() const;

private:
    struct Shared;
    class Worker;

    // Stops hand-overs and wakes a worker that waits for the receiver.
    void CancelHandOvers();

    ILinkReceiver* receiver_ = nullptr;
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<QObject> owner_;  // lives on the user-interface thread; queued hand-overs target it
    QThread thread_;
    Worker* worker_ = nullptr;        // lives on thread_, deleted there when it finishes

    std::mutex writeLock_;
    uint8_t writeBuffer_[WriteBufferSize] = {};
    int bytesToWrite_ = 0;
    bool writePending_ = false;
};
