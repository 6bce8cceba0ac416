// The serial transport: one QSerialPort on a worker thread that hands received
// chunks to the user-interface thread, one at a time.
#include "link/CSerialPort.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QSerialPort>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <vector>

#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

// State that the worker and the user-interface thread share. A hand-over is
// tagged with the epoch it was posted in; Open, Shutdown and the destructor
// start a new epoch, which cancels every hand-over of the old one: a worker
// waiting for it goes on, and the owner thread drops it unseen.
struct CSerialPort::Shared {
    std::mutex lock;
    std::condition_variable changed;
    uint64_t epoch = 0;
    bool reading = false;   // hand-overs wanted (between StartReader and Shutdown)
    uint64_t posted = 0;    // hand-overs posted so far
    uint64_t handled = 0;   // the last one the owner thread has finished
    int delivering = 0;     // receiver calls in progress on the owner thread
    std::atomic<bool> open{false};  // a device is open (kept by the worker)
    std::atomic<int64_t> bytesRead{0};  // taken from the device since the last Open
};

namespace {

// The group that owns a device file, for the "add yourself to …" hint.
QString DeviceGroup(const QString& device)
{
    struct stat info {};
    if (::stat(QFile::encodeName(device).constData(), &info) != 0)
        return {};
    std::vector<char> buffer(4096);
    struct group entry {};
    struct group* found = nullptr;
    if (::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return QString::number(info.st_gid);
    return QString::fromLocal8Bit(found->gr_name);
}

// QSerialPort reports both a refused open() and a lock held by another
// program as PermissionError; only the first is a matter of group membership.
void ClassifyOpenFailure(const QString& device, QSerialPort::SerialPortError error, PortOpenResult& result)
{
    const QByteArray path = QFile::encodeName(device);
    if (!QFileInfo::exists(device)) {
        if (result.errorText.isEmpty())
            result.errorText = QStringLiteral("No such device");
        return;
    }
    if (error != QSerialPort::PermissionError)
        return;
    if (::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES) {
        result.permissionDenied = true;
        result.deviceGroup = DeviceGroup(device);
    }
}

}  // namespace

// Lives on the transport's thread and owns the port there.
class CSerialPort::Worker : public QObject {
public:
    Worker(CSerialPort& transport, std::shared_ptr<Shared> shared)
        : transport_(transport), shared_(std::move(shared))
    {
        silence_.setSingleShot(true);
        silence_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&silence_, &QTimer::timeout, this, [this] { OnSilence(); });
        QObject::connect(&port_, &QSerialPort::readyRead, this, [this] { OnReadyRead(); });
        QObject::connect(&port_, &QSerialPort::errorOccurred, this,
                         [this](QSerialPort::SerialPortError error) { OnError(error); });
    }

    PortOpenResult OpenDevice(const QString& device);
    void StartReading(uint64_t epoch);
    void StopReading();
    void WriteRequest();
    void CloseDevice();

private:
    void OnReadyRead();
    void OnSilence();
    void OnError(QSerialPort::SerialPortError error);
    // The line has gone (a pulled cable): hands over what was read, then the
    // failure, then closes the port.
    void LineBroken();
    // Hands over everything read and not handed over yet, in chunks of at
    // most ChunkCapacity. False when a hand-over was cancelled or unwanted.
    bool HandOverPending();
    void DropPending();
    bool Reading();
    bool LineFailed();
    // Hands a chunk (nullptr: a port failure) to the owner thread and waits
    // until it has been handled or cancelled. False when cancelled or unwanted.
    bool HandOver(const QByteArray* chunk);
    void Post(uint64_t tag, uint64_t seq, const QByteArray* chunk);

    CSerialPort& transport_;
    std::shared_ptr<Shared> shared_;
    QSerialPort port_{this};
    QTimer silence_{this};
    QByteArray pending_;    // received, not handed over yet
    bool opening_ = false;  // line-setting errors inside Open are judged there
    bool broken_ = false;   // a read failure was reported; the port is closing
    int emptyReads_ = 0;    // read errors in a row on a line that looked sound
    static constexpr int EmptyReadLimit = 100;
};

PortOpenResult CSerialPort::Worker::OpenDevice(const QString& device)
{
    CloseDevice();
    PortOpenResult result;
    port_.setPortName(device);
    opening_ = true;
    if (!port_.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = port_.error();
        result.errorText = port_.errorString();
        ClassifyOpenFailure(device, error, result);
        port_.clearError();
        opening_ = false;
        return result;
    }
    result.ok = true;
    shared_->open = true;
    shared_->bytesRead = 0;

    // A failed setting skips the rest. The device is open and may well work
    // with the settings it has, so it is kept and nothing is reported as a
    // failure of the line: the result only says so, for diagnostics.
    bool settled = port_.setBaudRate(BaudRate) && port_.setDataBits(QSerialPort::Data8)
                   && port_.setParity(QSerialPort::NoParity) && port_.setStopBits(QSerialPort::OneStop)
                   && port_.setFlowControl(QSerialPort::NoFlowControl);
    // A pseudo-terminal has no modem lines: RTS is unsupported there, not failed.
    if (settled && !port_.setRequestToSend(true) && port_.error() != QSerialPort::UnsupportedOperationError)
        settled = false;
    if (!settled)
        result.errorText = port_.errorString();
    port_.clearError();
    port_.clear(QSerialPort::AllDirections);
    opening_ = false;
    return result;
}

