// The candidate rule: TESSAVIEW_PORTS first, then USB devices, built-in serial
// ports only when there is nothing else; natural name order, no duplicates,
// at most 30; and what the system tells of each device.
#include "link/PortDirectory.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// A built-in UART: no USB ids, no details.
PortRecord Uart(const char* path)
{
    PortRecord r;
    r.path = QString::fromLatin1(path);
    return r;
}

// A USB serial adapter as QSerialPortInfo reports one.
PortRecord Usb(const char* path, quint16 vid = 0x0403, quint16 pid = 0x6001, const char* serial = "A10K3Z")
{
    PortRecord r;
    r.path = QString::fromLatin1(path);
    r.hasUsbIds = true;
    r.vendorId = vid;
    r.productId = pid;
    r.manufacturer = QStringLiteral("FTDI");
    r.product = QStringLiteral("FT232R USB UART");
    r.serialNumber = QString::fromLatin1(serial);
    r.byIdName = QStringLiteral("usb-FTDI_FT232R_USB_UART_%1-if00-port0").arg(r.serialNumber);
    return r;
}

struct CandidateCase {
    const char* name;
    const char* variable;
    QList<PortRecord> found;
    QStringList expected;
};

void PrintTo(const CandidateCase& c, std::ostream* out) { *out << c.name; }

class PortCandidatesTest : public ::testing::TestWithParam<CandidateCase> {};

