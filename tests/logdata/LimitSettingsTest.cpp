// Alarm limits kept per logger in the per-user settings.
#include "logdata/LimitSettings.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class LimitSettingsTest : public ::testing::Test {
protected:
    // Every settings file of this test lives in a temporary folder, never in
    // the user's own settings.
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir_.path());
    }
    QTemporaryDir dir_;
};

TEST_F(LimitSettingsTest, UnknownLoggerHasNoLimits)
{
    bool userSet = true;
    const LogLimits limits = LoadLimits("0000000000", &userSet);
    EXPECT_FALSE(limits.any());
    EXPECT_FALSE(userSet);
}

TEST_F(LimitSettingsTest, RoundTripsEachSideExactlyAndPerLogger)
{
    LogLimits a;
    a.channel[0].low = 2.1;
    a.channel[0].high = 8.3;
    a.channel[1].high = 80;
    a.channel[2].low = -0.1;
    SaveLimits("1111111111", a, true);
    LogLimits b;
    b.channel[0].high = 25;
    SaveLimits("2222222222", b, false);

    bool userSet = false;
    const LogLimits ra = LoadLimits("1111111111", &userSet);
    EXPECT_TRUE(userSet);
    EXPECT_EQ(ra.channel[0].low, 2.1);
    EXPECT_EQ(ra.channel[0].high, 8.3);
    EXPECT_FALSE(ra.channel[1].low.has_value());
    EXPECT_EQ(ra.channel[1].high, 80.0);
    EXPECT_EQ(ra.channel[2].low, -0.1);
    EXPECT_FALSE(ra.channel[2].high.has_value());

    const LogLimits rb = LoadLimits("2222222222", &userSet);
    EXPECT_FALSE(userSet);
    EXPECT_EQ(rb.channel[0].high, 25.0);
    EXPECT_FALSE(rb.channel[0].low.has_value());

    // Saving again replaces, it does not merge.
    SaveLimits("1111111111", LogLimits{}, false);
    EXPECT_FALSE(LoadLimits("1111111111", &userSet).any());
    EXPECT_FALSE(userSet);
    EXPECT_EQ(LoadLimits("2222222222").channel[0].high, 25.0);
}

TEST_F(LimitSettingsTest, DamagedIdsStayApartAndStoredGarbageIsUnset)
{
    LogLimits a;
    a.channel[0].high = 5;
    SaveLimits(QByteArray("AB/CD\\E\0F=", 10), a, true);
    EXPECT_FALSE(LoadLimits("AB").any());
    EXPECT_EQ(LoadLimits(QByteArray("AB/CD\\E\0F=", 10)).channel[0].high, 5.0);

    {
        QSettings s(QString::fromLatin1(LimitSettingsOrganization), QString::fromLatin1(LimitSettingsApplication));
        s.setValue(QStringLiteral("Alarm Limits/3333333333/CH1High"), QStringLiteral("warm"));
        s.setValue(QStringLiteral("Alarm Limits/3333333333/CH1Low"), QStringLiteral("nan"));
    }
    EXPECT_FALSE(LoadLimits("3333333333").any());
}

}  // namespace