void CSerialPort::Worker::CloseDevice()
{
    DropPending();
    broken_ = false;
    emptyReads_ = 0;
    if (port_.isOpen())
        port_.close();
    port_.clearError();
    shared_->open = false;
}

void CSerialPort::Worker::StartReading(uint64_t epoch)
{
    {
        std::lock_guard<std::mutex> guard(shared_->lock);
        // A Shutdown or Open since StartReader makes this start stale.
        if (shared_->epoch != epoch)
            return;
        shared_->reading = true;
    }
    DropPending();
    if (port_.isOpen())
        port_.clear(QSerialPort::AllDirections);
}

void CSerialPort::Worker::StopReading()
{
    DropPending();
}

void CSerialPort::Worker::WriteRequest()
{
    QByteArray frame;
    {
        std::lock_guard<std::mutex> guard(transport_.writeLock_);
        if (!transport_.writePending_)
            return;
        transport_.writePending_ = false;
        frame = QByteArray(reinterpret_cast<const char*>(transport_.writeBuffer_), transport_.bytesToWrite_);
    }
    if (!Reading())
        return;
    // The line went and took the port with it: the request cannot reach the
    // logger, which is a failure of the port, not a write that went well.
    if (!port_.isOpen() || broken_) {
        HandOver(nullptr);
        return;
    }
    // Whatever is still on the way in belongs to an earlier request.
    DropPending();
    port_.clear(QSerialPort::AllDirections);
    if (port_.write(frame) != frame.size()) {
        HandOver(nullptr);
        return;
    }
    port_.flush();
}