TEST_P(PortCandidatesTest, ListsTheLikelyLoggers)
{
    const CandidateCase& c = GetParam();
    EXPECT_EQ(PortDirectory::Merge(QString::fromLatin1(c.variable), c.found), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Scenarios, PortCandidatesTest,
    ::testing::Values(
        CandidateCase{"Nothing", "", {}, {}},
        // One USB logger on a PC with a built-in port connects at once.
        CandidateCase{"UsbBesideBuiltIn", "", {Uart("/dev/ttyS0"), Usb("/dev/ttyUSB0")}, {"/dev/ttyUSB0"}},
        CandidateCase{"BuiltInOnly", "", {Uart("/dev/ttyS1"), Uart("/dev/ttyS0")}, {"/dev/ttyS0", "/dev/ttyS1"}},
        CandidateCase{"BuiltInInNaturalOrder", "", {Uart("/dev/ttyS10"), Uart("/dev/ttyS2")},
                      {"/dev/ttyS2", "/dev/ttyS10"}},
        CandidateCase{"SeveralUsb",
                      "",
                      {Uart("/dev/ttyS0"), Usb("/dev/ttyUSB1"), Uart("/dev/ttyACM0"), Usb("/dev/ttyUSB0")},
                      {"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1"}},
        CandidateCase{"UsbByNameWithoutIds", "", {Uart("/dev/ttyUSB3"), Uart("/dev/ttyS0")}, {"/dev/ttyUSB3"}},
        CandidateCase{"VendorIdMakesItUsb", "", {Uart("/dev/ttyS4"), Usb("/dev/ttyAMA0")}, {"/dev/ttyAMA0"}},
        CandidateCase{"UsbInNaturalOrder",
                      "",
                      {Usb("/dev/ttyUSB10"), Usb("/dev/ttyUSB2"), Usb("/dev/ttyUSB1")},
                      {"/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB10"}},
        // A named device is a candidate: the built-in port is left out.
        CandidateCase{"VariableBesideBuiltIn", "/dev/pts/7", {Uart("/dev/ttyS0")}, {"/dev/pts/7"}},
        CandidateCase{"VariableInItsOwnOrderThenUsb",
                      "/dev/pts/7:/dev/pts/3",
                      {Uart("/dev/ttyS0"), Usb("/dev/ttyUSB0")},
                      {"/dev/pts/7", "/dev/pts/3", "/dev/ttyUSB0"}},
        CandidateCase{"EmptyPartsSkipped", ": /dev/pts/7::", {}, {"/dev/pts/7"}},
        CandidateCase{"VariableFirstAndNotTwice",
                      "/dev/ttyUSB1:/dev/pts/4:/dev/pts/4",
                      {Usb("/dev/ttyUSB0"), Usb("/dev/ttyUSB1")},
                      {"/dev/ttyUSB1", "/dev/pts/4", "/dev/ttyUSB0"}},
        CandidateCase{"VariableNamesABuiltInPort",
                      "/dev/ttyS1",
                      {Uart("/dev/ttyS0"), Uart("/dev/ttyS1")},
                      {"/dev/ttyS1"}},
        CandidateCase{"ByIdPathStandsForItsDevice",
                      "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_B2-if00-port0",
                      {Usb("/dev/ttyUSB0", 0x0403, 0x6001, "A1"), Usb("/dev/ttyUSB1", 0x0403, 0x6001, "B2")},
                      {"/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_B2-if00-port0", "/dev/ttyUSB0"}}),
    [](const ::testing::TestParamInfo<CandidateCase>& info) { return std::string(info.param.name); });

TEST(PortDirectoryTest, NamedDeviceTakesTheDetailsOfTheDeviceItNames)
{
    const QList<PortRecord> found = {Uart("/dev/ttyS0"), Usb("/dev/ttyUSB0", 0x10c4, 0xea60, "0001")};
    // A udev link such as /dev/logger resolves to the USB device.
    const auto resolve = [](const QString& path) {
        return path == QLatin1String("/dev/logger") ? QStringLiteral("/dev/ttyUSB0") : QString();
    };
    const QList<PortRecord> records = PortDirectory::Candidates(QStringLiteral("/dev/logger"), found, resolve);
    ASSERT_EQ(records.size(), 1);
    const PortRecord& r = records.first();
    EXPECT_EQ(r.path, "/dev/logger");
    EXPECT_EQ(r.serialNumber, "0001");
    EXPECT_EQ(r.VidPid(), "10c4:ea60");
    EXPECT_EQ(r.byIdName, "usb-FTDI_FT232R_USB_UART_0001-if00-port0");
}

TEST(PortDirectoryTest, EachCandidateSaysWhyItIsOffered)
{
    const QList<PortRecord> withUsb =
        PortDirectory::Candidates(QStringLiteral("/dev/pts/2"), {Uart("/dev/ttyS0"), Usb("/dev/ttyUSB0")});
    ASSERT_EQ(withUsb.size(), 2);
    EXPECT_EQ(withUsb[0].kind, PortKind::Named);
    EXPECT_EQ(withUsb[1].kind, PortKind::Usb);
    const QList<PortRecord> builtIn = PortDirectory::Candidates(QString(), {Uart("/dev/ttyS0")});
    ASSERT_EQ(builtIn.size(), 1);
    EXPECT_EQ(builtIn[0].kind, PortKind::BuiltIn);
    EXPECT_EQ(PortDirectory::KindText(PortKind::Named), "named in TESSAVIEW_PORTS");
    EXPECT_EQ(PortDirectory::KindText(PortKind::BuiltIn), "built-in serial port");
    EXPECT_TRUE(PortDirectory::KindText(PortKind::Unknown).isEmpty());
}

TEST(PortDirectoryTest, KeepsAtMostThirtyDevices)
{
    QList<PortRecord> found;
    for (int i = 0; i < 40; ++i)
        found.append(Usb(qPrintable(QStringLiteral("/dev/ttyUSB%1").arg(i))));
    const QStringList devices = PortDirectory::Merge(QStringLiteral("/dev/pts/1"), found);
    ASSERT_EQ(devices.size(), PortDirectory::MaxDevices);
    EXPECT_EQ(devices.first(), "/dev/pts/1");
    EXPECT_EQ(devices.last(), "/dev/ttyUSB28");
}

TEST(PortDirectoryTest, ReadsTheVariableAndTheSystemAtEveryCall)
{
    const QByteArray saved = qgetenv(PortDirectory::EnvironmentVariable);
    int enumerations = 0;
    PortDirectory directory([&enumerations] {
        ++enumerations;
        return QList<PortRecord>{Uart("/dev/ttyS0"), Usb("/dev/ttyUSB0")};
    });
    qputenv(PortDirectory::EnvironmentVariable, "/dev/pts/9");
    EXPECT_EQ(directory.Devices(), QStringList({"/dev/pts/9", "/dev/ttyUSB0"}));
    qunsetenv(PortDirectory::EnvironmentVariable);
    EXPECT_EQ(directory.Devices(), QStringList({"/dev/ttyUSB0"}));
    const QList<PortRecord> records = directory.Records();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records.first().product, "FT232R USB UART");
    EXPECT_EQ(enumerations, 3) << "a logger plugged in meanwhile is found";
    if (!saved.isNull())
        qputenv(PortDirectory::EnvironmentVariable, saved);
}

