// The device list: TESSAVIEW_PORTS first, then USB devices, then the rest, in
// natural name order, without duplicates, at most 30.
#include "link/PortDirectory.h"

#include <gtest/gtest.h>

#include <QByteArray>

#include <vector>

namespace {

struct MergeCase {
    const char* name;
    const char* variable;
    QList<SerialDeviceEntry> found;
    QStringList expected;
};

void PrintTo(const MergeCase& c, std::ostream* out) { *out << c.name; }

class PortDirectoryMergeTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(PortDirectoryMergeTest, OrdersTheDevices)
{
    const MergeCase& c = GetParam();
    EXPECT_EQ(PortDirectory::Merge(QString::fromLatin1(c.variable), c.found), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PortDirectoryMergeTest,
    ::testing::Values(
        MergeCase{"Nothing", "", {}, {}},
        MergeCase{"VariableInItsOwnOrder", "/dev/pts/7:/dev/pts/3", {}, {"/dev/pts/7", "/dev/pts/3"}},
        MergeCase{"EmptyPartsSkipped", ":/dev/pts/7::", {}, {"/dev/pts/7"}},
        MergeCase{"UsbBeforeOthers",
                  "",
                  {{"/dev/ttyS0", false}, {"/dev/ttyACM0", false}, {"/dev/ttyS1", false}, {"/dev/ttyUSB0", false}},
                  {"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyS1"}},
        MergeCase{"AVendorIdMakesItUsb",
                  "",
                  {{"/dev/ttyS4", false}, {"/dev/ttyAMA0", true}},
                  {"/dev/ttyAMA0", "/dev/ttyS4"}},
        MergeCase{"NaturalNameOrder",
                  "",
                  {{"/dev/ttyUSB10", false}, {"/dev/ttyUSB2", false}, {"/dev/ttyUSB1", false}},
                  {"/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB10"}},
        MergeCase{"VariableFirstAndNotTwice",
                  "/dev/ttyUSB1:/dev/pts/4:/dev/pts/4",
                  {{"/dev/ttyUSB0", false}, {"/dev/ttyUSB1", false}},
                  {"/dev/ttyUSB1", "/dev/pts/4", "/dev/ttyUSB0"}}),
    [](const ::testing::TestParamInfo<MergeCase>& info) { return std::string(info.param.name); });

TEST(PortDirectoryTest, KeepsAtMostThirtyDevices)
{
    QList<SerialDeviceEntry> found;
    for (int i = 0; i < 40; ++i)
        found.append({QStringLiteral("/dev/ttyS%1").arg(i), false});
    const QStringList devices = PortDirectory::Merge(QStringLiteral("/dev/pts/1"), found);
    ASSERT_EQ(devices.size(), PortDirectory::MaxDevices);
    EXPECT_EQ(devices.first(), "/dev/pts/1");
    EXPECT_EQ(devices.last(), "/dev/ttyS28");
}

TEST(PortDirectoryTest, ReadsTheVariableAtEveryCall)
{
    const QByteArray saved = qgetenv(PortDirectory::EnvironmentVariable);
    int enumerations = 0;
    PortDirectory directory([&enumerations] {
        ++enumerations;
        return QList<SerialDeviceEntry>{{QStringLiteral("/dev/ttyUSB0"), true}};
    });
    qputenv(PortDirectory::EnvironmentVariable, "/dev/pts/9");
    EXPECT_EQ(directory.Devices(), QStringList({"/dev/pts/9", "/dev/ttyUSB0"}));
    qunsetenv(PortDirectory::EnvironmentVariable);
    EXPECT_EQ(directory.Devices(), QStringList({"/dev/ttyUSB0"}));
    EXPECT_EQ(enumerations, 2) << "a logger plugged in meanwhile is found";
    if (!saved.isNull())
        qputenv(PortDirectory::EnvironmentVariable, saved);
}

}  // namespace