bool CSerialPort::Worker::LineFailed()
{
    struct pollfd probe {int(port_.handle()), POLLIN, 0};
    if (probe.fd < 0 || ::poll(&probe, 1, 0) < 0)
        return true;
    return (probe.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool CSerialPort::Worker::Reading()
{
    std::lock_guard<std::mutex> guard(shared_->lock);
    return shared_->reading;
}

void CSerialPort::Worker::DropPending()
{
    silence_.stop();
    pending_.clear();
}

void CSerialPort::Worker::OnReadyRead()
{
    const QByteArray received = port_.readAll();
    shared_->bytesRead += received.size();
    emptyReads_ = 0;
    if (!Reading())
        return;
    pending_ += received;
    while (pending_.size() >= ChunkCapacity) {
        const QByteArray chunk = pending_.left(ChunkCapacity);
        pending_.remove(0, ChunkCapacity);
        if (!HandOver(&chunk)) {
            DropPending();
            return;
        }
    }
    if (pending_.isEmpty())
        silence_.stop();
    else
        silence_.start(SilenceMs);
}

void CSerialPort::Worker::OnSilence()
{
    if (pending_.isEmpty())
        return;
    const QByteArray chunk = pending_;
    pending_.clear();
    HandOver(&chunk);
}

void CSerialPort::Worker::OnError(QSerialPort::SerialPortError error)
{
    if (opening_ || !port_.isOpen())
        return;
    switch (error) {
    case QSerialPort::ReadError:
        // A read that finds nothing is a ReadError too: the read notifier may
        // fire just after a purge emptied the line. Only a line that is hung
        // up or in error has failed.
        // A read that keeps failing on a line that looks sound is a failure
        // too, rather than a loop that spins on the notifier.
        if (!LineFailed() && ++emptyReads_ < EmptyReadLimit) {
            port_.clearError();
            return;
        }
        [[fallthrough]];
    case QSerialPort::ResourceError:
        LineBroken();
        break;
    case QSerialPort::WriteError:
        // A write into a line that has hung up is the end of that line; any
        // other failed write is reported and the port kept.
        if (LineFailed())
            LineBroken();
        else if (!broken_)
            HandOver(nullptr);
        break;
    default:
        // Unsupported operations (a pseudo-terminal's modem lines), time-outs
        // and the like are no failure of the line.
        break;
    }
}

void CSerialPort::Worker::LineBroken()
{
    // A vanished device keeps the read notifier firing; report it once and
    // close the port, which can give nothing more.
    if (broken_)
        return;
    broken_ = true;
    // The bytes read before the line went are data like any other (the tail
    // of a download): they reach the receiver before the failure does.
    if (Reading()) {
        const QByteArray rest = port_.readAll();
        shared_->bytesRead += rest.size();
        pending_ += rest;
    }
    if (HandOverPending())
        HandOver(nullptr);
    DropPending();
    QMetaObject::invokeMethod(this, [this] { if (broken_) CloseDevice(); }, Qt::QueuedConnection);
}

bool CSerialPort::Worker::HandOverPending()
{
    silence_.stop();
    while (!pending_.isEmpty()) {
        const QByteArray chunk = pending_.left(ChunkCapacity);
        pending_.remove(0, chunk.size());
        if (!HandOver(&chunk)) {
            pending_.clear();
            return false;
        }
    }
    return true;
}

bool CSerialPort::Worker::HandOver(const QByteArray* chunk)
{
    Shared& s = *shared_;
    uint64_t tag = 0;
    uint64_t seq = 0;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        if (!s.reading)
            return false;
        tag = s.epoch;
        seq = ++s.posted;
    }
    Post(tag, seq, chunk);
    std::unique_lock<std::mutex> guard(s.lock);
    s.changed.wait(guard, [&] { return s.handled >= seq || s.epoch != tag; });
    return s.epoch == tag;
}

void CSerialPort::Worker::Post(uint64_t tag, uint64_t seq, const QByteArray* chunk)
{
    CSerialPort* transport = &transport_;
    std::shared_ptr<Shared> shared = shared_;
    const bool failure = chunk == nullptr;
    const QByteArray bytes = chunk ? *chunk : QByteArray();
    // Runs on the owner thread. A destroyed owner object drops it unrun; a
    // stale tag (the transport was shut down, reopened or destroyed) makes it
    // a no-op that touches only the shared state.
    QMetaObject::invokeMethod(transport->owner_.get(), [transport, shared, tag, seq, failure, bytes] {
        bool current = false;
        {
            std::lock_guard<std::mutex> guard(shared->lock);
            current = shared->epoch == tag;
        }
        if (current && transport->receiver_) {
            ILinkReceiver* receiver = transport->receiver_;
            ++shared->delivering;
            if (failure)
                receiver->OnPortFailure();
            else
                receiver->OnLinkData(reinterpret_cast<const uint8_t*>(bytes.constData()), int(bytes.size()));
            --shared->delivering;
        }
        {
            std::lock_guard<std::mutex> guard(shared->lock);
            if (shared->handled < seq)
                shared->handled = seq;
        }
        shared->changed.notify_all();
    }, Qt::QueuedConnection);
}

CSerialPort::CSerialPort(ILinkReceiver* receiver)
    : receiver_(receiver), shared_(std::make_shared<Shared>()), owner_(std::make_unique<QObject>())
{
    worker_ = new Worker(*this, shared_);
    worker_->moveToThread(&thread_);
    QObject::connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.setObjectName(QStringLiteral("serial port"));
    thread_.start(QThread::HighestPriority);
}

CSerialPort::~CSerialPort()
{
    CancelHandOvers();
    Worker* worker = worker_;
    QMetaObject::invokeMethod(worker_, [worker] { worker->CloseDevice(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
    // Deleting the owner object inside one of its own queued calls (the
    // receiver destroying the transport) would pull it from under Qt.
    if (shared_->delivering > 0)
        owner_.release()->deleteLater();
}

void CSerialPort::CancelHandOvers()
{
    {
        std::lock_guard<std::mutex> guard(shared_->lock);
        shared_->reading = false;
        ++shared_->epoch;
    }
    shared_->changed.notify_all();
}

PortOpenResult CSerialPort::Open(const QString& device)
{
    CancelHandOvers();
    {
        std::lock_guard<std::mutex> guard(writeLock_);
        writePending_ = false;
    }
    if (device.isEmpty()) {
        PortOpenResult result;
        result.errorText = QStringLiteral("No device named");
        return result;
    }
    PortOpenResult result;
    Worker* worker = worker_;
    QMetaObject::invokeMethod(worker_, [worker, device, &result] { result = worker->OpenDevice(device); },
                              Qt::BlockingQueuedConnection);
    return result;
}

void CSerialPort::StartReader()
{
    uint64_t epoch = 0;
    bool reading = false;
    {
        std::lock_guard<std::mutex> guard(shared_->lock);
        epoch = shared_->epoch;
        reading = shared_->reading;
    }
    Worker* worker = worker_;
    // While not reading the worker never waits for this thread, so waiting
    // for it here is safe, and whatever arrives once this returns is handed
    // over. A reader already running needs no new start.
    if (!reading)
        QMetaObject::invokeMethod(worker_, [worker, epoch] { worker->StartReading(epoch); },
                                  Qt::BlockingQueuedConnection);
}

void CSerialPort::Send(const uint8_t* frame, int length)
{
    if (!frame || length <= 0 || length > WriteBufferSize)
        return;
    bool post = false;
    {
        std::lock_guard<std::mutex> guard(writeLock_);
        std::memcpy(writeBuffer_, frame, size_t(length));
        bytesToWrite_ = length;
        // One pending write at a time: a newer frame replaces an unwritten one.
        post = !writePending_;
        writePending_ = true;
    }
    if (post) {
        Worker* worker = worker_;
        QMetaObject::invokeMethod(worker_, [worker] { worker->WriteRequest(); }, Qt::QueuedConnection);
    }
}

void CSerialPort::Shutdown()
{
    CancelHandOvers();
    Worker* worker = worker_;
    QMetaObject::invokeMethod(worker_, [worker] { worker->StopReading(); }, Qt::QueuedConnection);
}

bool CSerialPort::IsOpen() const
{
    return shared_->open;
}

int64_t CSerialPort::BytesRead() const
{
    return shared_->bytesRead;
}