TEST(PortDirectoryTest, ByIdNamesMapEachDeviceToItsLink)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString devices = dir.filePath("dev");
    const QString byId = dir.filePath("by-id");
    ASSERT_TRUE(QDir().mkpath(devices));
    ASSERT_TRUE(QDir().mkpath(byId));
    for (const char* name : {"ttyUSB0", "ttyUSB1"}) {
        QFile f(devices + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // Two interfaces of one adapter: the first name wins. A dangling link
    // and a plain file are no devices.
    ASSERT_TRUE(QFile::link(devices + "/ttyUSB0", byId + "/usb-Acme_Logger_7-if01"));
    ASSERT_TRUE(QFile::link(devices + "/ttyUSB0", byId + "/usb-Acme_Logger_7-if00"));
    ASSERT_TRUE(QFile::link("../dev/ttyUSB1", byId + "/usb-Other_9-if00-port0"));
    ASSERT_TRUE(QFile::link(devices + "/gone", byId + "/usb-Gone-if00"));
    QFile plain(byId + "/README");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();

    const QHash<QString, QString> names = PortDirectory::ByIdNames(byId);
    const QString canonicalDevices = QDir(devices).canonicalPath();
    EXPECT_EQ(names.size(), 2);
    EXPECT_EQ(names.value(canonicalDevices + "/ttyUSB0"), "usb-Acme_Logger_7-if00");
    EXPECT_EQ(names.value(canonicalDevices + "/ttyUSB1"), "usb-Other_9-if00-port0");
    EXPECT_TRUE(PortDirectory::ByIdNames(dir.filePath("missing")).isEmpty());
}

TEST(PortDirectoryTest, DeviceStringsLoseTheirControlCharacters)
{
    const struct {
        const char16_t* in;
        const char16_t* out;
    } cases[] = {
        {u"FT232R USB UART", u"FT232R USB UART"},
        {u"\x1b[2JEvil", u"\\x1b[2JEvil"},
        {u"a\tb\nc\u007f", u"a\\x09b\\x0ac\\x7f"},
        {u"\u009bC1", u"\\x9bC1"},
        {u"Gr\u00fcn \u00b0C", u"Gr\u00fcn \u00b0C"},  // printable letters stay
    };
    for (const auto& k : cases)
        EXPECT_EQ(PortDirectory::PrintableText(QString::fromUtf16(k.in)), QString::fromUtf16(k.out));
}

TEST(PortDirectoryTest, DetailsInTheirFixedOrder)
{
    PortRecord r = Usb("/dev/ttyUSB0", 0x0403, 0x0001, "A10K3Z");
    r.kind = PortKind::Usb;
    const QList<QPair<QString, QString>> expected = {
        {"Kind", "USB serial device"},
        {"By-id name", "usb-FTDI_FT232R_USB_UART_A10K3Z-if00-port0"},
        {"Manufacturer", "FTDI"},
        {"Product", "FT232R USB UART"},
        {"Serial number", "A10K3Z"},
        {"VID:PID", "0403:0001"},
    };
    EXPECT_EQ(PortDirectory::Details(r), expected);
    // A device known by its path alone: the captions stay, the values are empty.
    for (const auto& [caption, value] : PortDirectory::Details(Uart("/dev/pts/3")))
        EXPECT_TRUE(value.isEmpty()) << qPrintable(caption);
}

}  // namespace
