// A QGuiApplication for the chart tests, made once before the first test.
#pragma once

#include <QFontDatabase>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace charttest {

// Fonts need a GUI application object. Without any installed font every glyph
// would come out as an empty box and ink checks could still pass, so the
// set-up insists on at least one font family.
class GuiTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!std::getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "charttest";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QGuiApplication>(argc, argv);
        ASSERT_FALSE(QFontDatabase::families().isEmpty()) << "no fonts installed (fonts-dejavu-core)";
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QGuiApplication> app_;
};

inline ::testing::Environment* const registered = ::testing::AddGlobalTestEnvironment(new GuiTestEnvironment);

}  // namespace charttest
