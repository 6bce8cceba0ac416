// Tessaview U: the desktop program.
#include "app/CLoggerApp.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    CLoggerApp::Options options;
    QString error;
    if (!CLoggerApp::ParseArguments(QCoreApplication::arguments(), options, error)) {
        std::fprintf(stderr, "tessaview: %s\n\n%s", qPrintable(error), qPrintable(CLoggerApp::UsageText()));
        return 2;
    }
    if (options.help) {
        std::printf("%s", qPrintable(CLoggerApp::UsageText()));
        return 0;
    }
    CLoggerApp app;
    if (!app.InitInstance(options))
        return 1;
    return app.Run();
}
