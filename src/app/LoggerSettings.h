// Logger.ini (four raw bytes carried from run to run) and the program folder
// that holds it beside the Logfiles folder.
#pragma once

#include <QString>

#include <cstdint>

class LoggerSettings {
public:
    uint8_t portNumber = 3;     // the port tried first when connecting
    uint16_t lineSpeed = 19200; // kept from run to run; the line itself runs at 38400
    uint8_t interval = 1;       // monitoring interval in minutes, kept from run to run

    static constexpr int FileSize = 4;

    // Reads the four bytes: port, line speed low and high byte, interval.
    // Bytes the file does not have keep their defaults, so a file that cannot
    // be opened gives port 3, line speed 19200 and interval 1. Returns the
    // number of bytes taken from the file.
    int Read(const QString& path);
    // Writes the four bytes, replacing the file only once they are complete.
    // Returns false when the file cannot be written; the old file is then kept.
    bool Write(const QString& path) const;

    static QString FilePath(const QString& programFolder) { return programFolder + QStringLiteral("Logger.ini"); }

    // The folder that holds Logger.ini and Logfiles/, ending with "/": an
    // explicit home (--home), else the TESSAVIEW_HOME environment value, else
    // the program's own folder when it is writable and not an installed
    // copy's, else the per-user data folder.
    static QString ResolveProgramFolder(const QString& explicitHome, const QString& environmentHome,
                                        const QString& programDir, const QString& userDataDir);

    // True when programDir is the bin folder of an install prefix (/usr/bin,
    // /usr/local/bin, ~/.local/bin, <prefix>/bin): such a folder is shared by
    // many programs and is no place for a log folder, even when it is
    // writable (root, or a prefix of one's own). A build tree or an unpacked
    // copy in a folder of its own keeps its files beside the program.
    static bool IsInstalledProgramDir(const QString& programDir);

    // Creates <programFolder>Logfiles unless a file or folder of that name
    // exists. A failure is not reported: later saves into it report theirs.
    static void EnsureLogFolder(const QString& programFolder);
};
